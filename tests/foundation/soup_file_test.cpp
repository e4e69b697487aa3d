// Soup files: the extension rule, the load and save outcomes that do not depend on a soup
// form, and the recovering load (a damaged file is replaced from its ".tmp" companion; a
// file that cannot be opened or read is never deleted).
#include "foundation/soup/chunk_ref.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "foundation/soup/soup_file.h"
#include "foundation/soup/soup_file_recovery.h"

namespace fs = std::filesystem;

namespace {

TEST(SoupFileExtension, AnExplicitExtensionWinsElseTheTextAfterTheLastPoint) {
    struct Case {
        const char* extension;
        const char* name;
        const char* resolved;
    } cases[] = {
        {"chump", "config", "chump"},
        {".cdp", "a.txt", "cdp"},
        {"", "config.TXT", "TXT"},
        {nullptr, "dir.v2/config", "v2/config"},
        {nullptr, "a.b.cdp2", "cdp2"},
        {nullptr, "config", ""},
        {nullptr, "trailing.", ""},
        {nullptr, nullptr, ""},
        {".", "a.txt", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResolveFileExtension(c.extension, c.name), c.resolved)
            << (c.extension ? c.extension : "(null)") << " " << (c.name ? c.name : "(null)");
}

class SoupFileTest : public testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/soup_file_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        base_ = Kiv::PString(root_.c_str());
    }
    void TearDown() override { fs::remove_all(root_); }

    std::string At(const std::string& name) const { return root_ + "/" + name; }
    void Write(const std::string& name, const std::string& content) {
        std::ofstream(At(name), std::ios::binary) << content;
    }
    std::optional<std::string> Content(const std::string& name) const {
        if (!fs::is_regular_file(At(name))) return std::nullopt; // never open a pipe
        std::ifstream in(At(name), std::ios::binary);
        if (!in) return std::nullopt;
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::string root_;
    Kiv::PString base_;
};

TEST_F(SoupFileTest, LoadingFailsAndKeepsTheHandleWhenTheFileDoesNotOpen) {
    fs::create_directory(At("folder.txt"));
    ASSERT_EQ(mkfifo(At("pipe.txt").c_str(), 0600), 0);
    for (const char* name : {"missing.txt", "folder.txt", "pipe.txt"}) {
        ACSChunkRef soup;
        soup.SetNamedTagInt("kept", 1);
        ACSChunk* before = soup.Get();
        EXPECT_FALSE(soup.LoadFromFile(root_.c_str(), name, nullptr, false)) << name;
        EXPECT_FALSE(soup.LoadFromFile(nullptr, At(name).c_str(), nullptr, false)) << name;
        EXPECT_EQ(soup.Get(), before);
        EXPECT_EQ(LoadSoupFile(soup, root_.c_str(), name, nullptr, false),
                  SoupFileStatus::NotOpened);
    }
}

// Whatever the reader makes of the bytes, a file that opens under a soup extension loads.
TEST_F(SoupFileTest, EverySoupExtensionLoadsInAnyCaseByNameOrExplicitly) {
    struct Case {
        const char* name;
        const char* extension;
    } cases[] = {{"config.TXT", nullptr},
                 {"config", "chump"},
                 {"a.b.Cdp", nullptr},
                 {"x.cdp2", nullptr},
                 {"x.dat", ".txt"}};
    for (const Case& c : cases) {
        Write(c.name, "not a soup");
        ACSChunkRef soup;
        EXPECT_TRUE(soup.LoadFromFile(root_.c_str(), c.name, c.extension, false)) << c.name;
        EXPECT_TRUE(soup.LoadFromFile(nullptr, At(c.name).c_str(), c.extension, false)) << c.name;
    }
}

TEST_F(SoupFileTest, AnUnknownExtensionIsRefused) {
    Write("config.dat", "a 1\r\n");
    ACSChunkRef soup;
    soup.SetNamedTagInt("kept", 1);
    ACSChunk* before = soup.Get();
    EXPECT_FALSE(soup.LoadFromFile(root_.c_str(), "config.dat", nullptr, false));
    EXPECT_FALSE(soup.LoadFromFile(root_.c_str(), "config.txt.", "", false));
    EXPECT_EQ(LoadSoupFile(soup, root_.c_str(), "config.dat", nullptr, false),
              SoupFileStatus::UnknownForm);
    EXPECT_EQ(soup.Get(), before);

    EXPECT_FALSE(soup.SaveToFile(root_.c_str(), "out.dat", nullptr));
    EXPECT_FALSE(soup.SaveToFile(root_.c_str(), "out", nullptr));
    EXPECT_FALSE(fs::exists(At("out.dat")));
    EXPECT_FALSE(fs::exists(At("out")));
}

TEST_F(SoupFileTest, SavingReportsAFileThatDoesNotOpenOrAWriteThatFails) {
    ACSChunkRef soup;
    soup.SetNamedTagInt("a", 1);
    EXPECT_FALSE(soup.SaveToFile(At("no/such/folder").c_str(), "config.txt", nullptr));
    for (const char* extension : {"txt", "chump"})
        EXPECT_FALSE(soup.SaveToFile(nullptr, "/dev/full", extension)) << extension;
}

// A loader over the scratch folder: a file that does not open is NotOpened, an empty one
// Empty, one holding "unreadable" Unread, any other Loaded (its content noted).
class RecoveryTest : public SoupFileTest {
  protected:
    SoupFileStatus Load(const Kiv::File::Path& path) {
        Kiv::File file;
        if (!file.Open(root_.c_str(), path.c_str(), Kiv::File::kOpenRead)) {
            return SoupFileStatus::NotOpened;
        }
        std::string content(static_cast<size_t>(file.Size()), '\0');
        file.Read(content.data(), 1, content.size());
        if (content.empty()) return SoupFileStatus::Empty;
        if (content == "unreadable") return SoupFileStatus::Unread;
        loaded_ = content;
        return SoupFileStatus::Loaded;
    }
    bool Recover(const char* path) {
        loaded_.reset();
        return RecoverSoupFile(base_, path, [this](const Kiv::File::Path& p) { return Load(p); });
    }

    std::optional<std::string> loaded_;
};

enum class Kind { Missing, Good, Damaged, Unreadable, Pipe };

TEST_F(RecoveryTest, OnlyAFileThatWasReadAndHeldNoSoupIsDeleted) {
    struct Case {
        const char* what;
        Kind main;
        Kind companion;
        bool result;
        std::optional<std::string> loaded;
        std::optional<std::string> mainAfter; // nothing: no such regular file
        std::optional<std::string> companionAfter;
    } cases[] = {
        {"both good", Kind::Good, Kind::Good, true, "main", "main", std::nullopt},
        {"main alone", Kind::Good, Kind::Missing, true, "main", "main", std::nullopt},
        {"damaged main", Kind::Damaged, Kind::Good, true, "companion", "companion", std::nullopt},
        {"companion alone", Kind::Missing, Kind::Good, true, "companion", "companion",
         std::nullopt},
        {"damaged alone", Kind::Damaged, Kind::Missing, false, std::nullopt, std::nullopt,
         std::nullopt},
        {"both damaged", Kind::Damaged, Kind::Damaged, false, std::nullopt, std::nullopt,
         std::nullopt},
        {"unreadable main", Kind::Unreadable, Kind::Missing, false, std::nullopt, "unreadable",
         std::nullopt},
        {"unreadable companion", Kind::Damaged, Kind::Unreadable, false, std::nullopt, std::nullopt,
         "unreadable"},
        {"unreadable main, good companion", Kind::Unreadable, Kind::Good, true, "companion",
         "unreadable", "companion"},
        {"main not a file", Kind::Pipe, Kind::Good, true, "companion", std::nullopt, "companion"},
        {"nothing", Kind::Missing, Kind::Missing, false, std::nullopt, std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(root_);
        fs::create_directory(root_);
        const std::map<Kind, std::string> contents = {{Kind::Damaged, ""},
                                                      {Kind::Unreadable, "unreadable"}};
        auto make = [&](const char* name, Kind kind, const char* good) {
            if (kind == Kind::Missing) return;
            if (kind == Kind::Pipe) {
                ASSERT_EQ(mkfifo(At(name).c_str(), 0600), 0);
                return;
            }
            Write(name, kind == Kind::Good ? good : contents.at(kind));
        };
        make("config.txt", c.main, "main");
        make("config.tmp", c.companion, "companion");

        EXPECT_EQ(Recover("config.txt"), c.result);
        EXPECT_EQ(loaded_, c.loaded);
        EXPECT_EQ(Content("config.txt"), c.mainAfter);
        EXPECT_EQ(Content("config.tmp"), c.companionAfter);
        if (c.main == Kind::Pipe) {
            EXPECT_TRUE(fs::is_fifo(At("config.txt")));
        }
    }
}

TEST_F(RecoveryTest, AFileThatIsItselfACompanionIsNeverDeletedOnLoading) {
    Write("state.TMP", "content");
    EXPECT_TRUE(Recover("state.TMP"));
    EXPECT_EQ(loaded_, "content");
    EXPECT_EQ(Content("state.TMP"), "content");
}

// Runs body in a child process, under the ids of "nobody" when the test runs as root so
// that file permissions apply; returns the child's exit code.
int RunUnprivileged(const std::function<int()>& body) {
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(90);
        _exit(body());
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(SoupFileTest, AMainFileWithoutReadPermissionIsKept) {
    Write("config.txt", "name value\r\n");
    ASSERT_EQ(chmod(At("config.txt").c_str(), 0), 0);
    ASSERT_EQ(chmod(root_.c_str(), 0777), 0); // the unprivileged child may delete in it
    const int code = RunUnprivileged([this] {
        ACSChunkRef soup;
        const bool loaded = soup.LoadFromFileWithRecovery(base_, "config.txt");
        return loaded ? 1 : soup.Get() ? 2 : 0;
    });
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(fs::exists(At("config.txt")));
    ASSERT_EQ(chmod(At("config.txt").c_str(), 0644), 0);
    EXPECT_EQ(Content("config.txt"), "name value\r\n");
}

} // namespace
