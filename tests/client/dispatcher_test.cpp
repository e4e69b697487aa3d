// The dispatcher against the in-process stand-in daemon: words in any case, the
// build-identity words, every argument check with its exact message and no request sent,
// the invalid-argument answer as printed, the KUID argument reaching the daemon strictly
// parsed, the working-folder scope (compile runs in it), and fpxparse stopping at an
// archive it cannot read.
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "client/commands/startup_folder_scope.h"
#include "client/kodrin_util.h"
#include "client/startup_state.h"
#include "command_test_support.h"

namespace {

using Lines = std::vector<std::string>;

// Every request a command of the table could send.
const std::vector<int32_t> kAllRequests = {2,  20, 21, 30,  32,  33,  34,  35,  36,
                                           38, 48, 58, 100, 101, 103, 230, 253, 270};

struct WordCase {
    std::vector<const char*> words;
    int result;
    const char* out;
    Lines log;
};

const char* const kInvalidArgument =
    "- <NULL> : Invalid argument, please check the help for the list of valid argument\n";

using DispatcherTest = CommandTest;

TEST_F(DispatcherTest, DaemonFreeWordsAnswerTheBuildIdentity) {
    const WordCase cases[] = {
        {{"VERSION"}, 0, "Build 49933\n", {}},
        {{"Version", "extra"}, 0, "Build 49933\n", {}},
        {{"installedversionlo"}, 74, "", {}},
        {{"installedversionhi"}, 1, "", {}},
        {{"installedbuildnumberlo"}, 13, "", {}},
        {{"installedbuildnumberhi"}, 195, "", {}},
        {{"installedversion"}, 330, "", {}},
        {{"InstalledBuildNumber"}, 49933, "", {}},
        {{"echo", "a", "b c"}, 0, "a b c \n", {}},
        {{"echo"}, 0, "\n", {}},
    };
    for (const WordCase& c : cases) {
        EXPECT_EQ(Run(c.words), c.result) << c.words[0];
        EXPECT_EQ(out_, c.out) << c.words[0];
        EXPECT_EQ(LogLines(), c.log) << c.words[0];
    }
}

// Each check adds its message and answers -1 before any request goes out.
TEST_F(DispatcherTest, ArgumentChecksAddTheirMessageAndSendNothing) {
    RecordOnly(kAllRequests);
    const std::string invalid = kInvalidArgument;
    const WordCase cases[] = {
        {{"setlanguage"}, -1, "", {"- <NULL> : Missing input langauge id parameter."}},
        {{"setlanguage", "xx"}, -1, "", {"- <NULL> : Unknown language code."}},
        {{"setlanguage", "usa"}, -1, "", {"- <NULL> : Unknown language code."}},
        {{"importconsists"}, -1, "", {"- <NULL> : Missing input path parameter."}},
        {{"installfromfpx"}, -1, "", {"- <NULL> : Missing AssetID parameter."}},
        {{"installfromfpx", "wagon"}, -1, "", {"- <NULL> : Missing AssetID parameter."}},
        {{"installfromfpx", "<NULL>"}, -1, "", {"- <NULL> : Missing AssetID parameter."}},
        {{"edit"}, -1, "", {"- <NULL> : Missing AssetID parameter."}},
        {{"edit", ""}, -1, "", {"- <NULL> : Missing AssetID parameter."}},
        {{"printconfig"}, -1, "", {"- <NULL> : Missing AssetID parameter."}},
        {{"compile"}, -1, "", {"- <NULL> : Invalid file path."}},
        {{"encrypt"}, -1, "", {"- <NULL> : Invalid file path."}},
        {{"encrypt", "script.txt"}, -1, "", {"- <NULL> : Invalid file path."}},
        {{"listbuilds"}, -1, "", {"- <NULL> : Missing path parameter."}},
        {{"commit"}, -1, "", {"- <NULL> : Missing AssetID parameter."}},
        {{"revert"}, -1, "", {"- <NULL> : Missing AssetID parameter."}},
        {{"delete"}, -1, "", {"- <NULL> : Missing AssetID parameter."}},
        {{"compresstexture"}, -1, "", {"- <NULL> : Missing AssetID parameter."}},
        {{"compresstexture", "/nonexistent/Textures"},
         -1,
         "",
         {"- <NULL> : Unable to search path: '/nonexistent/Textures'"}},
        {{"searchbycategory", "-a"}, -1, "", {"- <NULL> : Missing category parameter."}},
        {{"searchbycategory", "-A", ""}, -1, "", {"- <NULL> : Missing category parameter."}},
        {{"status"}, -1, "", {"- <NULL> : Missing AssetID parameter."}},
        {{"validate"}, -1, "", {"- <NULL> : Missing AssetID parameter."}},
        {{"createcdp"}, -1, "", {"- <NULL> : Missing output path parameter."}},
        {{"createcdp", "out.zip", "<kuid:1:2>"},
         -1,
         "",
         {"- <NULL> : The output filename must have a .cdp extension."}},
        {{"createcdp", "cdp"}, -1, "", {"- <NULL> : The output filename must have a .cdp extension."}},
        {{"fpxparse"}, -1, "", {"- <NULL> : Missing CDP filepath."}},
        {{"registeraccount", "alice"}, -1, "", {invalid}},
        {{"frobnicate"}, -1, "", {invalid}},
        {{""}, -1, "", {invalid}},
        {{}, -1, "", {invalid}},
    };
    for (const WordCase& c : cases) {
        const std::string name = c.words.empty() ? "(none)" : c.words[0];
        EXPECT_EQ(Run(c.words), c.result) << name;
        EXPECT_EQ(out_, c.out) << name;
        EXPECT_EQ(LogLines(), c.log) << name;
    }
    EXPECT_EQ(RequestsSent(kAllRequests), 0u);
}

// The message ends with a line feed, so the printed line is followed by an empty one.
TEST_F(DispatcherTest, UnknownWordPrintsItsLineThenAnEmptyLine) {
    EXPECT_EQ(Run({"help-me"}), -1);
    testing::internal::CaptureStdout();
    KodrinUtil::PrintResults(*log_);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              std::string(kInvalidArgument) + "\nOK (1 Errors, 0 Warnings)\n");
}

// With a password the row matches; the argument error was not a settings error.
TEST_F(DispatcherTest, RegisterAccountNeedsNameAndPassword) {
    RecordOnly({100, 101});
    Run({"registeraccount", "alice"});
    EXPECT_TRUE(Payloads(100).empty());
    Run({"registeraccount", "alice", "secret"});
    EXPECT_EQ(Payloads(100).size(), 1u);
}

// The argument is lower-cased, then parsed strictly: a tag in capitals is a KUID, a bare
// pair is not and reaches the daemon as the null KUID.
TEST_F(DispatcherTest, KuidArgumentsReachTheDaemonStrictlyParsed) {
    RecordOnly({21});
    Run({"status", "<KUID2:1234:56:2>"});
    Run({"status", "1234:56"});
    Run({"status", "wagon"});
    EXPECT_EQ(Payloads(21), (std::vector<Bytes>{Concat({KuidBytes(1234, 56, 2), Le32(0xFFFFFFFF)}),
                                                Concat({KuidBytes(-1, -1, 127), Le32(0xFFFFFFFF)}),
                                                Concat({KuidBytes(-1, -1, 127), Le32(0xFFFFFFFF)})}));
    EXPECT_EQ(LogLines(), Lines{"- <NULL> : Unknown AssetID."});
}

// The word in any case reaches fpxparse; an archive that cannot be read is one error (its
// text, from the installation's interface text, is checked end to end) and nothing is sent
// to the daemon.
TEST_F(DispatcherTest, FPXParseOfAnUnreadableArchiveFailsAndSendsNothing) {
    RecordOnly(kAllRequests);
    EXPECT_EQ(Run({"FPXParse", "/no/Such/Delivery.cdp"}), -1);
    EXPECT_EQ(out_, "");
    EXPECT_EQ(log_->ErrorCount(), 1);
    EXPECT_EQ(log_->EntryCount(), 1);
    EXPECT_EQ(RequestsSent(kAllRequests), 0u);
}

TEST_F(DispatcherTest, CloseKAVDaemonEndsTheDaemonAndSucceedsWhateverHappens) {
    EXPECT_EQ(Run({"closekavdaemon"}), 0);
    EXPECT_TRUE(WaitUntilDisconnected());
    EXPECT_EQ(server_->WaitForExit(), DaemonExit::kCloseRequest);
    EXPECT_EQ(Run({"closekavdaemon"}), 0);
    EXPECT_TRUE(LogLines().empty());
}

class StartupFolderTest : public testing::Test {
protected:
    void SetUp() override {
        saved_ = KodrinUtil::GetStartupState().startupWorkingFolder;
        before_ = CurrentFolder();
        ASSERT_EQ(chdir(programFolder_.Path().c_str()), 0);
    }
    void TearDown() override {
        KodrinUtil::GetStartupState().startupWorkingFolder = saved_;
        ASSERT_EQ(chdir(before_.c_str()), 0);
    }

    TemporaryFolder programFolder_;
    TemporaryFolder startFolder_;
    std::string saved_;
    std::string before_;
};

TEST_F(StartupFolderTest, ScopeRunsInTheStartFolderAndComesBack) {
    KodrinUtil::GetStartupState().startupWorkingFolder = startFolder_.Path();
    {
        KodrinUtil::StartupFolderScope scope;
        EXPECT_EQ(CurrentFolder(), startFolder_.Path());
    }
    EXPECT_EQ(CurrentFolder(), programFolder_.Path());
}

// compile takes its paths from the start folder, leaves the caller's vector as it was and
// goes back; a compile with errors (the compiler prints its log) becomes -1 and one error
// entry with the compiler's error count.
TEST_F(StartupFolderTest, CompileRunsTheCompilerInTheStartFolder) {
    KodrinUtil::GetStartupState().startupWorkingFolder = startFolder_.Path();
    std::ofstream(startFolder_.Path("good.gs")) << "class Good { };";
    std::ofstream(startFolder_.Path("bad.gs")) << "class Bad {";
    const struct {
        const char* name;
        int result;
        Lines entries;
    } cases[] = {{"good.gs", 0, {}}, {"bad.gs", -1, {"- The script did not compile: 1 errors."}}};
    for (const auto& c : cases) {
        std::string words[] = {"KodrinUtil", "compile", "-s", c.name};
        char* argv[] = {words[0].data(), words[1].data(), words[2].data(), words[3].data(), nullptr};
        ResultsLog log;
        KodrinUtil::StartupRecord record;
        EXPECT_EQ(KodrinUtil::RunCommand(log, record, 4, argv), c.result) << c.name;
        EXPECT_STREQ(argv[1], "compile");
        Lines entries;
        for (const ResultsLogEntry& entry : log.Entries())
            entries.push_back((entry.kind == ResultsLogKind::Error ? "- " : "? ") + entry.text.Std());
        EXPECT_EQ(entries, c.entries) << c.name;
        EXPECT_EQ(CurrentFolder(), programFolder_.Path());
    }
    EXPECT_TRUE(std::filesystem::exists(startFolder_.Path("good.gsl")));
    EXPECT_FALSE(std::filesystem::exists(startFolder_.Path("bad.gsl")));
}

TEST_F(StartupFolderTest, ScopeStaysWithoutAStartFolderOrWhenItIsGone) {
    const std::string gone = startFolder_.Path("gone");
    for (const std::string& start : {std::string(), gone}) {
        KodrinUtil::GetStartupState().startupWorkingFolder = start;
        KodrinUtil::StartupFolderScope scope;
        EXPECT_EQ(CurrentFolder(), programFolder_.Path()) << start;
    }
}

} // namespace
