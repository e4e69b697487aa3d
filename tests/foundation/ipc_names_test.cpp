// Discovery names: the exact mutex and block names built from a database path, their
// "kav-<FNV-1a 64>" file names (expected hex written by hand and re-derived by a loop of
// this test's own), the paths that are refused, and the choice of the IPC folder.
#include "foundation/ipc/ipc_names.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// FNV-1a 64 written out here once more, independent of the code under test.
std::string HandFnv1a64(const std::string& text) {
    uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : text)
        hash = (hash ^ c) * 1099511628211ull;
    static const char digits[] = "0123456789abcdef";
    std::string hex(16, '0');
    for (int i = 15; i >= 0; --i, hash >>= 4)
        hex[i] = digits[hash & 0xF];
    return hex;
}

// The folder keeps its case: folders that differ only in case are two installations here.
TEST(DiscoveryNames, MixedCaseDatabasePathGivesTheExactNames) {
    KAVDiscoveryNames names;
    ASSERT_TRUE(BuildDiscoveryNames("\\Program Files\\Kodrin\\UserData\\Assets.TDX", names));
    EXPECT_EQ(names.databaseFolder, "\\Program Files\\Kodrin\\UserData");
    EXPECT_EQ(names.mutexName,
              "09731AC6-B611-4e2a-B181-578073F64F24/Program Files/Kodrin/UserData");
    EXPECT_EQ(names.blockName,
              "09731AC6-B611-4e2a-B181-578073F64F24/Program Files/Kodrin/UserData/-ipc2");
    KAVDiscoveryNames lower;
    ASSERT_TRUE(BuildDiscoveryNames("\\program files\\kodrin\\userdata\\assets.tdx", lower));
    EXPECT_NE(lower.mutexName, names.mutexName);
}

TEST(DiscoveryNames, FileNamesAreTheFnv1a64OfTheFullNames) {
    const std::string mutexName =
        "09731AC6-B611-4e2a-B181-578073F64F24/program files/kodrin/userdata";
    const std::string blockName = mutexName + "/-ipc2";
    EXPECT_EQ(DiscoveryFileStem(mutexName), "kav-07ff3fea7ca2583b");
    EXPECT_EQ(DiscoveryFileStem(blockName), "kav-cbe5c1052484083b");
    EXPECT_EQ(DiscoveryFileStem(mutexName), "kav-" + HandFnv1a64(mutexName));
    EXPECT_EQ(DiscoveryFileStem(blockName), "kav-" + HandFnv1a64(blockName));
    EXPECT_EQ(DiscoveryFilePath("/run/k", blockName, kBlockFileEnding),
              "/run/k/kav-cbe5c1052484083b.blk");
}

TEST(DiscoveryNames, HashMatchesPublishedFnv1a64Values) {
    EXPECT_EQ(HashDiscoveryName(""), 0xcbf29ce484222325ull);
    EXPECT_EQ(HashDiscoveryName("a"), 0xaf63dc4c8601ec8cull);
    EXPECT_EQ(HashDiscoveryName("foobar"), 0x85944171f73967e8ull);
    // Bytes above 0x7F are hashed as unsigned bytes.
    EXPECT_EQ(DiscoveryFileStem("\xE9t\xE9"), "kav-" + HandFnv1a64("\xE9t\xE9"));
}

TEST(DiscoveryNames, OnlyAPathNamingAssetsTdxOnceIsAccepted) {
    struct Case {
        const char* path;
        const char* folder; // null: refused
    };
    const Case cases[] = {
        {"/data/ASSETS.TDX", "/data"},
        {"\\a\\assets.tdx", "\\a"},
        {"/x/assets.tdx/y/assets.tdx", nullptr}, // holds the name twice
        {"/x/assets.tdx.bak", nullptr},
        {"/x/myassets.tdx", nullptr}, // not a file of that name
        {"assets.tdx", nullptr},      // no folder before it
        {"", nullptr},
        {"/x/assets.td", nullptr},
    };
    for (const Case& c : cases) {
        KAVDiscoveryNames names;
        const bool built = BuildDiscoveryNames(c.path, names);
        EXPECT_EQ(built, c.folder != nullptr) << c.path;
        if (built && c.folder) {
            EXPECT_EQ(names.databaseFolder, c.folder) << c.path;
        }
    }
}

// Sets or unsets the IPC variables for one test and restores them afterwards.
class IpcFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : kVariables) {
            const char* value = std::getenv(name);
            saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
            unsetenv(name);
        }
        char pattern[] = "/tmp/ipc_names_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
    }
    void TearDown() override {
        for (const auto& [name, value] : saved_) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
        std::filesystem::remove_all(root_);
    }

    static constexpr const char* kVariables[] = {"KODRIN_IPC_DIR", "XDG_RUNTIME_DIR"};
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
    std::string root_;
};

mode_t ModeOf(const std::string& path) {
    struct stat status;
    return lstat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

TEST_F(IpcFolderTest, ExplicitFolderWinsOverTheRuntimeFolder) {
    setenv("KODRIN_IPC_DIR", (root_ + "/ipc").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", root_.c_str(), 1);
    std::string folder;
    ASSERT_TRUE(GetIpcFolder(folder));
    EXPECT_EQ(folder, root_ + "/ipc");
    EXPECT_EQ(ModeOf(folder), 0700u);
}

TEST_F(IpcFolderTest, RuntimeFolderGetsItsOwnSubfolder) {
    setenv("KODRIN_IPC_DIR", "", 1); // empty counts as unset
    setenv("XDG_RUNTIME_DIR", root_.c_str(), 1);
    std::string folder;
    ASSERT_TRUE(GetIpcFolder(folder));
    EXPECT_EQ(folder, root_ + "/kodrin");
    EXPECT_EQ(ModeOf(folder), 0700u);
}

TEST_F(IpcFolderTest, WithoutVariablesTheFolderIsPerUserInTmp) {
    std::string folder;
    ASSERT_TRUE(GetIpcFolder(folder));
    EXPECT_EQ(folder, "/tmp/kodrin-" + std::to_string(getuid()));
    EXPECT_EQ(ModeOf(folder), 0700u);
}

TEST_F(IpcFolderTest, AWideFolderIsNarrowedAndALinkOrFileIsRefused) {
    const std::string wide = root_ + "/wide";
    ASSERT_EQ(mkdir(wide.c_str(), 0777), 0);
    ASSERT_EQ(chmod(wide.c_str(), 0777), 0);
    setenv("KODRIN_IPC_DIR", wide.c_str(), 1);
    std::string folder;
    ASSERT_TRUE(GetIpcFolder(folder));
    EXPECT_EQ(ModeOf(wide), 0700u);

    const std::string link = root_ + "/link";
    ASSERT_EQ(symlink(wide.c_str(), link.c_str()), 0);
    setenv("KODRIN_IPC_DIR", link.c_str(), 1);
    EXPECT_FALSE(GetIpcFolder(folder));

    const std::string file = root_ + "/file";
    std::FILE* made = std::fopen(file.c_str(), "w");
    ASSERT_NE(made, nullptr);
    std::fclose(made);
    setenv("KODRIN_IPC_DIR", file.c_str(), 1);
    EXPECT_FALSE(GetIpcFolder(folder));
}

} // namespace
