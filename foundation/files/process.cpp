// The own path comes from /proc/self/exe. Starting is posix_spawn with file actions for
// the working folder, /dev/null handles and closing every inherited descriptor; signal
// mask and dispositions are reset for the child. Paths are resolved by the engine's path
// policy, so a path whose case differs from the file's finds the program when no file of
// that exact spelling exists. A detached thread per child waits for
// its end.
#include "foundation/files/process.h"

#include <cerrno>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <system_error>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "engine/path_policy.h"
#include "engine/signal_stack.h"

extern char** environ;

namespace {

// The program path made absolute against the current folder, so that the child's change
// of folder does not change which program runs.
std::string ProgramPath(std::string_view program) {
    std::string path = Kiv::PathPolicy::Resolve(program);
    if (path.empty() || path[0] == '/') return path;
    std::string folder(4096, '\0');
    if (getcwd(folder.data(), folder.size()) == nullptr) return {};
    folder.resize(folder.find('\0'));
    return folder + "/" + path;
}

std::vector<std::string> SplitParameters(std::string_view parameters) {
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false;
    bool quoted = false;
    for (char c : parameters) {
        if (c == '"') {
            quoted = !quoted;
            inArgument = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inArgument) arguments.push_back(std::move(current));
            current.clear();
            inArgument = false;
        } else {
            current.push_back(c);
            inArgument = true;
        }
    }
    if (inArgument) arguments.push_back(std::move(current));
    return arguments;
}

class SpawnSetup {
public:
    SpawnSetup() {
        posix_spawn_file_actions_init(&actions_);
        posix_spawnattr_init(&attributes_);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions_);
        posix_spawnattr_destroy(&attributes_);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    bool Prepare(const std::string& workingFolder) {
        sigset_t none;
        sigset_t all;
        sigemptyset(&none);
        sigfillset(&all);
        const short flags = POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
        bool ok = posix_spawnattr_setflags(&attributes_, flags) == 0 &&
                  posix_spawnattr_setsigmask(&attributes_, &none) == 0 &&
                  posix_spawnattr_setsigdefault(&attributes_, &all) == 0;
        for (int fd = 0; fd <= 2 && ok; ++fd) {
            ok = posix_spawn_file_actions_addopen(&actions_, fd, "/dev/null", O_RDWR, 0) == 0;
        }
        ok = ok && posix_spawn_file_actions_addclosefrom_np(&actions_, 3) == 0;
        if (ok && !workingFolder.empty()) {
            ok = posix_spawn_file_actions_addchdir_np(&actions_, workingFolder.c_str()) == 0;
        }
        return ok;
    }

    pid_t Spawn(const std::string& program, std::vector<char*>& argv) {
        pid_t pid = 0;
        if (posix_spawn(&pid, program.c_str(), &actions_, &attributes_, argv.data(), environ) != 0) {
            return 0;
        }
        return pid;
    }

private:
    posix_spawn_file_actions_t actions_;
    posix_spawnattr_t attributes_;
};

// Without a thread to spare the child stays a zombie until we exit; it was still started.
void ReapWhenDone(pid_t pid) {
    try {
        std::thread([pid] {
            Kiv::EnsureAlternateSignalStack();
            while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (const std::system_error&) {
    }
}

}  // namespace

bool GetModuleFilePath(Kiv::File::Path& out) {
    char buffer[4096];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length <= 0 || static_cast<size_t>(length) >= sizeof buffer) return false;
    out = Kiv::File::Path(std::string_view(buffer, static_cast<size_t>(length)));
    return true;
}

uint32_t StartProcess(std::string_view program, std::string_view parameters,
                      std::string_view workingFolder, uint32_t /*flags: no windows here*/) {
    const std::string path = ProgramPath(program);
    if (path.empty()) return 0;
    std::vector<std::string> arguments = SplitParameters(parameters);
    arguments.insert(arguments.begin(), path);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);

    SpawnSetup setup;
    if (!setup.Prepare(Kiv::PathPolicy::Resolve(workingFolder))) return 0;
    const pid_t pid = setup.Spawn(path, argv);
    if (pid <= 0) return 0;
    ReapWhenDone(pid);
    return static_cast<uint32_t>(pid);
}
