// Child-process plumbing for the end-to-end tests: posix_spawn with both output pipes
// drained by poll, so a chatty child never blocks on a full pipe.
#include "tool_process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>

extern char** environ;

namespace e2e {

namespace fs = std::filesystem;

Installation::Installation() {
    std::string pattern = (fs::temp_directory_path() / "kodrin-e2e-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
    fs::copy(KODRIN_DIST, root_, fs::copy_options::recursive);
}

Installation::~Installation() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

fs::path Installation::WriteFile(const std::string& relative, const std::string& bytes) const {
    fs::path path = root_ / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

namespace {

void Drain(int outFd, int errFd, ToolResult& result) {
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open = 2;
    while (open > 0) {
        if (poll(fds, 2, 30000) <= 0) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
            char buffer[4096];
            ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<size_t>(n));
            } else {
                fds[i].fd = -1;
                --open;
            }
        }
    }
}

}  // namespace

ToolResult Installation::Run(const std::vector<std::string>& args,
                             const fs::path& workingFolder) const {
    int outPipe[2], errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    std::string folder = workingFolder.empty() ? root_.string() : workingFolder.string();
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());

    std::string tool = Tool().string();
    std::vector<char*> argv{tool.data()};
    std::vector<std::string> copies(args);
    for (std::string& arg : copies) argv.push_back(arg.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    int spawned = posix_spawn(&pid, tool.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(outPipe[1]);
    close(errPipe[1]);
    ToolResult result;
    if (spawned == 0) Drain(outPipe[0], errPipe[0], result);
    close(outPipe[0]);
    close(errPipe[0]);
    if (spawned != 0) throw std::runtime_error("spawn failed");
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

}  // namespace e2e
