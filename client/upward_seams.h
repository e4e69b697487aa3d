// Connects the lower libraries to those above them: the daemon link to the spec registry
// (validation) and the content databases (content3d), validation to the script-system
// set-up (script_natives); it also gives validation's mesh checks content3d's meshes.
// Start-up calls it first; it may be called again.
#pragma once

namespace KodrinUtil {

void InstallUpwardSeams();

} // namespace KodrinUtil
