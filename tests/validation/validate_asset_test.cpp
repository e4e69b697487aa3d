// The validation driver as the command host runs it: ValidateAssetTask::Execute called on
// a worker thread while the main thread pumps its jobs, on assets of a temporary
// installation named as the daemon names them (location and absolute folder).
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "foundation/jobs/worker_job_queue.h"
#include "foundation/results/results_log.h"
#include "validation/darodi/data_manager.h"
#include "validation/darodi/purge_resources.h"
#include "validation/darodi/validate_asset_task.h"
#include "validation_test_support.h"

namespace {

using validation_test::TestInstallation;

struct Outcome {
    bool valid = false;
    int32_t errors = 0;
    int32_t warnings = 0;
    std::vector<std::string> texts;
    std::vector<std::string> subjects;
};

// Runs the validation on a worker thread; this (main) thread runs the posted job.
Outcome ValidateFromWorker(const char* location, const std::string& path) {
    ResultsLog log;
    std::atomic<bool> done{false};
    bool valid = false;
    std::thread worker([&] {
        valid = ValidateAssetTask::Execute(Kiv::PString(location),
                                           Kiv::File::Path(path.c_str()), log);
        done.store(true);
    });
    WorkerJobQueue& queue = WorkerJobQueue::Singleton();
    while (!done.load()) {
        queue.WaitMainThreadEvent(5);
        queue.RunNextJob(0);
    }
    worker.join();
    Outcome outcome{valid, log.ErrorCount(), log.WarningCount(), {}, {}};
    for (const ResultsLogEntry& entry : log.Entries()) {
        outcome.texts.emplace_back(entry.text.View());
        outcome.subjects.emplace_back(entry.subject.GetValueText().View());
    }
    return outcome;
}

std::string Config(const std::string& build, const char* kind = "scenery") {
    std::string text = "kuid                                    <kuid:414100:77>\n"
                       "kind                                    \"" +
                       std::string(kind) + "\"\nusername                                \"Box\"\n";
    if (!build.empty()) text += "kodrin-build                            " + build + "\n";
    return text;
}

class ValidateAssetTest : public ::testing::Test {
  protected:
    // Counts the script stages: each asks the script-system set-up once.
    size_t CompileCalls() const { return static_cast<size_t>(install.scriptSystem.calls); }
    TestInstallation install;
};

TEST_F(ValidateAssetTest, OnlyAFloatBuildAbove330FailsTheBuildCheck) {
    struct Case {
        const char* build;
        bool future;
    };
    const Case cases[] = {
        {"3.3", false}, {"", false},     {"3.30", false}, {"3", false},   // integer: 1.3
        {"\"3.5\"", false}, {"3.31", true}, {"3.5", true}, {"400.25", true},
    };
    for (const Case& c : cases) {
        install.WriteLocalConfig("box", Config(c.build));
        const size_t calls = CompileCalls();
        const Outcome outcome = ValidateFromWorker("local", install.LocalFolder("box"));
        EXPECT_EQ(outcome.valid, !c.future) << c.build;
        EXPECT_EQ(outcome.warnings, 0) << c.build;
        EXPECT_EQ(CompileCalls() - calls, c.future ? 0u : 1u) << c.build;
        if (!c.future) {
            EXPECT_EQ(outcome.errors, 0) << c.build;
            continue;
        }
        ASSERT_EQ(outcome.texts.size(), 1u) << c.build;
        EXPECT_EQ(outcome.errors, 1);
        EXPECT_EQ(outcome.texts[0], "future build");
        EXPECT_EQ(outcome.subjects[0], "<kuid:414100:77>");
    }
}

TEST_F(ValidateAssetTest, ObsoleteKindsWarnAndStillCompile) {
    for (const char* kind : {"Water", "HUEBARN-skin"}) {
        install.WriteLocalConfig("lake", Config("3.3", kind));
        const size_t calls = CompileCalls();
        const Outcome outcome = ValidateFromWorker("local", install.LocalFolder("lake"));
        EXPECT_TRUE(outcome.valid) << kind;
        ASSERT_EQ(outcome.texts.size(), 1u) << kind;
        EXPECT_EQ(outcome.warnings, 1);
        EXPECT_EQ(outcome.texts[0], kind[0] == 'W' ? "obsolete water" : "obsolete skin");
        EXPECT_EQ(outcome.subjects[0], "<kuid:414100:77>");
        ASSERT_EQ(CompileCalls() - calls, 1u);
    }
}

TEST_F(ValidateAssetTest, TheProjectTemplatesAcceptAFullSceneryConfig) {
    install.WriteLocalConfig("yard", Config("3.3") +
                                         "category-class \"BR\"\n"
                                         "category-region \"UK;DE\"\n"
                                         "kuid-table\n{\n0 <kuid:414100:5>\n}\n"
                                         "mesh-table\n{\ndefault\n{\nmesh \"yard.im\"\n"
                                         "auto-create 1\neffects\n{\n0\n{\nkind \"corona\"\n"
                                         "att \"a.lamp\"\n}\n}\n}\nshadow\n{\n"
                                         "mesh \"yard-shadow.im\"\natt-parent \"default\"\n}\n}\n"
                                         "smoke0\n{\nfile \"puff.tga\"\n}\n"
                                         "thumbnails\n{\n0\n{\nimage \"thumb.jpg\"\n"
                                         "width 240\nheight 180\n}\n}\n"
                                         "string-table-de\n{\nname \"Hof\"\n}\n");
    const Outcome outcome = ValidateFromWorker("local", install.LocalFolder("yard"));
    EXPECT_TRUE(outcome.valid);
    EXPECT_EQ(outcome.texts, std::vector<std::string>{});
}

TEST_F(ValidateAssetTest, AChumpConfigIsValidatedInsteadOfTheText) {
    ACSChunkRef chump;
    chump.SetNamedTagString(Kiv::PString("kind"), "water");
    std::filesystem::create_directories(install.LocalFolder("both"));
    ASSERT_TRUE(chump.SaveToFile(install.LocalFolder("both").c_str(), "config.chump", nullptr));
    install.WriteLocalConfig("both", Config("3.31"));
    const Outcome outcome = ValidateFromWorker("local", install.LocalFolder("both"));
    // The chump names no KUID, so the script stage, which reads it too, cannot go on.
    EXPECT_FALSE(outcome.valid);
    ASSERT_EQ(outcome.texts.size(), 2u);
    EXPECT_EQ(outcome.texts[0], "obsolete water");
    EXPECT_EQ(outcome.subjects[0], "<NULL>");
    EXPECT_EQ(outcome.texts[1], "KAVCompileAsset unable to determine asset KUID");
    EXPECT_EQ(DAROdi::DataManager::Instance().GetConfigFileName(), Kiv::PString("config.chump"));
}

TEST_F(ValidateAssetTest, AFolderWithoutConfigNamesItsFolder) {
    std::filesystem::create_directories(install.LocalFolder("empty"));
    const size_t calls = CompileCalls();
    const Outcome outcome = ValidateFromWorker("local", install.LocalFolder("empty"));
    EXPECT_FALSE(outcome.valid);
    ASSERT_EQ(outcome.texts.size(), 1u);
    EXPECT_EQ(outcome.errors, 1);
    EXPECT_EQ(outcome.texts[0], "no config in empty");
    EXPECT_EQ(outcome.subjects[0], "");
    EXPECT_EQ(CompileCalls(), calls);
}

TEST_F(ValidateAssetTest, APackedLocationIsNotChecked) {
    install.WriteLocalConfig("broken", Config("9.9"));
    install.Folder().Write("UserData/local.ka", "not even an archive");
    const size_t calls = CompileCalls();
    const Outcome outcome = ValidateFromWorker("local", install.LocalFolder("broken"));
    EXPECT_TRUE(outcome.valid);
    EXPECT_TRUE(outcome.texts.empty());
    EXPECT_EQ(CompileCalls(), calls);
}

TEST_F(ValidateAssetTest, ResolvesTheAssetFromItsAbsoluteFolder) {
    install.WriteLocalConfig("wagon", Config("3.31"));
    // A location whose folder does not hold the path: both come from the path.
    Outcome outcome = ValidateFromWorker("local/wagon", install.LocalFolder("wagon"));
    EXPECT_FALSE(outcome.valid);
    EXPECT_EQ(outcome.errors, 1);
    EXPECT_EQ(DAROdi::DataManager::Instance().GetAssetLocation(), Kiv::PString("local"));
    // A relative path under a location is taken as it is.
    outcome = ValidateFromWorker("local", "wagon");
    EXPECT_EQ(outcome.errors, 1);
    // A path outside the installation: false, and nothing written.
    outcome = ValidateFromWorker("", "/nowhere/wagon");
    EXPECT_FALSE(outcome.valid);
    EXPECT_TRUE(outcome.texts.empty());
}

TEST_F(ValidateAssetTest, TheChecksEndWithThePerAssetFlagsCleared) {
    install.WriteLocalConfig("box", Config("3.3"));
    DAROdi::DataManager& manager = DAROdi::DataManager::Instance();
    manager.aliasFlag = true;
    manager.meshFailed = true;
    EXPECT_TRUE(ValidateFromWorker("local", install.LocalFolder("box")).valid);
    EXPECT_FALSE(manager.aliasFlag);
    EXPECT_FALSE(manager.meshFailed);
    EXPECT_TRUE(manager.notEditingOrBase);
    EXPECT_EQ(manager.GetAssetPath().View(), "box");
}

TEST(PurgeResources, AnotherThreadOnlyAsksTheMainThread) {
    EXPECT_FALSE(RunDeferredResourcePurge());
    std::thread([] {
        PurgeResourcesAfterValidation();
        EXPECT_FALSE(RunDeferredResourcePurge()); // not on the main thread
    }).join();
    EXPECT_TRUE(RunDeferredResourcePurge());
    EXPECT_FALSE(RunDeferredResourcePurge());
    PurgeResourcesAfterValidation(); // on the main thread: at once, nothing deferred
    EXPECT_FALSE(RunDeferredResourcePurge());
}

} // namespace
