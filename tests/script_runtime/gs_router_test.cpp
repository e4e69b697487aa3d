// The message router on plain nodes: node ids and names, type ids, subscriptions and the
// delivery rules, posted and delayed messages on a test clock, clearing, the pump, the
// router's texts (trace lines, message descriptions, the Info block) and its shut-down.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "gs_router_test_support.h"
#include "script_runtime/gs_log.h"
#include "script_runtime/gs_message.h"
#include "script_runtime/gs_node.h"
#include "script_runtime/gs_router.h"

namespace {

using gstest::LogLines;
using gstest::TestClock;

// A node that notes what it receives, with an optional name.
class NoteNode : public GSNode {
  public:
    explicit NoteNode(const char* name = nullptr) : name_(name) {}
    Kiv::PString GetName() const override { return Kiv::PString(name_); }
    bool ReceiveMessage(GSMessage* message) override {
        received.push_back(*message);
        if (onReceive) onReceive(message);
        return GSNode::ReceiveMessage(message);
    }
    std::vector<GSMessage> received;
    std::function<void(GSMessage*)> onReceive;

  private:
    const char* name_;
};

// A node on the heap that says when it goes.
class GoneNode : public GSNode {
  public:
    explicit GoneNode(bool& gone) : gone_(gone) {}
    ~GoneNode() override { gone_ = true; }

  private:
    bool& gone_;
};

GSMessage Message(uint16_t major, uint16_t minor, int32_t source, int32_t destination, uint32_t delay = 0) {
    return GSMessage{major, minor, source, destination, kGSMessageBuilt | delay};
}

class GSRouterTest : public ::testing::Test {
  protected:
    GSRouterTest() : router_(clock_.Clock()) {
        LogLines().clear();
        SetGSLogHook(gstest::CollectLog);
    }
    ~GSRouterTest() override {
        GSRouter::SetTrace(false);
        SetGSLogHook(nullptr);
    }

    TestClock clock_;
    GSRouter router_;
};

TEST_F(GSRouterTest, NodeIdsRiseAcrossRoutersAndAreNeverReused) {
    GSRouter other;
    NoteNode a, b, c;
    ASSERT_TRUE(router_.AddNode(&a));
    ASSERT_TRUE(other.AddNode(&b));
    EXPECT_GT(a.GetId(), 0);
    EXPECT_EQ(b.GetId(), a.GetId() + 1);
    EXPECT_EQ(b.GetRouter(), &other);
    ASSERT_TRUE(router_.RemoveNode(&a));
    EXPECT_EQ(a.GetId(), -1);
    EXPECT_EQ(a.GetRouter(), nullptr);
    ASSERT_TRUE(router_.AddNode(&a));
    EXPECT_EQ(a.GetId(), b.GetId() + 1);
    // Attached twice, removed from the wrong router, removed while detached: refused.
    EXPECT_FALSE(router_.AddNode(&a));
    EXPECT_FALSE(other.RemoveNode(&a));
    EXPECT_FALSE(router_.RemoveNode(&c));
    EXPECT_EQ(router_.GetNode(a.GetId()), &a);
    EXPECT_EQ(router_.GetNode(0), nullptr);
    EXPECT_EQ(router_.GetNode(b.GetId()), nullptr);
}

TEST_F(GSRouterTest, ANameIdentifiesTheFirstNodeThatUsedIt) {
    NoteNode first("Loco"), second("Loco"), plain;
    ASSERT_TRUE(router_.AddNode(&first));
    ASSERT_TRUE(router_.AddNode(&second));
    ASSERT_TRUE(router_.AddNode(&plain));
    EXPECT_EQ(router_.GetNodeByName("Loco"), &first);
    EXPECT_STREQ(first.RouterName(), "Loco");
    EXPECT_EQ(second.RouterName(), nullptr);
    EXPECT_EQ(plain.RouterName(), nullptr);
    EXPECT_EQ(router_.GetNodeByName(nullptr), nullptr);
    EXPECT_EQ(router_.GetNodeByName(""), nullptr);
    // The name goes with its node; the second node never held it.
    ASSERT_TRUE(router_.RemoveNode(&first));
    EXPECT_EQ(first.RouterName(), nullptr);
    EXPECT_EQ(router_.GetNodeByName("Loco"), nullptr);
    ASSERT_TRUE(router_.AddNode(&first));
    EXPECT_EQ(router_.GetNodeByName("Loco"), &first);
}

TEST_F(GSRouterTest, TypeIdsAreInternedInFirstUseOrder) {
    EXPECT_EQ(router_.GetMajorTypeId(nullptr), kGSTypeAny);
    EXPECT_EQ(router_.GetMajorTypeId(""), kGSTypeAny);
    EXPECT_EQ(router_.LastTypeId(), 100u) << "the empty name registers nothing";
    EXPECT_EQ(router_.GetMajorTypeId("Train"), 101);
    EXPECT_EQ(router_.GetMajorTypeId("Signal"), 102);
    EXPECT_EQ(router_.GetMajorTypeId("Train"), 101);
    EXPECT_EQ(router_.GetMajorTypeId("train"), 103) << "names are case-sensitive";
    EXPECT_EQ(router_.GetTypeName(102).View(), "Signal");
    EXPECT_EQ(router_.GetTypeName(1).Length(), 0u);
    EXPECT_EQ(router_.GetTypeName(104).Length(), 0u);
    // After Done the counter starts again.
    router_.Done();
    EXPECT_EQ(router_.GetTypeName(101).Length(), 0u);
    EXPECT_EQ(router_.GetMajorTypeId("Signal"), 101);
}

TEST_F(GSRouterTest, RequestMessageInternsTheMinorFirstAndNeedsARouter) {
    NoteNode node;
    EXPECT_EQ(node.RequestMessage("Major", "Minor", 0, 5), nullptr);
    EXPECT_TRUE(gstest::Logged("GSNode::RequestMessage> source is not attached to router"));
    ASSERT_TRUE(router_.AddNode(&node));
    const GSMessage* message = node.RequestMessage("Major", "Minor", 7, 0x40000005);
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->minor, 101);
    EXPECT_EQ(message->major, 102);
    EXPECT_EQ(message->source, node.GetId());
    EXPECT_EQ(message->destination, 7);
    EXPECT_EQ(message->timeWord, 0x80000005u) << "the delay keeps its low 30 bits, bit 31 is set";
}

TEST_F(GSRouterTest, DeliveryFollowsDestinationAndSubscriptions) {
    NoteNode subscribed, unsubscribed, deaf;
    for (NoteNode* node : {&subscribed, &unsubscribed, &deaf}) ASSERT_TRUE(router_.AddNode(node));
    const uint16_t major = router_.GetMajorTypeId("Train");
    ASSERT_TRUE(router_.Subscribe(&subscribed, major));
    ASSERT_TRUE(router_.Subscribe(&deaf, major));
    deaf.SetFlags(deaf.GetFlags() | GSNode::kNoSubscribedMessages);

    struct Case {
        const char* what;
        uint16_t major;
        int32_t destination;
        std::vector<NoteNode*> receivers;
    };
    const Case cases[] = {
        {"directed, subscribed", major, subscribed.GetId(), {&subscribed}},
        {"directed, never subscribed", major, unsubscribed.GetId(), {}},
        {"directed, subscribed but deaf", major, deaf.GetId(), {}},
        {"directed below 100 needs no subscription", 50, unsubscribed.GetId(), {&unsubscribed}},
        {"directed below 100 reaches a deaf node", 50, deaf.GetId(), {&deaf}},
        {"directed to nobody", 50, 999999, {}},
        {"broadcast of a subscribed major", major, 0, {&subscribed}},
        {"broadcast below 100 reaches every node", 50, 0, {&subscribed, &unsubscribed, &deaf}},
        {"broadcast of a major nobody ever subscribed", 150, 0, {}},
    };
    for (const Case& c : cases) {
        for (NoteNode* node : {&subscribed, &unsubscribed, &deaf}) node->received.clear();
        GSMessage message = Message(c.major, 1, 0, c.destination);
        router_.SendMessage(&message);
        for (NoteNode* node : {&subscribed, &unsubscribed, &deaf}) {
            const bool expected = std::count(c.receivers.begin(), c.receivers.end(), node) > 0;
            EXPECT_EQ(node->received.size(), expected ? 1u : 0u) << c.what;
        }
    }
}

TEST_F(GSRouterTest, ABroadcastBelow100GoesInAttachOrderAndSurvivesNodesLeaving) {
    NoteNode a, b, c;
    for (NoteNode* node : {&c, &a, &b}) ASSERT_TRUE(router_.AddNode(node));
    std::vector<NoteNode*> order;
    for (NoteNode* node : {&a, &b, &c})
        node->onReceive = [&order, node](GSMessage*) { order.push_back(node); };
    // The first receiver takes the second one out of the router while the message goes round.
    c.onReceive = [&](GSMessage*) {
        order.push_back(&c);
        router_.RemoveNode(&a);
    };
    GSMessage message = Message(20, 1, 0, 0);
    router_.SendMessage(&message);
    EXPECT_EQ(order, (std::vector<NoteNode*>{&c, &b}));
}

TEST_F(GSRouterTest, SubscriptionsAreCounted) {
    NoteNode node, stranger;
    ASSERT_TRUE(router_.AddNode(&node));
    EXPECT_FALSE(router_.Subscribe(&stranger, 101)) << "a node that is not attached";
    EXPECT_FALSE(router_.Unsubscribe(&node, 101)) << "a major without a tree";
    ASSERT_TRUE(router_.Subscribe(&node, 101));
    ASSERT_TRUE(node.Subscribe(101));
    EXPECT_EQ(router_.SubscriptionCount(&node, 101), 2);
    EXPECT_TRUE(router_.Unsubscribe(&node, 101));
    EXPECT_EQ(router_.SubscriptionCount(&node, 101), 1) << "twice in, once out: still subscribed";
    EXPECT_TRUE(node.Unsubscribe(101));
    EXPECT_EQ(router_.SubscriptionCount(&node, 101), 0);
    EXPECT_FALSE(router_.Unsubscribe(&node, 101)) << "no subscription left";
    // Removing a node drops every subscription it holds, whatever the count.
    ASSERT_TRUE(router_.Subscribe(&node, 101));
    ASSERT_TRUE(router_.Subscribe(&node, 101));
    ASSERT_TRUE(router_.Subscribe(&node, 102));
    ASSERT_TRUE(router_.RemoveNode(&node));
    ASSERT_TRUE(router_.AddNode(&node));
    EXPECT_EQ(router_.SubscriptionCount(&node, 101), 0);
    EXPECT_EQ(router_.SubscriptionCount(&node, 102), 0);
}

TEST_F(GSRouterTest, PostingWithoutDelayQueuesTheMessageItself) {
    NoteNode node;
    ASSERT_TRUE(router_.AddNode(&node));
    GSMessage* message = node.RequestMessage("", "", node.GetId(), 0);
    message->major = 40;
    ASSERT_TRUE(router_.PostMessage(message));
    EXPECT_EQ(router_.PostedCount(), 1u);
    EXPECT_EQ(router_.DelayedCount(), 0u);
    EXPECT_EQ(router_.PooledMessages(), 0u);
    EXPECT_TRUE(node.received.empty()) << "posting delivers nothing yet";
    router_.Pump();
    ASSERT_EQ(node.received.size(), 1u);
    EXPECT_EQ(router_.PostedCount(), 0u);
}

TEST_F(GSRouterTest, ADelayedMessageIsACopyDueAtTheCurrentTimePlusItsDelay) {
    clock_.now = (1u << 30) - 2;
    router_.Pump();
    GSMessage message = Message(40, 1, 9, 0, 5);
    message.timeWord |= kGSMessageSniffed;
    ASSERT_TRUE(router_.PostMessage(&message));
    ASSERT_EQ(router_.DelayedCount(), 1u);
    EXPECT_EQ(router_.PooledMessages(), 1u);
    const GSMessage* copy = router_.DelayedAt(1);
    EXPECT_NE(copy, &message);
    EXPECT_EQ(copy->timeWord, 0xC0000003u) << "due 3 after the wrap, both top bits kept";
}

TEST_F(GSRouterTest, ThePumpDeliversDelayedMessagesWhenDueEarliestFirst) {
    NoteNode node;
    ASSERT_TRUE(router_.AddNode(&node));
    clock_.now = 1000;
    router_.Pump();
    for (uint32_t delay : {300u, 100u, 200u, 100u}) {
        GSMessage message = Message(40, static_cast<uint16_t>(delay + node.received.size()), 0, node.GetId(), delay);
        message.source = static_cast<int32_t>(delay);
        ASSERT_TRUE(router_.PostMessage(&message));
    }
    const struct {
        uint32_t now;
        std::vector<int32_t> sources;
    } steps[] = {{1099, {}}, {1100, {100, 100}}, {1250, {100, 100, 200}}, {5000, {100, 100, 200, 300}}};
    for (const auto& step : steps) {
        clock_.now = step.now;
        router_.Pump();
        std::vector<int32_t> sources;
        for (const GSMessage& received : node.received) sources.push_back(received.source);
        EXPECT_EQ(sources, step.sources) << "at " << step.now;
    }
    EXPECT_EQ(router_.DelayedCount(), 0u);
    EXPECT_EQ(router_.PooledMessages(), 0u) << "delivered copies go back to the pool";
}

TEST_F(GSRouterTest, AMessageDueAfterTheClockWrapsIsNotDeliveredEarly) {
    NoteNode node;
    ASSERT_TRUE(router_.AddNode(&node));
    clock_.now = (1u << 30) - 10;
    router_.Pump();
    GSMessage message = Message(40, 1, 0, node.GetId(), 20);
    ASSERT_TRUE(router_.PostMessage(&message));
    clock_.now = (1u << 30) - 1;
    router_.Pump();
    EXPECT_TRUE(node.received.empty());
    clock_.now = (1u << 30) + 10;
    router_.Pump();
    EXPECT_EQ(node.received.size(), 1u);
}

TEST_F(GSRouterTest, ClearMessagesRemovesTheNodesDelayedMessagesOfAKind) {
    NoteNode me, other;
    ASSERT_TRUE(router_.AddNode(&me));
    ASSERT_TRUE(router_.AddNode(&other));
    const uint16_t a = router_.GetMajorTypeId("A"), x = router_.GetMajorTypeId("x"), y = router_.GetMajorTypeId("y");
    const uint16_t b = router_.GetMajorTypeId("B");
    // Random delays, so removals happen all over the heap.
    std::mt19937 random(7);
    struct Posted {
        uint16_t major, minor;
        int32_t destination;
    };
    std::vector<Posted> kinds = {{a, x, me.GetId()}, {a, y, me.GetId()}, {b, x, me.GetId()}, {a, x, other.GetId()}};
    for (int i = 0; i < 400; ++i) {
        const Posted& kind = kinds[random() % kinds.size()];
        GSMessage message = Message(kind.major, kind.minor, i, kind.destination, 1 + random() % 50);
        ASSERT_TRUE(router_.PostMessage(&message));
    }
    GSMessage posted = Message(a, x, 0, me.GetId());
    ASSERT_TRUE(router_.PostMessage(&posted));
    auto countOf = [&](uint16_t major, uint16_t minor, int32_t destination) {
        int n = 0;
        for (uint32_t i = 1; i <= router_.DelayedCount(); ++i) {
            const GSMessage* m = router_.DelayedAt(i);
            n += m->major == major && m->minor == minor && m->destination == destination;
        }
        return n;
    };
    const int ax = countOf(a, x, me.GetId()), ay = countOf(a, y, me.GetId());
    const uint32_t total = router_.DelayedCount();

    router_.ClearMessages(&me, "A", "x");
    EXPECT_EQ(countOf(a, x, me.GetId()), 0);
    EXPECT_EQ(router_.DelayedCount(), total - static_cast<uint32_t>(ax));
    char line[96];
    std::snprintf(line, sizeof line, "%d queued router messages cleared for %04d '', message A, x", ax, me.GetId());
    EXPECT_TRUE(gstest::Logged(line));
    // An empty minor clears every minor of the major.
    router_.ClearMessages(&me, "A", "");
    EXPECT_EQ(countOf(a, y, me.GetId()), 0);
    EXPECT_EQ(router_.DelayedCount(), total - static_cast<uint32_t>(ax + ay));
    EXPECT_GT(countOf(b, x, me.GetId()), 0);
    EXPECT_GT(countOf(a, x, other.GetId()), 0);
    EXPECT_EQ(router_.PostedCount(), 1u) << "posted messages are not touched";
    EXPECT_EQ(router_.PooledMessages(), router_.DelayedCount());
    // The heap still hands out its messages earliest first.
    uint32_t last = 0;
    clock_.now = 100;
    for (const GSMessage* m; (m = router_.DelayedAt(1));) {
        EXPECT_GE(m->timeWord & kGSMessageTimeMask, last);
        last = m->timeWord & kGSMessageTimeMask;
        router_.Pump();
    }
    // Nothing matched: no line.
    LogLines().clear();
    router_.ClearMessages(&me, "A", "x");
    EXPECT_TRUE(LogLines().empty());
}

TEST_F(GSRouterTest, MessageTextsNameNodesAndTypes) {
    NoteNode loco("Loco"), plain;
    ASSERT_TRUE(router_.AddNode(&loco));
    ASSERT_TRUE(router_.AddNode(&plain));
    const uint16_t train = router_.GetMajorTypeId("Train");
    const uint16_t throttle = router_.GetMajorTypeId("ThrottleChanged");
    const uint16_t tick = router_.GetMajorTypeId("Tick");
    const uint16_t go = router_.GetMajorTypeId("Go");
    char ids[96];
    std::snprintf(ids, sizeof ids, "router message from %04d 'Loco' to %04d '', message Train, Go", loco.GetId(),
                  plain.GetId());

    std::string text = "> ";
    GSMessage message = Message(train, go, loco.GetId(), plain.GetId());
    router_.FormatMessage(&message, text);
    EXPECT_EQ(text, std::string("> ") + ids + "\n");

    GSRouter::SetTrace(true);
    struct Case {
        uint16_t major, minor;
        bool traced;
    };
    for (const Case& c : {Case{train, go, true}, Case{train, throttle, false}, Case{go, tick, false},
                          Case{train, tick, false}, Case{go, throttle, true}}) {
        LogLines().clear();
        GSMessage traced = Message(c.major, c.minor, loco.GetId(), plain.GetId());
        router_.SendMessage(&traced);
        EXPECT_EQ(LogLines().size(), c.traced ? 1u : 0u) << c.major << "/" << c.minor;
    }
    LogLines().clear();
    router_.SendMessage(&message);
    ASSERT_EQ(LogLines().size(), 1u);
    EXPECT_EQ(LogLines()[0], ids);
    // An unknown source prints an empty name, ids with four digits.
    LogLines().clear();
    GSMessage stranger = Message(train, go, 7, 0);
    router_.TraceMessage(&stranger);
    EXPECT_EQ(LogLines()[0], "router message from 0007 '' to 0000 '', message Train, Go");
}

TEST_F(GSRouterTest, InfoPrintsTheRoutersCounts) {
    router_.Info();
    const std::vector<std::string> empty = {"ROUTER INFO\n===========", "0 Node(s)", "0 Message(s) in the delay queue",
                                            "100 Major types", "0 Message allocations", "0 Frame message allocations",
                                            "0 Posted messages", "0 Subscription AVL trees"};
    EXPECT_EQ(LogLines(), empty);

    NoteNode a, b;
    ASSERT_TRUE(router_.AddNode(&a));
    ASSERT_TRUE(router_.AddNode(&b));
    ASSERT_TRUE(a.Subscribe(router_.GetMajorTypeId("One")));
    ASSERT_TRUE(b.Subscribe(router_.GetMajorTypeId("Two")));
    ASSERT_TRUE(router_.PostMessage(a.RequestMessage("One", "", 0, 10)));
    ASSERT_TRUE(router_.PostMessage(a.RequestMessage("One", "", 0, 0)));
    a.RequestMessage("Three", "x", 0, 0);
    LogLines().clear();
    router_.Info();
    const std::vector<std::string> busy = {"ROUTER INFO\n===========", "2 Node(s)", "1 Message(s) in the delay queue",
                                           "104 Major types", "1 Message allocations", "3 Frame message allocations",
                                           "1 Posted messages", "2 Subscription AVL trees"};
    EXPECT_EQ(LogLines(), busy);
    // Without a hook nothing is printed, and nothing breaks.
    SetGSLogHook(nullptr);
    router_.Info();
}

TEST_F(GSRouterTest, TheStackDumpPairIsTakenInsteadOfDelivered) {
    NoteNode node;
    ASSERT_TRUE(router_.AddNode(&node));
    router_.SetStackDumpPair(60, 61);
    GSMessage dump = Message(60, 61, 0, 0);
    router_.SendMessage(&dump);
    EXPECT_TRUE(node.received.empty());
    EXPECT_TRUE(gstest::Logged("*** DUMPING ALL THREAD STACKS ***"));
    GSMessage other = Message(60, 62, 0, 0);
    router_.SendMessage(&other);
    EXPECT_EQ(node.received.size(), 1u);
}

TEST_F(GSRouterTest, UpdatesReachScheduledNodesAndDrainTheirQueues) {
    NoteNode node;
    GSMessage queued = Message(40, 1, 0, 0);
    ASSERT_TRUE(node.MessageQueue().Push(&queued));
    node.RequestUpdate();
    EXPECT_TRUE(node.IsScheduled());
    ASSERT_TRUE(router_.AddNode(&node));
    EXPECT_TRUE(router_.IsScheduledHere(&node)) << "a scheduled node enters the update set when it attaches";
    clock_.now += 16;
    router_.Pump();
    EXPECT_EQ(node.received.size(), 1u);
    EXPECT_FALSE(node.IsScheduled()) << "a positive step clears the mark";
    EXPECT_FALSE(router_.IsScheduledHere(&node));
    EXPECT_EQ(node.MessageQueue().Count(), 0u);
    // A step of 0 leaves the node scheduled, and the pump keeps it in the set.
    node.RequestUpdate();
    router_.Pump();
    EXPECT_TRUE(router_.IsScheduledHere(&node));
}

TEST_F(GSRouterTest, NodesWhoseEndWasRequestedGoWhenDetachedOrUpdated) {
    bool updatedGone = false, detachedGone = false, keptGone = false, loneGone = false;
    auto* updated = new GoneNode(updatedGone);
    auto* detached = new GoneNode(detachedGone);
    auto* kept = new GoneNode(keptGone);
    for (GSNode* node : {static_cast<GSNode*>(updated), static_cast<GSNode*>(detached), static_cast<GSNode*>(kept)})
        ASSERT_TRUE(router_.AddNode(node));
    updated->SetDestroyRequested();
    updated->RequestUpdate();
    clock_.now += 10;
    router_.Pump();
    EXPECT_TRUE(updatedGone);
    EXPECT_EQ(router_.NodeCount(), 2u);

    detached->SetDestroyRequested();
    router_.Done();
    EXPECT_TRUE(gstest::Logged("GSRouter::Done(), 2 outstanding node(s)"));
    EXPECT_TRUE(detachedGone);
    EXPECT_FALSE(keptGone);
    EXPECT_EQ(kept->GetId(), -1);
    EXPECT_EQ(router_.NodeCount(), 0u);
    // A detached node asked to go goes at its next update request.
    kept->SetDestroyRequested();
    kept->RequestUpdate();
    EXPECT_TRUE(keptGone);
    auto* lone = new GoneNode(loneGone);
    lone->SetDestroyRequested();
    lone->RequestUpdate();
    EXPECT_TRUE(loneGone);
}

TEST_F(GSRouterTest, DoneEmptiesTheDelayHeapAndThePool) {
    NoteNode node("Named");
    ASSERT_TRUE(router_.AddNode(&node));
    ASSERT_TRUE(node.Subscribe(router_.GetMajorTypeId("A")));
    ASSERT_TRUE(router_.PostMessage(node.RequestMessage("A", "", 0, 50)));
    EXPECT_TRUE(router_.Done());
    EXPECT_EQ(router_.DelayedCount(), 0u);
    EXPECT_EQ(router_.PooledMessages(), 0u);
    EXPECT_EQ(router_.LastTypeId(), 100u);
    EXPECT_EQ(router_.GetNodeByName("Named"), nullptr);
    EXPECT_EQ(node.RouterName(), nullptr);
    // The node can attach again, with a new id and no subscription.
    ASSERT_TRUE(router_.AddNode(&node));
    EXPECT_EQ(router_.SubscriptionCount(&node, router_.GetMajorTypeId("A")), 0);
    LogLines().clear();
    router_.Info();
    EXPECT_TRUE(gstest::Logged("0 Subscription AVL trees"));
}

}  // namespace
