// The greeting that opens the daemon link: the client's handshake (tag 'KAVC', version
// 330, build 49933, the handshake flag, the database path's length and bytes) and the
// daemon's answer ('KAVD' and two words that the client keeps without reading them).
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

class NetTransport;

namespace KAVHandshake {

// The handshake as it goes on the wire; false when the path is too long for its int32.
bool Encode(bool flag, std::string_view databasePath, std::vector<uint8_t>& out);

// Sends the handshake and reads the answer; false on a short transfer, on any tag but
// 'KAVD', or when the answer does not come within the connect time-out (NetTimeouts).
// unanswered, when given, tells whether the greeting went out whole and no byte of an
// answer came back: a daemon that accepted the link and stayed silent.
bool Exchange(NetTransport* transport, bool flag, std::string_view databasePath,
              std::array<int32_t, 2>& words, bool* unanswered = nullptr);

}  // namespace KAVHandshake
