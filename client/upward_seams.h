// Connects the lower libraries to those above them: the daemon link's spec registry
// (validation) and content databases (content3d), and the validation library's script
// system set-up (for now the stand-in of script_system_stand_in.h). Start-up calls it first; it may be called again.
#pragma once

namespace KodrinUtil {

void InstallUpwardSeams();

} // namespace KodrinUtil
