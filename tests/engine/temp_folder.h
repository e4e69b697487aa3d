// A private temporary folder per test, made and checked with std::filesystem so that the
// engine's own file code is never the only witness of what is on disk.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

class TempFolder {
public:
    TempFolder() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/kiv-test-XXXXXX";
        root_ = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Root() const { return root_; }
    std::string Path(const std::string& relative) const { return root_ + "/" + relative; }

    void MakeFolder(const std::string& relative) const {
        std::filesystem::create_directories(Path(relative));
    }
    void WriteFile(const std::string& relative, const std::string& bytes) const {
        std::ofstream out(Path(relative), std::ios::binary);
        out << bytes;
    }
    std::string ReadFile(const std::string& relative) const {
        std::ifstream in(Path(relative), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    bool Exists(const std::string& relative) const {
        std::error_code ignored;
        return std::filesystem::exists(std::filesystem::symlink_status(Path(relative), ignored));
    }

private:
    std::string root_;
};
