// StartupFolderScope: runs a command in the working folder the process had when it
// started, so relative paths on the command line mean what the user meant, and goes back
// to the folder it found when the scope ends. When the current folder cannot be saved (a
// path over 4,096 bytes) or no start-up folder is known, the folder is not changed at all,
// so nothing is left in a folder the tool cannot find its way back from.
#pragma once

#include <string>

namespace KodrinUtil {

class StartupFolderScope {
public:
    StartupFolderScope();
    ~StartupFolderScope();
    StartupFolderScope(const StartupFolderScope&) = delete;
    StartupFolderScope& operator=(const StartupFolderScope&) = delete;

private:
    std::string saved_;
    bool changed_ = false;
};

}  // namespace KodrinUtil
