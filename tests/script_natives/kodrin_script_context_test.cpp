// The script context without scripts: the delayed-initialisation protocol over the
// pending list, the look-up of library objects and the context's teardown.
#include "script_natives/kodrin_script_context.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine_log_capture.h"
#include "script_runtime/gs_router.h"

namespace {

// Records each stage run into a shared journal; a stage may mark later stages done.
class JournalClient : public DelayedInitClient {
  public:
    JournalClient(std::vector<std::string>& journal, std::string name, uint8_t stage1Marks = 0)
        : journal_(journal), name_(std::move(name)), stage1Marks_(stage1Marks) {}
    void InitStage1() override {
        journal_.push_back(name_ + "1");
        DelayedInitClient::InitStage1();
        SetFlags(stage1Marks_);
    }
    void InitStage2() override {
        journal_.push_back(name_ + "2");
        DelayedInitClient::InitStage2();
    }
    void InitStage3() override {
        journal_.push_back(name_ + "3");
        DelayedInitClient::InitStage3();
    }

  private:
    std::vector<std::string>& journal_;
    std::string name_;
    uint8_t stage1Marks_;
};

std::unique_ptr<KodrinScriptContext> NewContext(ZRIObject* zri = nullptr) {
    return std::make_unique<KodrinScriptContext>(std::make_unique<GSRouter>(), zri);
}

TEST(DelayedInit, StagesRunOnceEachInOrderAndAStageMayMarkALaterOneDone) {
    auto context = NewContext();
    std::vector<std::string> journal;
    JournalClient plain(journal, "a");
    JournalClient skipping(journal, "b", DelayedInitClient::kStage2Done);
    plain.RequestDelayedInit(*context);
    skipping.RequestDelayedInit(*context);
    plain.RequestDelayedInit(*context);
    EXPECT_EQ(context->PendingCount(), 2) << "a queued client is not queued twice";
    EXPECT_TRUE(plain.Flags() & DelayedInitClient::kQueued);

    context->RunPendingInit();
    EXPECT_EQ(journal, (std::vector<std::string>{"a1", "a2", "a3", "b1", "b3"}));
    EXPECT_EQ(context->PendingCount(), 0);
    EXPECT_EQ(plain.Flags(), DelayedInitClient::kAllStages);

    plain.RequestDelayedInit(*context);
    EXPECT_EQ(context->PendingCount(), 0) << "a client with all stages done is not queued";
    plain.RunDelayedInit(*context);
    EXPECT_EQ(journal.size(), 5u) << "no stage runs twice";
}

TEST(DelayedInit, ThePendingListGrowsInBlocksOf64AndKeepsItsOrder) {
    auto context = NewContext();
    std::vector<std::string> journal;
    std::vector<std::unique_ptr<JournalClient>> clients;
    for (int i = 0; i < 130; ++i) {
        clients.push_back(std::make_unique<JournalClient>(journal, std::to_string(i)));
        clients.back()->RequestDelayedInit(*context);
    }
    EXPECT_EQ(context->BlockCount(), 3);
    clients[64]->CancelDelayedInit(*context);
    EXPECT_FALSE(clients[64]->Flags() & DelayedInitClient::kQueued);
    EXPECT_EQ(context->PendingAt(64), clients[65].get());
    clients[5].reset();
    EXPECT_EQ(context->PendingCount(), 128) << "a client destroyed while queued leaves the list";
    EXPECT_EQ(context->PendingAt(5), clients[6].get());

    context->RunPendingInit();
    EXPECT_EQ(context->PendingCount(), 0);
    EXPECT_EQ(context->BlockCount(), 0);
    EXPECT_EQ(journal.size(), 128u * 3);
    EXPECT_EQ(journal[0], "01");
    EXPECT_EQ(journal[3 * 5], "61");
}

TEST(DelayedInit, AClientOutlivingItsContextIsNoLongerQueued) {
    std::vector<std::string> journal;
    JournalClient client(journal, "a");
    {
        auto context = NewContext();
        client.RequestDelayedInit(*context);
    }
    EXPECT_FALSE(client.Flags() & DelayedInitClient::kQueued);
    EXPECT_TRUE(journal.empty()) << "the context runs nothing when it goes";
}

TEST(KodrinScriptContext, GetScriptLibraryIsSilentForTheNullKUIDAndLogsAnUnknownLibrary) {
    auto context = NewContext();
    nativetest::EngineLogCapture log;
    EXPECT_EQ(context->GetScriptLibrary(KUID()), nullptr);
    EXPECT_EQ(log.Text(), "");
    nativetest::EngineLogCapture second;
    EXPECT_EQ(context->GetScriptLibrary(KUID(12, 34, 0)), nullptr);
    EXPECT_EQ(second.Text(), "KodrinScriptContext::GetScriptLibrary> unable to find Library <kuid:12:34>\n");
}

TEST(KodrinScriptContext, TheContextReleasesItsZRIObjectAndStartsEmpty) {
    const int32_t before = ZRILiveObjectCount();
    auto context = NewContext(ZRIAllocContext());
    EXPECT_EQ(ZRILiveObjectCount(), before + 1);
    EXPECT_NE(context->ZRIContext(), nullptr);
    EXPECT_NE(context->GetRouter(), nullptr);
    EXPECT_EQ(context->Libraries().GetSlotCount(), 0);
    EXPECT_EQ(context->Libraries().GetOwner(), context.get());
    EXPECT_FALSE(context->ListLocked());
    EXPECT_EQ(context->GetParentContext(), nullptr);
    EXPECT_FALSE(context->OpenURL(Kiv::PString("http://example.org")));
    context.reset();
    EXPECT_EQ(ZRILiveObjectCount(), before);
}

}  // namespace
