// Child-process plumbing for the end-to-end tests: the private installation and IPC
// folders, the children's environment, and posix_spawn with both output pipes drained by
// poll (so a chatty child never blocks on a full pipe) until the run's time limit.
#include "tool_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace e2e {

namespace fs = std::filesystem;

namespace {

// Variables the installation decides for its children; inherited values are dropped.
constexpr const char* kManagedVariables[] = {
    "KODRIN_IPC_DIR", "KAVDAEMON_SCRIPT", "KAVDAEMON_RECORD", "KAVDAEMON_IDLE_MS",
    "KIV_RENDER_FAIL",
};
constexpr const char* kDaemonIdleMs = "60000";

std::map<std::string, std::string> InheritedEnvironment() {
    std::map<std::string, std::string> variables;
    for (char** entry = environ; *entry; ++entry) {
        std::string text(*entry);
        size_t equals = text.find('=');
        if (equals == std::string::npos) continue;
        variables[text.substr(0, equals)] = text.substr(equals + 1);
    }
    for (const char* name : kManagedVariables) variables.erase(name);
    return variables;
}

void Drain(int outFd, int errFd, pid_t child, ToolResult& result) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline =
        Clock::now() + std::chrono::seconds(Installation::kRunLimitSeconds);
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open = 2;
    while (open > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0 || poll(fds, 2, static_cast<int>(left.count())) == 0) {
            result.timedOut = true;
            kill(child, SIGKILL);
            return;
        }
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

// The tool, the programs in bin/, the script libraries and sources the build compiles, and
// the data the build copies into the installation (the files of the source's data/ into
// data/, its VAVIrov/ templates into VAVIrov/); not the user's data (UserData, keyword
// files, folders of their own in data/).
void CopyInstalledFiles(const fs::path& installed, const fs::path& target) {
    fs::create_directories(target / "bin");
    fs::copy_file(installed / "KodrinUtil", target / "KodrinUtil");
    for (const fs::directory_entry& entry : fs::directory_iterator(installed / "bin")) {
        if (entry.is_regular_file()) fs::copy_file(entry.path(), target / "bin" / entry.path().filename());
    }
    for (const char* built : {"libraries", "scripts"}) {
        if (fs::is_directory(installed / built))
            fs::copy(installed / built, target / built, fs::copy_options::recursive);
    }
    const fs::path data = KODRIN_DIST_DATA;
    fs::create_directories(target / "data");
    for (const fs::directory_entry& entry : fs::directory_iterator(data)) {
        if (entry.is_regular_file()) fs::copy_file(entry.path(), target / "data" / entry.path().filename());
    }
    fs::copy(data / "VAVIrov", target / "VAVIrov", fs::copy_options::recursive);
}

}  // namespace

Installation::Installation(const fs::path& installed) {
    std::string pattern = (fs::temp_directory_path() / "kodrin-e2e-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    base_ = fs::canonical(pattern);
    root_ = base_ / "install";
    ipc_ = base_ / "ipc";
    files_ = base_ / "files";
    CopyInstalledFiles(installed, root_);
    fs::create_directory(ipc_);
    fs::permissions(ipc_, fs::perms::owner_all, fs::perm_options::replace);
    fs::create_directory(files_);
    environment_ = InheritedEnvironment();
    environment_["KODRIN_IPC_DIR"] = ipc_.string();
    environment_["KAVDAEMON_IDLE_MS"] = kDaemonIdleMs;
}

Installation::~Installation() {
    StopDaemon();
    std::error_code ignored;
    fs::remove_all(base_, ignored);
}

fs::path Installation::WriteFile(const std::string& relative, const std::string& bytes) const {
    fs::path path = root_ / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

void Installation::SetEnv(const std::string& name, const std::string& value) {
    if (value.empty()) {
        environment_.erase(name);
    } else {
        environment_[name] = value;
    }
}

void Installation::SetDaemonScript(const std::string& text) {
    fs::path script = files_ / "daemon-script.txt";
    std::ofstream(script, std::ios::binary) << text;
    SetEnv("KAVDAEMON_SCRIPT", script.string());
}

void Installation::RecordDaemon() {
    SetEnv("KAVDAEMON_RECORD", (files_ / "daemon-record.txt").string());
}

std::string Installation::DaemonRecord() const {
    std::ifstream in(files_ / "daemon-record.txt", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

int Installation::DaemonRequestCount(int id) const {
    std::istringstream lines(DaemonRecord());
    const std::string mark = " id=" + std::to_string(id) + " ";
    int count = 0;
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("request ", 0) == 0 && line.find(mark) != std::string::npos) ++count;
    return count;
}

std::vector<std::string> Installation::ChildEnvironment() const {
    std::vector<std::string> entries;
    for (const auto& [name, value] : environment_) entries.push_back(name + "=" + value);
    return entries;
}

ToolResult Installation::Run(const std::vector<std::string>& args,
                             const fs::path& workingFolder) const {
    return RunProgram(Tool(), args, workingFolder);
}

ToolResult Installation::RunProgram(const fs::path& program, const std::vector<std::string>& args,
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

    std::string tool = program.string();
    std::vector<char*> argv{tool.data()};
    std::vector<std::string> copies(args);
    for (std::string& arg : copies) argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<std::string> environment = ChildEnvironment();
    std::vector<char*> envp;
    for (std::string& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);

    pid_t pid = 0;
    int spawned = posix_spawn(&pid, tool.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(outPipe[1]);
    close(errPipe[1]);
    ToolResult result;
    if (spawned == 0) Drain(outPipe[0], errPipe[0], pid, result);
    close(outPipe[0]);
    close(errPipe[0]);
    if (spawned != 0) throw std::runtime_error("spawn failed");
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

}  // namespace e2e
