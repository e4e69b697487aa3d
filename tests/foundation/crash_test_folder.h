// Support of the crash-handling death tests: a private folder that the child process makes
// its current folder (where crash reports go) with its standard output in "out.txt", and
// the parent's view of the reports the child left there.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/temp_folder.h"

class CrashTestFolder : public TempFolder {
public:
    // In the child: move into the folder and send standard output to "out.txt".
    void EnterAsChild() const {
        if (chdir(Root().c_str()) != 0) _exit(90);
        int out = open("out.txt", O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (out < 0 || dup2(out, STDOUT_FILENO) < 0) _exit(91);
        close(out);
    }

    // The names of the crash reports in the folder, sorted.
    std::vector<std::string> Reports() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(Root())) {
            std::string name = entry.path().filename().string();
            if (name.rfind("Kodrin-", 0) == 0) names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }
};

// Stays in the child until a signal ends it; exits with 0 after ten seconds.
[[noreturn]] inline void AwaitTheEnd() {
    for (int tick = 0; tick < 1000; ++tick) usleep(10 * 1000);
    _exit(0);
}
