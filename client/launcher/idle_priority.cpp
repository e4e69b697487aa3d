// Lowering every thread of the process, found in /proc/self/task.
#include "client/launcher/idle_priority.h"

#include <dirent.h>
#include <sys/resource.h>

#include <cstdlib>
#include <memory>

namespace {

constexpr int kIdleNice = 19;

struct DirectoryCloser {
    void operator()(DIR* directory) const { closedir(directory); }
};

bool IsThreadId(const char* name) {
    if (!*name) return false;
    for (const char* c = name; *c; ++c) {
        if (*c < '0' || *c > '9') return false;
    }
    return true;
}

}  // namespace

bool SetIdlePriority() {
    std::unique_ptr<DIR, DirectoryCloser> tasks(opendir("/proc/self/task"));
    if (!tasks) return setpriority(PRIO_PROCESS, 0, kIdleNice) == 0;
    bool all = true;
    while (const dirent* entry = readdir(tasks.get())) {
        if (!IsThreadId(entry->d_name)) continue;
        const auto thread = static_cast<id_t>(std::strtoul(entry->d_name, nullptr, 10));
        all = setpriority(PRIO_PROCESS, thread, kIdleNice) == 0 && all;
    }
    return all;
}
