// The message side of a game object's thread: a wait block taking a message (any minor with
// minor id 1), the Message object pushed for the woken thread, queueing while the thread runs,
// the overflow report at 1024 queued messages, offering the queue to a new wait, and dropping
// the waits and the queue.
#include <gtest/gtest.h>

#include <string>

#include "gs_router_test_support.h"
#include "script_runtime/gs_thread.h"

namespace {

using gstest::LogLines;
using gstest::StringOf;

class GSThreadMessagesTest : public gstest::RouterWorld {
  protected:
    GSThreadMessagesTest() {
        owner_ = NewGameObject();
        source_ = NewGameObject();
        thread_ = owner_->NewThread();
    }

    // Wait blocks of the thread, each subscribing the owner as OP_Wait does.
    void Wait(std::initializer_list<GSThread::Block> blocks) {
        thread_->SetWaitCount(0);
        for (const GSThread::Block& block : blocks) {
            ASSERT_TRUE(thread_->WaitBlocks().Reserve(thread_->WaitCount()));
            thread_->WaitBlocks()[thread_->WaitCount()] = block;
            thread_->SetWaitCount(thread_->WaitCount() + 1);
            ASSERT_TRUE(owner_->Subscribe(block.major));
        }
        thread_->SetState(GSThread::kWaiting);
    }

    GSMessage Message(const char* major, const char* minor) {
        GSMessage message{};
        message.minor = Router().GetMajorTypeId(minor);
        message.major = Router().GetMajorTypeId(major);
        message.source = source_->GetId();
        message.destination = owner_->GetId();
        message.timeWord = kGSMessageBuilt;
        return message;
    }

    uint16_t Id(const char* name) { return Router().GetMajorTypeId(name); }

    GSGameObject* owner_ = nullptr;
    GSGameObject* source_ = nullptr;
    GSThread* thread_ = nullptr;
};

TEST_F(GSThreadMessagesTest, AWaitBlockTakesItsKindAndWakesTheThreadWithTheMessage) {
    ASSERT_NE(thread_, nullptr);
    Wait({{Id("A"), Id("a"), 40}, {Id("B"), kGSTypeAny, 80}});
    struct Case {
        const char* major;
        const char* minor;
        bool taken;
        int32_t resume;
    };
    const Case cases[] = {
        {"A", "b", false, 0}, {"C", "a", false, 0}, {"A", "a", true, 40}, {"B", "x", true, 80}, {"B", "", true, 80},
    };
    for (const Case& c : cases) {
        Wait({{Id("A"), Id("a"), 40}, {Id("B"), kGSTypeAny, 80}});
        thread_->SetResumePosition(0);
        GSSlot* before = thread_->Stack().Top();
        GSMessage message = Message(c.major, c.minor);
        EXPECT_EQ(thread_->ReceiveMessage(&message, true), c.taken) << c.major << "/" << c.minor;
        EXPECT_EQ(thread_->ResumePosition(), c.resume);
        EXPECT_EQ(thread_->State(), c.taken ? GSThread::kRunning : GSThread::kWaiting);
        EXPECT_EQ(thread_->QueuedCount(), 0u) << "a waiting thread queues nothing";
        if (!c.taken) {
            EXPECT_EQ(thread_->Stack().Top(), before);
            continue;
        }
        ASSERT_EQ(thread_->Stack().Top(), before + 1);
        auto* object = static_cast<GSSlot*>(thread_->Stack().Top()->p);
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(StringOf(static_cast<GSSlot*>(object[2].p)), c.major);
        EXPECT_EQ(StringOf(static_cast<GSSlot*>(object[3].p)), *c.minor ? c.minor : "<null>");
        EXPECT_EQ(object[4].p, source_->GetInstance());
        EXPECT_EQ(object[5].p, owner_->GetInstance());
        thread_->Stack().SetTop(before);
        GSReleaseReference(object);
    }
}

TEST_F(GSThreadMessagesTest, ASleepingOrRunningThreadWithoutWaitBlocksRefusesEverything) {
    GSMessage message = Message("A", "a");
    thread_->SetState(GSThread::kRunning);
    EXPECT_FALSE(thread_->ReceiveMessage(&message, true));
    thread_->SetState(GSThread::kWaiting);
    thread_->SetSleepTime(0.5f);
    EXPECT_FALSE(thread_->ReceiveMessage(&message, true));
    EXPECT_EQ(thread_->QueuedCount(), 0u);
}

TEST_F(GSThreadMessagesTest, AThreadWithoutARouterOrContextTakesNothing) {
    Wait({{Id("A"), kGSTypeAny, 4}});
    GSMessage message = Message("A", "a");
    ASSERT_TRUE(Router().RemoveNode(owner_));
    EXPECT_FALSE(thread_->ReceiveMessage(&message, true));
    EXPECT_EQ(thread_->State(), GSThread::kWaiting);
    GSThread lone(nullptr, 0);
    EXPECT_FALSE(lone.ReceiveMessage(&message, true));
}

TEST_F(GSThreadMessagesTest, ARunningThreadQueuesCopiesOfWhatItsWaitWouldTake) {
    Wait({{Id("A"), kGSTypeAny, 4}});
    thread_->SetState(GSThread::kRunning);
    GSMessage matching = Message("A", "x");
    GSMessage other = Message("B", "x");
    EXPECT_TRUE(thread_->ReceiveMessage(&matching, false)) << "taken, but not queued";
    EXPECT_EQ(thread_->QueuedCount(), 0u);
    EXPECT_FALSE(thread_->ReceiveMessage(&other, true));
    EXPECT_TRUE(thread_->ReceiveMessage(&matching, true));
    ASSERT_EQ(thread_->QueuedCount(), 1u);
    EXPECT_NE(thread_->QueuedMessages()[0], &matching);
    EXPECT_EQ(thread_->QueuedMessages()[0]->minor, matching.minor);
    EXPECT_EQ(Router().PooledMessages(), 1u);
    thread_->FreeQueuedMessages();
    EXPECT_EQ(thread_->QueuedCount(), 0u);
    EXPECT_EQ(Router().PooledMessages(), 0u);
}

TEST_F(GSThreadMessagesTest, AFullQueueReportsTheOverflowAndIsEmptied) {
    Wait({{Id("A"), kGSTypeAny, 4}});
    thread_->SetState(GSThread::kRunning);
    GSMessage queued = Message("A", "q");
    for (uint32_t i = 0; i < GSThread::kMaxQueuedMessages; ++i) ASSERT_TRUE(thread_->ReceiveMessage(&queued, true));
    EXPECT_EQ(Router().PooledMessages(), 1024u);
    LogLines().clear();
    GSMessage last = Message("A", "last");
    EXPECT_TRUE(thread_->ReceiveMessage(&last, true));
    EXPECT_EQ(thread_->QueuedCount(), 0u);
    EXPECT_EQ(Router().PooledMessages(), 0u);
    EXPECT_EQ(thread_->State(), GSThread::kRunning) << "the thread goes on";
    ASSERT_EQ(LogLines().size(), 1u);
    char head[256];
    std::snprintf(head, sizeof head,
                  "Message Queue Overflow for node %d (discarded message follows)\n"
                  "router message from %04d '' to %04d '', message A, last\n"
                  " thread state is 0\n"
                  " messages already in queue follow:\n"
                  "router message from %04d '' to %04d '', message A, q\n",
                  owner_->GetId(), source_->GetId(), owner_->GetId(), source_->GetId(), owner_->GetId());
    EXPECT_EQ(LogLines()[0].substr(0, std::strlen(head)), head);
    // The next message queues again.
    EXPECT_TRUE(thread_->ReceiveMessage(&queued, true));
    EXPECT_EQ(thread_->QueuedCount(), 1u);
}

TEST_F(GSThreadMessagesTest, OfferedQueueWakesWithTheFirstTakenAndKeepsLaterMatches) {
    Wait({{Id("A"), kGSTypeAny, 4}, {Id("C"), kGSTypeAny, 8}});
    thread_->SetState(GSThread::kRunning);
    GSMessage a = Message("A", "1"), c = Message("C", "2"), c2 = Message("C", "3");
    for (GSMessage* message : {&a, &c, &c2}) ASSERT_TRUE(thread_->ReceiveMessage(message, true));
    // The new wait takes A and C, not B.
    Wait({{Id("A"), kGSTypeAny, 12}, {Id("C"), Id("3"), 16}});
    GSSlot* before = thread_->Stack().Top();
    EXPECT_TRUE(thread_->OfferQueuedMessages());
    EXPECT_EQ(thread_->State(), GSThread::kRunning);
    EXPECT_EQ(thread_->ResumePosition(), 12) << "A woke it";
    ASSERT_EQ(thread_->QueuedCount(), 1u) << "C minor 2 discarded, C minor 3 kept";
    EXPECT_EQ(thread_->QueuedMessages()[0]->minor, Id("3"));
    EXPECT_EQ(Router().PooledMessages(), 1u);
    GSReleaseReference(static_cast<GSSlot*>(thread_->Stack().Top()->p));
    thread_->Stack().SetTop(before);

    // A queue with nothing the wait takes leaves the thread waiting, the queue empty.
    Wait({{Id("Z"), kGSTypeAny, 20}});
    EXPECT_FALSE(thread_->OfferQueuedMessages());
    EXPECT_EQ(thread_->State(), GSThread::kWaiting);
    EXPECT_EQ(thread_->QueuedCount(), 0u);
    EXPECT_EQ(Router().PooledMessages(), 0u);
}

TEST_F(GSThreadMessagesTest, DroppingTheWaitsUnsubscribesTheOwner) {
    Wait({{Id("A"), kGSTypeAny, 4}, {Id("A"), Id("b"), 8}, {Id("B"), kGSTypeAny, 12}});
    EXPECT_EQ(Router().SubscriptionCount(owner_, Id("A")), 2);
    thread_->DropWaitBlocks();
    EXPECT_EQ(thread_->WaitCount(), 0u);
    EXPECT_EQ(Router().SubscriptionCount(owner_, Id("A")), 0);
    EXPECT_EQ(Router().SubscriptionCount(owner_, Id("B")), 0);
}

}  // namespace
