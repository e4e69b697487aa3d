// The installed tool as a child process, in a private installation tree. Each
// Installation is a fresh copy of what the build installs in build/dist (the tool, the
// programs in bin/ and the data the build copies there; never what the tool or its user
// added to that tree since), with a private IPC folder beside it: every
// child it starts gets KODRIN_IPC_DIR pointing there (in the child's environment only), so
// the daemon the tool launches is the installation's own, found by no other test. The
// destructor stops that daemon and waits until it is gone, then removes everything.
//
//     e2e::Installation install;
//     install.SetDaemonScript("settings { internet { language \"DE\" } }");
//     install.RecordDaemon();
//     e2e::ToolResult result = install.Run({"version", "-kivlog"});
//     ... result.out, result.err, result.exitCode, install.DaemonRecord() ...
//
// The daemon inherits the tool's environment: KAVDAEMON_SCRIPT and KAVDAEMON_RECORD (set
// by the two calls above) and KAVDAEMON_IDLE_MS, 60 s unless set otherwise, so that a
// daemon outliving a crashed test still ends by itself.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace e2e {

struct ToolResult {
    std::string out;
    std::string err;
    int exitCode = -1;      // what a parent sees (0..255), or -1 when killed by a signal
    bool timedOut = false;  // killed after Installation::kRunLimitSeconds
};

class Installation {
public:
    static constexpr int kRunLimitSeconds = 120;

    // From build/dist, or from another installation tree.
    explicit Installation(const std::filesystem::path& installed = KODRIN_DIST);
    ~Installation();
    Installation(const Installation&) = delete;
    Installation& operator=(const Installation&) = delete;

    const std::filesystem::path& Root() const { return root_; }
    std::filesystem::path Tool() const { return root_ / "KodrinUtil"; }
    std::filesystem::path Daemon() const { return root_ / "bin" / "kavdaemon"; }
    const std::filesystem::path& IpcFolder() const { return ipc_; }
    // A folder outside the installation for the tests' own files (scripts, records).
    const std::filesystem::path& FilesFolder() const { return files_; }

    // Writes a file below the installation root (folders created) and returns its path.
    std::filesystem::path WriteFile(const std::string& relative, const std::string& bytes) const;

    // A variable of the children's environment from now on (an empty value removes it).
    void SetEnv(const std::string& name, const std::string& value);
    // The daemon started from now on runs this script (the daemon's script syntax).
    void SetDaemonScript(const std::string& text);
    // The daemon started from now on writes its record; DaemonRecord reads it.
    void RecordDaemon();
    std::string DaemonRecord() const;
    // How many requests of that id the daemon's record holds.
    int DaemonRequestCount(int id) const;

    // Runs the tool with these arguments in workingFolder (the root when empty), collecting
    // both outputs; a run longer than kRunLimitSeconds is killed.
    ToolResult Run(const std::vector<std::string>& args,
                   const std::filesystem::path& workingFolder = {}) const;
    // The same with another program (a wrapper that runs the tool, say) and its arguments.
    ToolResult RunProgram(const std::filesystem::path& program,
                          const std::vector<std::string>& args,
                          const std::filesystem::path& workingFolder = {}) const;
    // "NAME=value" entries of the children's environment.
    std::vector<std::string> ChildEnvironment() const;

    // Live processes running this installation's daemon: the owner in its discovery blocks
    // and any other process of that program file.
    std::vector<pid_t> DaemonProcesses() const;
    // Ends them (SIGTERM, SIGKILL after 5 s); true once none is left.
    bool StopDaemon() const;

private:
    std::filesystem::path base_;
    std::filesystem::path root_;
    std::filesystem::path ipc_;
    std::filesystem::path files_;
    std::map<std::string, std::string> environment_;
};

}  // namespace e2e
