// The working-folder change of encrypt and importconsists.
#include "client/commands/startup_folder_scope.h"

#include <unistd.h>

#include "client/startup_state.h"

namespace KodrinUtil {

namespace {

constexpr size_t kSavedFolderBytes = 4096;

}  // namespace

StartupFolderScope::StartupFolderScope() {
    const std::string& target = GetStartupState().startupWorkingFolder;
    if (target.empty()) return;
    char buffer[kSavedFolderBytes];
    if (!getcwd(buffer, sizeof buffer)) return;
    saved_ = buffer;
    changed_ = chdir(target.c_str()) == 0;
}

StartupFolderScope::~StartupFolderScope() {
    if (!changed_) return;
    // Nothing sound is left to do when the folder the command started in has gone.
    [[maybe_unused]] const int result = chdir(saved_.c_str());
}

}  // namespace KodrinUtil
