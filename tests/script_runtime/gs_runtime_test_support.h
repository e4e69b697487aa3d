// Shared pieces of the runtime's tests: the log hook's lines collected, a scratch folder per
// test, and a machine of the test's own with the log collected.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "script_runtime/gs_log.h"
#include "script_runtime/gs_machine.h"

namespace gstest {

inline std::vector<std::string>& LogLines() {
    static std::vector<std::string> lines;
    return lines;
}

inline void CollectLog(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    char text[2048];
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    LogLines().push_back(text);
}

inline bool Logged(const std::string& line) {
    for (const std::string& l : LogLines())
        if (l == line) return true;
    return false;
}

class ScratchFolder {
  public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "gs_runtime_XXXXXX").string();
        path_ = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string& Path() const { return path_; }
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        const std::string full = path_ + "/" + name;
        std::filesystem::create_directories(std::filesystem::path(full).parent_path());
        std::ofstream(full, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
        return full;
    }

  private:
    std::string path_;
};

// A machine of the test's own, initialised, with its log collected.
class MachineTest : public ::testing::Test {
  protected:
    MachineTest() {
        LogLines().clear();
        SetGSLogHook(CollectLog);
        machine_.Init();
    }
    ~MachineTest() override { SetGSLogHook(nullptr); }

    ScratchFolder folder_;
    GSMachine machine_;
};

}  // namespace gstest
