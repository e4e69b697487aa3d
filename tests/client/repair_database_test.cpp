// `repairdatabase` and the repair task against the in-process stand-in daemon and its repair
// plan: the mode each word sends, the line it prints, the patcher step after it, the result
// the daemon's entries decide, the waits (through the task's wait function, never real
// time), the reports an owner task receives, a second repair meanwhile, cancelling a repair
// that runs on its own thread, and a note for the repair that comes after the task is gone.
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "link/kav/kav_task_repair_database.h"
#include "command_test_support.h"
#include "foundation/text/interface_text.h"

namespace {

using Lines = std::vector<std::string>;

const std::string kRepairingLine = "Repairing asset database (this may take some time)\n";

RepairEntry Entry(int32_t kind, const std::string& text, int32_t poll, bool late = false) {
    RepairEntry entry;
    entry.kind = kind;
    entry.kuid = KUID(12, 1, 0);
    entry.text = text;
    entry.poll = poll;
    entry.late = late;
    return entry;
}

// A task that keeps what the job reports.
class RecordingTask : public KAVTask {
public:
    ~RecordingTask() override { FinishThread(); }
    void ReportProgress(float progress) override {
        std::lock_guard<std::mutex> hold(lock_);
        progress_.push_back(progress);
    }
    void ReportMessage(const Kiv::String& text) override {
        std::lock_guard<std::mutex> hold(lock_);
        messages_.push_back(text.Std());
    }
    std::vector<float> Progress() {
        std::lock_guard<std::mutex> hold(lock_);
        return progress_;
    }
    Lines Messages() {
        std::lock_guard<std::mutex> hold(lock_);
        return messages_;
    }

private:
    std::mutex lock_;
    std::vector<float> progress_;
    Lines messages_;
};

class RepairTest : public CommandTest {
protected:
    void SetUp() override {
        CommandTest::SetUp();
        KAVTaskRepairDatabase::SetWait([this](int64_t ms) {
            std::function<void(int64_t)> extra;
            {
                std::lock_guard<std::mutex> hold(waitLock_);
                waits_.push_back(ms);
                extra = onWait_;
            }
            if (extra) extra(ms);
        });
        // Recorded, then answered by the daemon's own repair.
        for (int32_t id : {3, 4, 256}) {
            AnswerEach(id, [](const DaemonRequest&, DaemonResponse& response) {
                response.passOn = true;
            });
        }
    }
    void TearDown() override {
        KAVTaskRepairDatabase::ResetWait();
        CommandTest::TearDown();
    }

    void Plan(int32_t polls, std::vector<RepairEntry> entries, const std::string& text = "") {
        RepairPlan plan;
        plan.polls = polls;
        plan.text = text;
        plan.entries = std::move(entries);
        server_->SetRepairPlan(plan);
    }
    std::vector<int64_t> Waits() {
        std::lock_guard<std::mutex> hold(waitLock_);
        return waits_;
    }
    void OnWait(std::function<void(int64_t)> extra) {
        std::lock_guard<std::mutex> hold(waitLock_);
        onWait_ = std::move(extra);
    }

    std::mutex waitLock_;
    std::vector<int64_t> waits_;
    std::function<void(int64_t)> onWait_;
};

TEST_F(RepairTest, TheWordChoosesTheModeAndOnlyThePatcherIsQuietAndFollowedBy256) {
    const struct {
        std::vector<const char*> words;
        int32_t mode;
        std::string out;
        size_t patcherSteps;
    } cases[] = {
        {{"repairdatabase", "extended"}, 150, kRepairingLine, 0},
        {{"REPAIRDATABASE", "Extended"}, 150, kRepairingLine, 0},
        {{"repairdatabase"}, 100, kRepairingLine, 0},
        {{"repairdatabase", "quick"}, 100, kRepairingLine, 0},
        {{"repairdatabase", "patcher"}, 50, "", 1},
    };
    for (const auto& c : cases) {
        ForgetPayloads();
        EXPECT_EQ(Run(c.words), 0) << c.mode;
        EXPECT_EQ(out_, c.out) << c.mode;
        EXPECT_EQ(OnlyPayload(3), Le32(static_cast<uint32_t>(c.mode)));
        EXPECT_EQ(Payloads(4).size(), 1u) << "the default repair ends at its first poll";
        EXPECT_EQ(Payloads(256).size(), c.patcherSteps) << c.mode;
        EXPECT_TRUE(LogLines().empty());
    }
}

// The daemon's entries reach the command's log through request 3's transaction, while the
// task polls; one error makes the result 255, warnings alone do not.
TEST_F(RepairTest, TheDaemonsEntriesDecideTheResult) {
    Plan(2, {Entry(2, "Old thumbnail", 0), Entry(3, "Missing mesh", 1), Entry(1, "Checked", 2)},
         "Checking");
    EXPECT_EQ(Run({"repairdatabase", "extended"}), 255);
    EXPECT_EQ(LogLines(), (Lines{"! <kuid:12:1> : Old thumbnail", "- <kuid:12:1> : Missing mesh",
                                 "; <kuid:12:1> : Checked"}));
    EXPECT_EQ(log_->ErrorCount(), 1);
    EXPECT_EQ(log_->WarningCount(), 1);
    EXPECT_EQ(Payloads(4).size(), 3u);
    EXPECT_EQ(Waits(), (std::vector<int64_t>{1000, 250, 250}));

    Plan(1, {Entry(2, "Old thumbnail", 0), Entry(2, "Odd name", 1)});
    EXPECT_EQ(Run({"repairdatabase"}), 0);
    EXPECT_EQ(LogLines(), (Lines{"! <kuid:12:1> : Old thumbnail", "! <kuid:12:1> : Odd name"}));
}

TEST_F(RepairTest, AFailedStartStillPollsAndAFailedPollEndsTheRepair) {
    Answer(3, {});
    Answer(4, {});  // a reply too short to say the repair is going
    EXPECT_EQ(Run({"repairdatabase"}), 0);
    EXPECT_EQ(Payloads(4).size(), 1u);
    TakeLinkDown();
    EXPECT_EQ(Run({"repairdatabase"}), 255);
    EXPECT_EQ(LogLines(), Lines{"- <NULL> : The asset database was not repaired: the connection to the asset database was "
                                "lost before the repair started."});
    EXPECT_FALSE(KAVTaskRepairDatabase::IsRunning());
}

// The link drops at the second poll: what the daemon logged so far stays, and the repair is
// an error, not "OK".
TEST_F(RepairTest, ALinkLostMidRepairIsAnError) {
    Plan(3, {Entry(2, "Old thumbnail", 0)}, "Checking");
    std::atomic<int> polls{0};
    AnswerEach(4, [&polls](const DaemonRequest&, DaemonResponse& response) {
        response.passOn = true;
        if (++polls == 2) response.fault = DaemonFault::kDropLink;
    });
    EXPECT_EQ(Run({"repairdatabase"}), 255);
    EXPECT_EQ(LogLines(), (Lines{"! <kuid:12:1> : Old thumbnail",
                                 "- <NULL> : The repair of the asset database did not finish: the connection to the asset "
                                 "database was lost while it ran."}));
    EXPECT_EQ(Payloads(4).size(), 2u);
}

TEST_F(RepairTest, TheOwnerTaskHearsStatusAndProgressWhileTheRepairGoes) {
    Plan(2, {}, "Checking");
    RecordingTask task;
    KAVTaskRepairDatabase repair(KAVTaskRepairDatabase::kModeNormal);
    repair.RunHere(&task);
    EXPECT_EQ(task.Messages(), (Lines{"Checking", "Checking"}));
    EXPECT_EQ(task.Progress(), (std::vector<float>{1.0f / 3, 2.0f / 3}));
}

// A repair started while one runs in the process reports the duplicate and sends nothing.
TEST_F(RepairTest, ASecondRepairMeanwhileReportsTheDuplicateAndEnds) {
    RecordingTask second;
    OnWait([&second](int64_t ms) {
        if (ms != KAVTaskRepairDatabase::kStartWaitMs) return;
        KAVTaskRepairDatabase again(KAVTaskRepairDatabase::kModeExtended);
        again.RunHere(&second);
    });
    RecordingTask first;
    KAVTaskRepairDatabase repair(KAVTaskRepairDatabase::kModeNormal);
    repair.RunHere(&first);
    EXPECT_EQ(second.Messages(),
              Lines{GetInterfaceText(Kiv::PString("$kavtask_repair_err_duplicate")).Std()});
    EXPECT_EQ(Payloads(3).size(), 1u);
    EXPECT_FALSE(KAVTaskRepairDatabase::IsRunning());
}

// Deleting a task whose repair polls on its own thread cancels the repair and returns
// only once the thread has ended.
TEST_F(RepairTest, DeletingATaskCancelsAndJoinsItsPollingThread) {
    Plan(100000, {}, "Checking");
    std::mutex lock;
    std::condition_variable polled;
    int polls = 0;
    OnWait([&](int64_t ms) {
        if (ms != KAVTaskRepairDatabase::kPollWaitMs) return;
        std::lock_guard<std::mutex> hold(lock);
        ++polls;
        polled.notify_all();
    });
    auto task = std::make_unique<RecordingTask>();
    auto* repair = new KAVTaskRepairDatabase(KAVTaskRepairDatabase::kModeNormal);
    ASSERT_TRUE(repair->RunOnThread(*task));
    EXPECT_TRUE(task->ThreadRunning());
    {
        std::unique_lock<std::mutex> hold(lock);
        ASSERT_TRUE(polled.wait_for(hold, std::chrono::seconds(30), [&] { return polls >= 3; }));
    }
    task.reset();
    EXPECT_FALSE(KAVTaskRepairDatabase::IsRunning());
    EXPECT_LT(Payloads(4).size(), 100000u);
}

// An entry the daemon sends for the repair's transaction after the command has ended (its
// task gone) is dropped; the next command's log does not get it either.
TEST_F(RepairTest, ANoteForTheRepairAfterTheTaskIsGoneIsDropped) {
    Plan(0, {Entry(3, "Too late", 0, true)});
    EXPECT_EQ(Run({"repairdatabase"}), 0);
    EXPECT_TRUE(LogLines().empty());
    Answer(58, KuidBytes(12, 7, 0));
    EXPECT_EQ(Run({"generatekuid"}), 0);
    EXPECT_EQ(out_, "<KUID2:12:7:0>\n");
    EXPECT_TRUE(LogLines().empty());
}

TEST(TaskThread, FreeDiskSpaceNeedsAHundredMebibytes) {
    const struct {
        bool answered;
        uint64_t bytes;
        bool enough;
    } cases[] = {
        {true, 104857599, false}, {true, 104857600, true}, {true, 0, false},
        {true, UINT64_MAX, true}, {false, UINT64_MAX, false},
    };
    KAVTaskThread thread;
    for (const auto& c : cases) {
        KAVTaskThread::SetFreeSpaceQuery([&c](const char*, uint64_t& bytes) {
            bytes = c.bytes;
            return c.answered;
        });
        EXPECT_EQ(thread.HasFreeDiskSpace("/srv"), c.enough) << c.bytes;
    }
    KAVTaskThread::ResetFreeSpaceQuery();
    EXPECT_FALSE(thread.HasFreeDiskSpace("/no/such/folder/at/all"));
}

}  // namespace
