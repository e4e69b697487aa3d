// A private installation tree for the client's daemon-link tests: a temporary root (links
// resolved, so the daemon's own view of its folder matches) with a mixed-case "Install"
// folder, and a private IPC folder in $KODRIN_IPC_DIR for the test's lifetime.
#pragma once

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>


class KavTestInstallation {
  public:
    KavTestInstallation() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/Kav-Test-XXXXXX";
        if (!mkdtemp(pattern.data())) return;
        char resolved[PATH_MAX];
        root_ = realpath(pattern.c_str(), resolved) ? resolved : pattern;
        std::filesystem::create_directories(Install());
        const char* previous = std::getenv("KODRIN_IPC_DIR");
        if (previous) previousIpc_ = previous;
        setenv("KODRIN_IPC_DIR", Ipc().c_str(), 1);
    }
    ~KavTestInstallation() {
        if (previousIpc_)
            setenv("KODRIN_IPC_DIR", previousIpc_->c_str(), 1);
        else
            unsetenv("KODRIN_IPC_DIR");
        std::error_code ignored;
        if (!root_.empty()) std::filesystem::remove_all(root_, ignored);
    }
    KavTestInstallation(const KavTestInstallation&) = delete;
    KavTestInstallation& operator=(const KavTestInstallation&) = delete;

    bool Ok() const { return !root_.empty(); }
    const std::string& Root() const { return root_; }
    // The installation folder as it is on disk, mixed case.
    std::string Install() const { return root_ + "/Install"; }
    std::string Path(const std::string& relative) const { return Install() + "/" + relative; }
    std::string Ipc() const { return root_ + "/ipc"; }

    // The installation folder as the tool stores it: backslashes, the case kept.
    std::string StoredInstall() const {
        std::string stored = Install();
        for (char& c : stored)
            c = c == '/' ? '\\' : c;
        return stored;
    }

    void WriteFile(const std::string& relative, const std::string& bytes) const {
        std::filesystem::create_directories(std::filesystem::path(Path(relative)).parent_path());
        std::ofstream(Path(relative), std::ios::binary) << bytes;
    }

  private:
    std::string root_;
    std::optional<std::string> previousIpc_;
};
