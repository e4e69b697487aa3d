// Runs the installed tool as a child process in a private copy of the installation tree and
// collects what it wrote and the exit status its parent sees.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace e2e {

struct ToolResult {
    std::string out;
    std::string err;
    int exitCode = -1;  // what a parent sees (0..255), or -1 when killed by a signal
};

// A fresh copy of build/dist in a temporary folder, removed on destruction.
class Installation {
public:
    Installation();
    ~Installation();
    Installation(const Installation&) = delete;
    Installation& operator=(const Installation&) = delete;

    const std::filesystem::path& Root() const { return root_; }
    std::filesystem::path Tool() const { return root_ / "KodrinUtil"; }
    // Writes a file below the installation root (folders created) and returns its path.
    std::filesystem::path WriteFile(const std::string& relative, const std::string& bytes) const;

    ToolResult Run(const std::vector<std::string>& args,
                   const std::filesystem::path& workingFolder = {}) const;

private:
    std::filesystem::path root_;
};

}  // namespace e2e
