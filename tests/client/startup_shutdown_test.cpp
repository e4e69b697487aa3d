// Start-up and shut-down inside one process, against the stand-in daemon run in-process:
// a start-up stopped after any of its steps, or failing on its own (render kernel, no
// daemon), is followed by a shut-down that leaves nothing behind. Start-up changes the
// working folder and shut-down stops the process's job queue for good, so each case runs
// in a child process of its own; the child prints what it found wrong and exits with 1.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "link/kav/kav_client.h"
#include "client/kodrin_util.h"
#include "link/net/net_startup.h"
#include "client/startup_objects.h"
#include "client/startup_state.h"
#include "client/startup_steps.h"
#include "content3d/resource_database.h"
#include "daemon/daemon_server.h"
#include "engine/builtin_plugins.h"
#include "foundation/text/interface_text.h"
#include "foundation/jobs/worker_job_queue.h"
#include "validation/darodi/data_manager.h"
#include "validation/darodi/error_handler.h"

namespace {

namespace fs = std::filesystem;
using namespace KodrinUtil;

// Where the child's program pretends to be.
std::string g_programPath;

bool FakeOwnPath(Kiv::File::Path& out) {
    out = Kiv::File::Path(g_programPath.c_str());
    return true;
}

class Problems {
public:
    void Check(bool ok, const std::string& what) {
        if (!ok) found_.push_back(what);
    }
    [[noreturn]] void Exit() const {
        for (const std::string& problem : found_) std::fprintf(stderr, "problem: %s\n", problem.c_str());
        std::exit(found_.empty() ? 0 : 1);
    }

private:
    std::vector<std::string> found_;
};

struct Scenario {
    size_t steps;              // steps run; all of them when more
    const char* renderFailure; // the render kernel's failure switch
    bool daemonReachable;
    const char* language;      // the daemon's "language" setting; null: none
};

// The in-process daemon behind the client's port lookup; its request 102 answers language.
class InProcessDaemon {
public:
    explicit InProcessDaemon(const Scenario& scenario) : server_(Options()) {
        const std::string language = scenario.language ? scenario.language : "";
        server_.SetHook(102, [language](const DaemonRequest&, DaemonResponse& response) {
            response.reply = {static_cast<uint8_t>(language.size() + 1), 0, 0, 0};
            response.reply.insert(response.reply.end(), language.begin(), language.end());
            response.reply.push_back(0);
        });
        server_.Start();
        const int32_t port = scenario.daemonReachable ? server_.Port() : 0;
        KAVClientEnvironment environment = KAVClientEnvironment::Defaults();
        environment.lookUpPort = [port](const Kiv::File::Path&) { return port; };
        environment.launchDaemon = [] {};
        environment.sleep = [](int64_t) {};
        KAVClient::SetEnvironment(environment);
    }
    ~InProcessDaemon() { server_.Stop(); }

private:
    static DaemonOptions Options() {
        DaemonOptions options;
        options.idleTime = std::chrono::milliseconds(0);
        return options;
    }
    DaemonServer server_;
};

int BitmapCodecReferences() {
    Kiv::PluginBase* codec = Kiv::PluginBase::LookupPluginType(
        Kiv::kResourceFamilyUId, Kiv::PString(Kiv::kBitmapCodecName));
    if (!codec) return -1;
    const int references = codec->GetReferenceCount() - 1;
    codec->ReleaseReference();
    return references;
}

void CheckNothingLeft(const StartupRecord& record, Problems& problems) {
    const StartupObjects& objects = GetStartupObjects();
    for (uintptr_t word : record.words) problems.Check(word == 0, "a record word is left");
    problems.Check(!objects.os && !objects.resourceSystem && !objects.renderKernel,
                   "an engine object is left");
    problems.Check(!objects.bitmapCodec, "the bitmap codec reference is left");
    problems.Check(BitmapCodecReferences() == 1, "the bitmap codec is still referenced");
    problems.Check(!DownloadServiceAvailable(), "the download-service marker is left");
    problems.Check(DAROdi::ErrorHandler::Instance() == nullptr, "the error handler is left");
    problems.Check(!DAROdi::DataManager::HasInstance(), "the data manager is left");
    problems.Check(!DAROdi::DataManager::IsKodrinBumpVertexTypeRegistered(),
                   "the bump vertex type is still registered");
    problems.Check(!KAVClient::IsStarted() && !KAVClient::IsConnected(), "the client still runs");
    problems.Check(NetStartCount() == 0, "the network layer still runs");
    problems.Check(KodrinResourceDatabase::GetEntryCount() == 0, "resource databases are left");
    problems.Check(WorkerJobQueue::Singleton().WorkerCount() == 0, "worker threads are left");
}

// What a whole start-up leaves for the commands.
void CheckStarted(const StartupRun& run, const std::string& base, Problems& problems) {
    const StartupObjects& objects = GetStartupObjects();
    problems.Check(run.record.words[0] == reinterpret_cast<uintptr_t>(objects.resourceSystem.get()) &&
                       run.record.words[1] == reinterpret_cast<uintptr_t>(objects.renderKernel.get()) &&
                       run.record.words[4] == reinterpret_cast<uintptr_t>(objects.os.get()) &&
                       run.record.words[2] == 0 && run.record.words[3] == 0 &&
                       run.record.words[5] == 0 && objects.os,
                   "the record holds the engine objects in words 0, 1 and 4");
    problems.Check(objects.renderKernel->GetRenderer() == Kiv::RenderKernel::Renderer::kOpenGL,
                   "the OpenGL renderer runs");
    problems.Check(Kiv::File::GetCwd().Std() == base, "the program folder is the working folder");
    problems.Check(DAROdi::DataManager::Instance().GetTemplateFolder() == base + "/VAVIrov/",
                   "the templates are in the program folder");
    problems.Check(DAROdi::DataManager::Instance().HasScene() &&
                       DAROdi::DataManager::IsKodrinBumpVertexTypeRegistered(),
                   "the validation scene is set up");
    problems.Check(fs::is_directory(base + "/UserData/cache/water"), "UserData is made");
    problems.Check(KAVClient::IsStarted(), "the client started");
    problems.Check(objects.bitmapCodec && objects.bitmapCodec->Get(), "the bitmap codec is held");
    problems.Check(DownloadServiceAvailable(), "the download service is marked");
    problems.Check(InterfaceTextDB::FileName() == Kiv::PString("interfaceGerman.chump"),
                   "the daemon's language is chosen");
}

// Without a daemon the language, plug-in and marker steps still run, with the language
// falling back to "US".
void CheckLateStepsRan(Problems& problems) {
    const StartupObjects& objects = GetStartupObjects();
    problems.Check(InterfaceTextDB::FileName() == Kiv::PString("interfacetext.chump"),
                   "the default language is chosen");
    problems.Check(objects.bitmapCodec && objects.bitmapCodec->Get(), "the bitmap codec is held");
    problems.Check(DownloadServiceAvailable(), "the download service is marked");
}

[[noreturn]] void StartStopAndCheck(const Scenario& scenario, int expectedResult) {
    Problems problems;
    std::string base = (fs::temp_directory_path() / "kodrin-startup-XXXXXX").string();
    if (!mkdtemp(base.data())) std::exit(2);
    base = fs::canonical(base).string();
    g_programPath = base + "/KodrinUtil";
    const std::string startFolder = Kiv::File::GetCwd().Std();
    Kiv::RenderKernel::SetFailure(scenario.renderFailure);
    InterfaceTextDB::SetLanguage("FR");
    {
        InProcessDaemon daemon(scenario);
        StartupRecord record;
        char program[] = "KodrinUtil";
        char command[] = "version";
        char* argv[] = {program, command, nullptr};
        StartupRun run{record, 2, argv};
        run.ownPath = FakeOwnPath;
        const int result = RunStartupSteps(run, scenario.steps);
        problems.Check(result == expectedResult, "start-up gave " + std::to_string(result));
        const bool whole = scenario.steps >= StartupSteps().size();
        if (whole && result == 0) CheckStarted(run, base, problems);
        if (whole && !scenario.daemonReachable) CheckLateStepsRan(problems);
        if (scenario.steps > 2)
            problems.Check(GetStartupState().startupWorkingFolder == startFolder,
                           "the start-up working folder is kept");
        Shutdown(record);
        CheckNothingLeft(record, problems);
    }
    fs::remove_all(base);
    problems.Exit();
}

class StartupShutdownTest : public ::testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(StartupShutdownTest, AWholeStartUpAndItsShutDown) {
    EXPECT_EXIT(StartStopAndCheck({StartupSteps().size(), "", true, "de"}, 0),
                ::testing::ExitedWithCode(0), "");
}

TEST_F(StartupShutdownTest, AStartUpStoppedAfterAnyStepIsTakenDownCleanly) {
    for (size_t steps = 0; steps < StartupSteps().size(); ++steps) {
        const char* last = steps == 0 ? "none" : StartupSteps()[steps - 1].name;
        EXPECT_EXIT(StartStopAndCheck({steps, "", true, "de"}, 0), ::testing::ExitedWithCode(0), "")
            << "stopped after step " << steps << " (" << last << ")";
    }
}

TEST_F(StartupShutdownTest, FailingStartUpsAreTakenDownCleanly) {
    const size_t all = StartupSteps().size();
    EXPECT_EXIT(StartStopAndCheck({all, "all", true, "de"}, 255), ::testing::ExitedWithCode(0),
                "Unable to load render kernel. Retrying with -NullRender.\n"
                "- Unable to initialize render system\n\n");
    EXPECT_EXIT(StartStopAndCheck({all, "", false, nullptr}, 255), ::testing::ExitedWithCode(0), "");
}

}  // namespace
