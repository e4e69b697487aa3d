// CommandHostCallback: runs one job the daemon pushes to the command host and writes its
// reply for request 141. Jobs, by the int32 id that opens the payload: 0 validate an asset,
// 1 convert textures, 2 save assets into a 'karc' file, 3 install assets from one. Each
// reply is the job's results log (stream form from entry 0) and the job's result. A job
// whose payload does not read whole, or whose id names no job, gets no reply.
#pragma once

class TBuffer;

namespace KodrinUtil {

// False when nothing is to be sent back.
bool CommandHostCallback(TBuffer& job, TBuffer& reply);

} // namespace KodrinUtil
