// Temporary file names: their shape, the folder made for them, and the failure when no
// name can be formed.
#include "foundation/files/temporary_file.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>
#include <vector>

#include "engine/log.h"
#include "engine/options.h"
#include "foundation/files/process_random.h"

namespace fs = std::filesystem;

namespace {

class TemporaryFileTest : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/temporary_file_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
    }
    void TearDown() override {
        SetTemporaryFolder(Kiv::File::Path());
        fs::remove_all(root_);
    }
    std::string root_;
};

// The call number of a name made of "temp-", 8 of 0-9a-z, the call number and ".tmp";
// -1 when the name has another shape.
long CallNumber(const std::string& name) {
    const std::string prefix = "temp-";
    const std::string suffix = ".tmp";
    if (name.size() <= prefix.size() + 8 + suffix.size()) return -1;
    if (name.compare(0, prefix.size(), prefix) != 0) return -1;
    if (name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) return -1;
    const std::string random = name.substr(prefix.size(), 8);
    if (random.find_first_not_of("0123456789abcdefghijklmnopqrstuvwxyz") != std::string::npos) {
        return -1;
    }
    const size_t start = prefix.size() + 8;
    const std::string call = name.substr(start, name.size() - suffix.size() - start);
    if (call.find_first_not_of("0123456789") != std::string::npos) return -1;
    return std::stol(call);
}

TEST_F(TemporaryFileTest, NamesHaveTheirShapeInTheTemporaryFolder) {
    const std::string folder = root_ + "/UserData/Temp";
    SetTemporaryFolder(folder.c_str());
    Kiv::File::Path first;
    Kiv::File::Path second;
    ASSERT_TRUE(CreateTemporaryFilePath(first, Kiv::PString()));
    ASSERT_TRUE(CreateTemporaryFilePath(second, Kiv::PString()));
    EXPECT_TRUE(fs::is_directory(folder));

    const std::string firstText(first.View());
    const std::string secondText(second.View());
    ASSERT_EQ(firstText.rfind(folder + "/", 0), 0u) << firstText;
    ASSERT_EQ(secondText.rfind(folder + "/", 0), 0u) << secondText;
    const long firstCall = CallNumber(firstText.substr(folder.size() + 1));
    EXPECT_GT(firstCall, 0) << firstText;
    EXPECT_EQ(CallNumber(secondText.substr(folder.size() + 1)), firstCall + 1) << secondText;
    EXPECT_FALSE(fs::exists(firstText));
}

TEST_F(TemporaryFileTest, RelativeFolderIsMadeUnderTheBase) {
    SetTemporaryFolder("temp");
    Kiv::File::Path path;
    ASSERT_TRUE(CreateTemporaryFilePath(path, Kiv::PString(root_.c_str())));
    EXPECT_TRUE(fs::is_directory(root_ + "/temp"));
    const std::string text(path.View());
    ASSERT_EQ(text.rfind("temp/", 0), 0u) << text;
    EXPECT_GT(CallNumber(text.substr(5)), 0) << text;
}

TEST_F(TemporaryFileTest, NoBaseAndARelativeFolderFailsAfterItsTriesAndLogs) {
    const std::string logPath = root_ + "/log.txt";
    Kiv::Options options;
    options.ProcessRaw(("-LogFile=" + logPath).c_str());
    ASSERT_TRUE(Kiv::Log::Init(options));
    SetTemporaryFolder("temp");
    Kiv::File::Path path("unchanged");
    EXPECT_FALSE(CreateTemporaryFilePath(path, Kiv::PString()));
    Kiv::Log::Shutdown();
    EXPECT_EQ(path.View(), "unchanged");
    std::ifstream in(logPath);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(),
              "CreateTemporaryFilePath> unable to form valid temp path in 100 tries, at path "
              "'temp' with prefix 'temp-'\n");
}

// Test processes and command hosts run side by side without start-up's seeding: the process
// generator must not begin on the engine's fixed seed, or they would all draw the same names.
TEST(ProcessRandomTest, DoesNotFollowTheFixedSeed) {
    Kiv::Rand fixed;
    std::vector<int32_t> fixedRun;
    for (int i = 0; i < 1000; ++i) fixedRun.push_back(fixed.NextInt(INT32_MIN, INT32_MAX));
    const int32_t first = ProcessRandom().NextInt(INT32_MIN, INT32_MAX);
    const int32_t second = ProcessRandom().NextInt(INT32_MIN, INT32_MAX);
    for (size_t i = 0; i + 1 < fixedRun.size(); ++i) {
        EXPECT_FALSE(fixedRun[i] == first && fixedRun[i + 1] == second) << "at draw " << i;
    }
}

}  // namespace
