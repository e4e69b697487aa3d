// The conversion of a folder tree in the test's own process: the chain's steps on the
// threads their flags name, a tree converted under a given location (the command host's
// road) and through the path splitter (the command's road), the old ".texture" deleted and
// every description back under its own name whatever failed, and the faults: a path in no
// location, a description that cannot be moved aside, a resource of the wrong class (a
// failure, never a success), a second run after a failed one, an empty folder and a folder
// that cannot be searched; a bad description named by its own name with the reason; an
// interruption midway and the descriptions a killed run left under their temporary names.
#include "content3d/compress_texture_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "content3d/program_plugins.h"
#include "content3d/resource_database.h"
#include "content3d/resource_database_holder.h"
#include "content3d/textures/kav_texture_convert_file_rpc.h"
#include "engine/ascii_texture_resource.h"
#include "engine/builtin_plugins.h"
#include "engine/plugin_base.h"
#include "engine/resource_system.h"
#include "engine/resource_type.h"
#include "engine/temp_folder.h"
#include "foundation/crash/interrupt_request.h"
#include "foundation/jobs/worker_job.h"
#include "foundation/jobs/worker_job_queue.h"
#include "foundation/results/results_log.h"
#include "foundation/text/interface_text.h"
#include "texture_test_files.h"

namespace {

constexpr const char* kLocation = "kivtexjobs";

std::vector<std::string> Texts(const ResultsLog& log) {
    std::vector<std::string> texts;
    for (const ResultsLogEntry& entry : log.Entries())
        texts.push_back(std::to_string(entry.kind) + " " + std::string(entry.text.View()));
    return texts;
}

// An error entry of an interface-text key, its placeholders filled as the job fills them
// (the table may be the installed English one or, without one, the keys themselves).
std::string KeyError(const char* key, const std::string& fileName, const std::string& reason = "") {
    std::string text(GetInterfaceText(Kiv::PString(key)).View());
    for (const auto& [placeholder, value] :
         {std::pair<std::string, std::string>{"$(FILE_NAME)", fileName}, {"$(ARCHIVE)", kLocation},
          {"$(REASON)", reason}}) {
        for (size_t at = text.find(placeholder); at != std::string::npos; at = text.find(placeholder))
            text.replace(at, placeholder.size(), value);
    }
    return "3 " + text;
}

// The test's installation: its location folder is "<root>/kivtexjobs".
std::string g_root;

bool SplitUnderRoot(Kiv::PString& location, Kiv::File::Path& path);

// The command's splitter, which asks for a shut-down (SIGTERM) when the job it prepares is
// the twelfth: the signal comes at a known point of the walk, not at a moment of the clock.
constexpr int kInterruptedJob = 12;
std::atomic<int> g_splits{0};

bool SplitAndInterrupt(Kiv::PString& location, Kiv::File::Path& path) {
    if (++g_splits == kInterruptedJob) raise(SIGTERM);
    return SplitUnderRoot(location, path);
}

bool SplitUnderRoot(Kiv::PString& location, Kiv::File::Path& path) {
    if (!location.IsEmpty()) return true;
    const std::string prefix = g_root + "/" + kLocation + "/";
    const std::string text(path.View());
    if (text.rfind(prefix, 0) != 0) {
        location = Kiv::PString();
        path = Kiv::File::Path();
        return false;
    }
    location = Kiv::PString(kLocation);
    path = Kiv::File::Path(text.substr(prefix.size()).c_str());
    return true;
}

class TextureJobsTest : public testing::Test {
protected:
    void SetUp() override {
        KivGetPlugins();
        g_root = temp.Root();
        SetTextureAssetPathSplitter(SplitUnderRoot);
        ResourceDatabaseHolder::SetInstallFolder(temp.Root().c_str());
        temp.MakeFolder(kLocation);
        database = KodrinResourceDatabase::Open(Kiv::PString(kLocation), temp.Root().c_str());
        ASSERT_NE(database, nullptr);
    }
    void TearDown() override {
        KodrinResourceDatabase::Release(database);
        system.DumpUnusedResourcesFromCache();
        KodrinResourceDatabase::PurgeAll();
        SetTextureAssetPathSplitter(nullptr);
        ResourceDatabaseHolder::SetInstallFolder(nullptr);
    }

    void Write(const std::string& relative, const std::string& bytes) {
        const size_t slash = relative.rfind('/');
        if (slash != std::string::npos) temp.MakeFolder(std::string(kLocation) + "/" + relative.substr(0, slash));
        temp.WriteFile(std::string(kLocation) + "/" + relative, bytes);
    }
    bool Exists(const std::string& relative) const {
        return temp.Exists(std::string(kLocation) + "/" + relative);
    }
    std::string Absolute(const std::string& relative) const {
        return temp.Root() + "/" + kLocation + (relative.empty() ? "" : "/" + relative);
    }

    Kiv::ResourceSystem system;
    TempFolder temp;
    KodrinResourceDatabase* database = nullptr;
    ResultsLog log;
};

// A step that notes the order it ran in and whether on the main thread.
struct StepProbe {
    std::vector<std::pair<int, bool>> runs;
    void First(intptr_t) { runs.push_back({1, WorkerJobQueue::IsMainThread()}); }
    void Second(intptr_t) { runs.push_back({2, WorkerJobQueue::IsMainThread()}); }
    void Third(intptr_t) { runs.push_back({3, WorkerJobQueue::IsMainThread()}); }
};

TEST(KodrinWorkerCallChain, RunsItsStepsInOrderOnTheThreadsTheirFlagsName) {
    ASSERT_TRUE(WorkerJobQueue::IsMainThread());
    StepProbe probe;
    KodrinWorkerCallChain chain;
    chain.AddStep(std::make_unique<TCXCallbackCPPVoidPtr<StepProbe>>(&probe, &StepProbe::First),
                  KAVTextureConvertFileRPC::kLoadFlags);
    chain.AddStep(std::make_unique<TCXCallbackCPPVoidPtr<StepProbe>>(&probe, &StepProbe::Second),
                  KAVTextureConvertFileRPC::kCompressFlags);
    chain.AddStep(std::make_unique<TCXCallbackCPPVoidPtr<StepProbe>>(&probe, &StepProbe::Third),
                  KAVTextureConvertFileRPC::kFinishFlags);
    chain.Start();
    chain.Wait();
    EXPECT_FALSE(chain.IsRunning());
    EXPECT_FALSE(chain.WasCut());
    const std::vector<std::pair<int, bool>> expected = {{1, true}, {2, false}, {3, true}};
    EXPECT_EQ(probe.runs, expected);

    KodrinWorkerCallChain empty;
    empty.Start();
    empty.Wait();  // a chain without steps is done at once
}

TEST_F(TextureJobsTest, ATreeUnderAGivenLocationIsConvertedAndAFailingSubfolderFailsTheWhole) {
    Write("tex/a.texture.txt", "Primary=a.tga\nAlphaHint=none");
    Write("tex/a.tga", texture_test::Tga(128, 128, 255));
    Write("tex/sub/B.TEXTURE.TXT", "Primary=b.tga");
    Write("tex/sub/b.tga", texture_test::Tga(64, 64, 255));
    Write("tex/sub/bad.texture.txt", "Primary=missing.tga");
    Write("tex/sub/bad.texture", "old");
    Write("tex/texture.txt", "Primary=a.tga");
    Write("tex/.texture.txt", "Primary=a.tga\nAlphaHint=none");

    EXPECT_EQ(CompressTexturesUnderPath(Kiv::PString(kLocation), "tex", log), 0);
    const std::vector<std::string> expected = {
        KeyError("$kavtexture_load_error", "tex/sub/bad.texture.txt", "image 'missing.tga' cannot be read")};
    EXPECT_EQ(Texts(log), expected);
    for (const char* converted : {"tex/a.texture", "tex/.texture", "tex/sub/B.TEXTURE"})
        EXPECT_TRUE(Exists(converted)) << converted;
    for (const char* description :
         {"tex/a.texture.txt", "tex/.texture.txt", "tex/sub/B.TEXTURE.TXT", "tex/sub/bad.texture.txt",
          "tex/texture.txt"})
        EXPECT_TRUE(Exists(description)) << description;
    for (const char* gone : {"tex/sub/bad.texture", "tex/sub/bad.convert-tex.txt", "tex/texture",
                             "tex/a.convert-tex.txt"})
        EXPECT_FALSE(Exists(gone)) << gone;
    EXPECT_EQ(temp.ReadFile(std::string(kLocation) + "/tex/a.texture").substr(0, 4), "KIRF");
}

TEST_F(TextureJobsTest, TheCommandsAbsolutePathIsSplitIntoItsLocation) {
    Write("tex/a.texture.txt", "Primary=a.tga");
    Write("tex/a.tga", texture_test::Tga(8, 8, 255));
    EXPECT_EQ(CompressTextureCommand(Kiv::PString(), Absolute("tex").c_str(), log), 2);
    EXPECT_TRUE(Texts(log).empty());
    EXPECT_TRUE(Exists("tex/a.texture"));

    ResultsLog emptyLog;
    temp.MakeFolder(std::string(kLocation) + "/empty");
    EXPECT_EQ(CompressTextureCommand(Kiv::PString(), Absolute("empty").c_str(), emptyLog), 2);
    EXPECT_TRUE(Texts(emptyLog).empty());
}

TEST_F(TextureJobsTest, APathInNoLocationIsReportedOnceAndLeftAlone) {
    temp.MakeFolder("elsewhere");
    temp.WriteFile("elsewhere/a.texture.txt", "Primary=a.tga");
    temp.WriteFile("elsewhere/a.texture", "old");
    const std::string folder = temp.Root() + "/elsewhere";
    EXPECT_EQ(CompressTextureCommand(Kiv::PString(), folder.c_str(), log), 0);
    const std::vector<std::string> expected = {"3 Unable to determine relative path for '" + folder +
                                               "/a.texture.txt'"};
    EXPECT_EQ(Texts(log), expected);
    EXPECT_TRUE(temp.Exists("elsewhere/a.texture.txt"));
    EXPECT_EQ(temp.ReadFile("elsewhere/a.texture"), "old");
}

TEST_F(TextureJobsTest, ADescriptionThatCannotBeMovedAsideIsNotConverted) {
    Write("tex/a.texture.txt", "Primary=a.tga");
    Write("tex/a.convert-tex.txt", "left from an earlier run");
    Write("tex/a.texture", "old");
    EXPECT_EQ(CompressTexturesUnderPath(Kiv::PString(kLocation), "tex", log), 0);
    const std::vector<std::string> expected = {
        "3 Unable to rename file 'tex/a.texture.txt' in subst 'kivtexjobs'",
        KeyError("$kavtexture_open_error", "tex/a.texture.txt")};
    EXPECT_EQ(Texts(log), expected);
    EXPECT_FALSE(Exists("tex/a.texture"));
    EXPECT_EQ(temp.ReadFile(std::string(kLocation) + "/tex/a.convert-tex.txt"), "left from an earlier run");
    EXPECT_TRUE(Exists("tex/a.texture.txt"));
}

TEST_F(TextureJobsTest, AResourceOfAnotherClassFailsTheJob) {
    // A binary type of the converting extension wins when its file exists, and makes the
    // engine's own texture instead of the converting one.
    const Kiv::PString typeName("kivtest.convert-tex");
    ASSERT_TRUE(Kiv::PluginBase::RegisterPlugin(new Kiv::ResourceType<Kiv::AsciiTextureResource>(
        typeName, *Kiv::UId::Parse("0B9C1D2E-0000-4000-8000-00000000A1B2"), Kiv::kResourceFamilyUId)));
    Write("tex/a.texture.txt", "Primary=a.tga");
    Write("tex/a.convert-tex", "binary");
    const int32_t result = CompressTexturesUnderPath(Kiv::PString(kLocation), "tex", log);
    Kiv::PluginBase::UnregisterPlugin(Kiv::kResourceFamilyUId, typeName);
    EXPECT_EQ(result, 0);
    const std::vector<std::string> expected = {
        KeyError("$kavtexture_incorrect_resource", "tex/a.texture.txt")};
    EXPECT_EQ(Texts(log), expected);
    EXPECT_TRUE(Exists("tex/a.texture.txt"));
}

TEST_F(TextureJobsTest, ARunAfterAFailedOneReadsTheDescriptionAfresh) {
    Write("tex/a.texture.txt", "Primary=a.tga");
    EXPECT_EQ(CompressTexturesUnderPath(Kiv::PString(kLocation), "tex", log), 0);
    Write("tex/a.tga", texture_test::Tga(8, 8, 255));
    ResultsLog second;
    EXPECT_EQ(CompressTexturesUnderPath(Kiv::PString(kLocation), "tex", second), 2);
    EXPECT_TRUE(Texts(second).empty());
    EXPECT_TRUE(Exists("tex/a.texture"));
    EXPECT_EQ(system.GetCacheSize(), 0u);
}

// An interface table of the test's own, read from its own working folder while the
// scope lives: the load error shows its three parameters, so a test sees them whatever
// table is installed.
class ParameterTable {
public:
    ParameterTable() : before_(std::filesystem::current_path()) {
        std::filesystem::create_directory(folder_.Path("data"));
        std::ofstream(folder_.Path("data/interfacetext.txt"))
            << "$kavtexture_load_error \"$(FILE_NAME)|$(ARCHIVE)|$(REASON)\"\r\n";
        std::filesystem::current_path(folder_.Root());
        InterfaceTextDB::Invalidate();
    }
    ~ParameterTable() {
        std::filesystem::current_path(before_);
        InterfaceTextDB::Invalidate();
    }
    ParameterTable(const ParameterTable&) = delete;
    ParameterTable& operator=(const ParameterTable&) = delete;

private:
    TempFolder folder_;
    std::filesystem::path before_;
};

// Each bad description is named as the user names it, with the reason it failed.
TEST_F(TextureJobsTest, ABadDescriptionIsNamedByItsOwnNameWithTheReason) {
    Write("tex/a.tga", texture_test::Tga(8, 8, 255));
    Write("tex/b.tga", texture_test::Tga(16, 16, 255));
    Write("tex/broken.tga", "not an image");
    Write("tex/nofile.texture.txt", "Primary=none.tga");
    Write("tex/key.texture.txt", "Primary=a.tga\nShininess=3");
    Write("tex/size.texture.txt", "Primary=a.tga\nPrimary=b.tga");
    Write("tex/damaged.texture.txt", "Primary=broken.tga");
    {
        const ParameterTable table;
        EXPECT_EQ(CompressTexturesUnderPath(Kiv::PString(kLocation), "tex", log), 0);
    }
    std::vector<std::string> texts = Texts(log);
    std::sort(texts.begin(), texts.end());
    ASSERT_EQ(texts.size(), 4u);
    const std::string damaged = "3 tex/damaged.texture.txt|kivtexjobs|image 'broken.tga': ";
    EXPECT_EQ(texts[0].substr(0, damaged.size()), damaged);
    EXPECT_GT(texts[0].size(), damaged.size());  // the decoder's reason follows
    EXPECT_EQ(texts[1], "3 tex/key.texture.txt|kivtexjobs|line 2: unknown key 'Shininess'");
    EXPECT_EQ(texts[2], "3 tex/nofile.texture.txt|kivtexjobs|image 'none.tga' cannot be read");
    EXPECT_EQ(texts[3], "3 tex/size.texture.txt|kivtexjobs|image 'b.tga' differs in size from the first");
}

// A shut-down midway through twenty textures (the first two folders converted, the third
// begun) leaves every description under its own name; the next run converts them all.
TEST_F(TextureJobsTest, AnInterruptedRunGivesEveryDescriptionItsNameBack) {
    std::vector<std::string> descriptions;
    for (const char* folder : {"tex/a", "tex/b", "tex/c", "tex/d"}) {
        Write(std::string(folder) + "/i.tga", texture_test::Tga(8, 8, 255));
        for (int n = 0; n < 5; ++n) {
            descriptions.push_back(std::string(folder) + "/t" + std::to_string(n));
            Write(descriptions.back() + ".texture.txt", "Primary=i.tga");
        }
    }
    const auto count = [&](const char* ending) {
        return std::count_if(descriptions.begin(), descriptions.end(),
                             [&](const std::string& name) { return Exists(name + ending); });
    };
    {
        const InterruptRequestScope interruptible;
        g_splits = 0;
        SetTextureAssetPathSplitter(SplitAndInterrupt);
        EXPECT_EQ(CompressTextureCommand(Kiv::PString(), Absolute("tex").c_str(), log), 0);
        EXPECT_TRUE(IsInterruptRequested());
    }
    EXPECT_EQ(g_splits.load(), kInterruptedJob);
    EXPECT_EQ(count(".texture.txt"), 20);
    EXPECT_EQ(count(".convert-tex.txt"), 0);
    EXPECT_EQ(count(".texture"), 10);
    EXPECT_TRUE(Texts(log).empty());

    SetTextureAssetPathSplitter(SplitUnderRoot);
    ResultsLog second;
    EXPECT_EQ(CompressTextureCommand(Kiv::PString(), Absolute("tex").c_str(), second), 2);
    EXPECT_TRUE(Texts(second).empty());
    EXPECT_EQ(count(".texture"), 20);
    EXPECT_EQ(count(".texture.txt"), 20);
}

// A run ended by force (SIGKILL) leaves descriptions under their temporary names: the next
// run gives each its own name back, says so, and converts it. (One whose own name is taken
// again stays as it is: ADescriptionThatCannotBeMovedAsideIsNotConverted.)
TEST_F(TextureJobsTest, ADescriptionLeftAsideByAKilledRunIsRestoredAndConverted) {
    Write("tex/a.tga", texture_test::Tga(8, 8, 255));
    Write("tex/left.convert-tex.txt", "Primary=a.tga");
    ResultsLog second;
    EXPECT_EQ(CompressTexturesUnderPath(Kiv::PString(kLocation), "tex", second), 2);
    const std::vector<std::string> expected = {
        "2 Restored the texture description 'tex/left.texture.txt' that an interrupted conversion "
        "left as 'left.convert-tex.txt'"};
    EXPECT_EQ(Texts(second), expected);
    EXPECT_TRUE(Exists("tex/left.texture.txt"));
    EXPECT_FALSE(Exists("tex/left.convert-tex.txt"));
    EXPECT_TRUE(Exists("tex/left.texture"));
}

TEST_F(TextureJobsTest, AFolderThatCannotBeSearchedFails) {
    EXPECT_EQ(CompressTexturesUnderPath(Kiv::PString(kLocation), "missing", log), 0);
    const std::vector<std::string> expected = {"3 Unable to search path: 'missing'"};
    EXPECT_EQ(Texts(log), expected);
}

}  // namespace
