// Finding and stopping an installation's daemon. The daemon is not our child (the tool
// starts it in a session of its own and ends first), so it is found by its program file in
// /proc and by the owner id it publishes in its discovery block, and waited for by polling.
// A process counts as the daemon only while /proc shows it running that file, so a
// recycled process id is never signalled, and a daemon that has ended (also one not yet
// reaped by its new parent) counts as gone.
#include <signal.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <set>
#include <string>
#include <thread>

#include "foundation/ipc/kav_ipc_block.h"
#include "tool_process.h"

namespace e2e {

namespace fs = std::filesystem;

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(20);
constexpr auto kSignalGrace = std::chrono::seconds(5);

bool RunsProgram(pid_t pid, const fs::path& program) {
    std::error_code error;
    const fs::path exe = fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", error);
    if (error) return false;
    return exe == program || exe.string() == program.string() + " (deleted)";
}

bool IsProcessId(const std::string& name) {
    return !name.empty() && name.find_first_not_of("0123456789") == std::string::npos;
}

// The owner ids of the discovery blocks in the IPC folder.
std::set<pid_t> BlockOwners(const fs::path& ipcFolder) {
    std::set<pid_t> owners;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(ipcFolder, error)) {
        if (entry.path().extension() != ".blk") continue;
        unsigned char block[KAVIpcBlock::kSize] = {};
        std::ifstream(entry.path(), std::ios::binary)
            .read(reinterpret_cast<char*>(block), sizeof block);
        const unsigned char* owner = block + KAVIpcBlock::kOwnerId;
        const auto id = static_cast<int32_t>(owner[0] | (owner[1] << 8) | (owner[2] << 16) |
                                             (static_cast<uint32_t>(owner[3]) << 24));
        if (id > 0) owners.insert(id);
    }
    return owners;
}

std::set<pid_t> ProcessesOf(const fs::path& program) {
    std::set<pid_t> found;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (!IsProcessId(name)) continue;
        const pid_t pid = std::stoi(name);
        if (RunsProgram(pid, program)) found.insert(pid);
    }
    return found;
}

}  // namespace

std::vector<pid_t> Installation::DaemonProcesses() const {
    std::set<pid_t> daemons = ProcessesOf(Daemon());
    for (pid_t owner : BlockOwners(ipc_)) {
        if (RunsProgram(owner, Daemon())) daemons.insert(owner);
    }
    return {daemons.begin(), daemons.end()};
}

bool Installation::StopDaemon() const {
    for (int signal : {SIGTERM, SIGKILL}) {
        for (pid_t pid : DaemonProcesses()) kill(pid, signal);
        const auto deadline = std::chrono::steady_clock::now() + kSignalGrace;
        while (!DaemonProcesses().empty()) {
            if (std::chrono::steady_clock::now() > deadline) break;
            std::this_thread::sleep_for(kPollInterval);
        }
        if (DaemonProcesses().empty()) return true;
    }
    return false;
}

}  // namespace e2e
