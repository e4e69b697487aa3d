// `encrypt` through a script file the test controls: the source must end in ".gs" and
// load, the ".gse" beside it must be written, and the work happens in the working folder
// the process started in.
#include <unistd.h>

#include "client/commands/script_commands.h"
#include "client/startup_state.h"
#include "command_test_support.h"

namespace {

class RecordingScriptFile final : public KodrinUtil::EncryptScriptFile {
public:
    bool loads = true;
    bool saves = true;
    std::vector<std::string> calls;

    bool Load(const Kiv::File::Path& source) override {
        calls.push_back("load " + std::string(source.View()) + " in " + CurrentFolder());
        return loads;
    }
    bool Save(const Kiv::File::Path& target) override {
        calls.push_back("save " + std::string(target.View()));
        return saves;
    }
    void Close() override { calls.push_back("close"); }
};

struct EncryptCase {
    const char* name;
    const char* source;
    bool loads;
    bool saves;
    int result;
    std::vector<std::string> log;
    std::vector<std::string> calls;  // "<start>" stands for the start-up folder
};

class EncryptTest : public testing::Test {
protected:
    void SetUp() override {
        saved_ = KodrinUtil::GetStartupState().startupWorkingFolder;
        KodrinUtil::GetStartupState().startupWorkingFolder = start_.Path();
        before_ = CurrentFolder();
    }
    void TearDown() override {
        KodrinUtil::GetStartupState().startupWorkingFolder = saved_;
        EXPECT_EQ(CurrentFolder(), before_);
    }

    TemporaryFolder start_;
    std::string saved_;
    std::string before_;
};

TEST_F(EncryptTest, LoadsTheSourceAndWritesTheEncryptedFormBesideIt) {
    const EncryptCase cases[] = {
        {"written", "Scripts/Loco.GS", true, true, 0, {},
         {"load Scripts/Loco.GS in <start>", "save Scripts/Loco.gse", "close"}},
        {"save fails", "loco.gs", true, false, -1, {"- <NULL> : Failed to write output file."},
         {"load loco.gs in <start>", "save loco.gse", "close"}},
        {"load fails", "loco.gs", false, true, -1, {"- <NULL> : Invalid file path."},
         {"load loco.gs in <start>", "close"}},
        {"not a script", "loco.gse", true, true, -1, {"- <NULL> : Invalid file path."}, {"close"}},
        {"no extension", "gs", true, true, -1, {"- <NULL> : Invalid file path."}, {"close"}},
    };
    for (const EncryptCase& c : cases) {
        std::string word = "encrypt";
        std::string source = c.source;
        std::string program = "KodrinUtil";
        char* argv[] = {program.data(), word.data(), source.data(), nullptr};
        ResultsLog log;
        KodrinUtil::StartupRecord record;
        KodrinUtil::CommandContext context{log, record, 3, argv, Kiv::PString("encrypt"),
                                           Kiv::PString(c.source).ToLower()};
        RecordingScriptFile script;
        script.loads = c.loads;
        script.saves = c.saves;
        EXPECT_EQ(KodrinUtil::EncryptScript(context, script), c.result) << c.name;
        std::vector<std::string> calls;
        for (std::string call : c.calls) {
            const size_t at = call.find("<start>");
            if (at != std::string::npos) call.replace(at, 7, start_.Path());
            calls.push_back(call);
        }
        EXPECT_EQ(script.calls, calls) << c.name;
        std::vector<std::string> lines;
        for (const ResultsLogEntry& entry : log.Entries())
            lines.push_back("- <NULL> : " + entry.text.Std());
        EXPECT_EQ(lines, c.log) << c.name;
        EXPECT_EQ(CurrentFolder(), before_) << c.name;
    }
}

} // namespace
