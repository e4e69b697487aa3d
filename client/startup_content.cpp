// Start-up step of the content subsystem: the program's engine plug-ins (the converting
// texture type among them) are registered, and texture conversion learns how the
// user-data folders split an absolute path into a location and the path below it.
#include "link/kav/kav_user_data.h"
#include "client/startup_steps.h"
#include "content3d/program_plugins.h"
#include "content3d/textures/kav_texture_convert_file_rpc.h"

namespace KodrinUtil {

bool RegisterContentPlugins(StartupRun&) {
    KivGetPlugins();
    SetTextureAssetPathSplitter(KAVUserData::SplitAssetPath);
    return true;
}

}  // namespace KodrinUtil
