// Message links: broadcast order, a handler leaving during a broadcast, the "pipe-closed"
// notice of Disconnect, forwarding, and the destruction of either side.
#include "foundation/results/nu_message.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Recorder : NuMessageRecipient {
    explicit Recorder(std::vector<std::string>* log, const char* name) : log(log), name(name) {}
    int32_t ForwardMessage(const NuMessageData& message) override {
        log->push_back(name + ":" + std::string(message.Type().View()));
        if (leaveOnMessage) leaveOnMessage->Disconnect();
        return 0;
    }
    std::vector<std::string>* log;
    std::string name;
    NuMessageSubscription* leaveOnMessage = nullptr;
};

TEST(NuMessage, BroadcastReachesHandlersInOrderEvenWhenOneLeaves) {
    std::vector<std::string> log;
    Recorder a(&log, "a");
    Recorder b(&log, "b");
    Recorder c(&log, "c");
    NuMessageRecipient source;
    NuMessageSubscription linkA(nullptr, &a);
    NuMessageSubscription linkB(nullptr, &b);
    NuMessageSubscription linkC(nullptr, &c);
    NuMessageSubscription noHandler(nullptr, nullptr);
    linkA.Connect(source);
    noHandler.Connect(source);
    linkB.Connect(source);
    linkC.Connect(source);
    b.leaveOnMessage = &linkB;

    NuMessageData message(Kiv::PString("ping"), 7);
    source.NotifyRecipients(message);
    source.NotifyRecipients(message);
    EXPECT_EQ(log, (std::vector<std::string>{"a:ping", "b:ping", "c:ping", "a:ping", "c:ping"}));
    EXPECT_FALSE(linkB.IsConnected());
}

TEST(NuMessage, DisconnectTellsTheListenerOnce) {
    std::vector<std::string> log;
    Recorder listener(&log, "listener");
    Recorder handler(&log, "handler");
    NuMessageRecipient source;
    NuMessageSubscription link(&listener, &handler);
    link.Connect(source);

    link.Disconnect();
    EXPECT_EQ(log, std::vector<std::string>{"listener:pipe-closed"});
    EXPECT_EQ(link.Listener(), nullptr);
    EXPECT_FALSE(source.HasSubscriptions());
    link.Disconnect();
    EXPECT_EQ(log.size(), 1u);
}

TEST(NuMessage, EitherSideMayGoFirst) {
    std::vector<std::string> log;
    Recorder listener(&log, "listener");
    NuMessageSubscription survivor(&listener, nullptr);
    {
        NuMessageRecipient source;
        survivor.Connect(source);
        {
            NuMessageSubscription shortLived(&listener, nullptr);
            shortLived.Connect(source);
        } // unlinks itself without a notice
        EXPECT_TRUE(log.empty());
    } // the source disconnects what is left
    EXPECT_EQ(log, std::vector<std::string>{"listener:pipe-closed"});
    EXPECT_FALSE(survivor.IsConnected());
}

TEST(NuMessage, ForwardMessageAsksTheForwardTarget) {
    std::vector<std::string> log;
    struct Forwarder : NuMessageRecipient {
        NuMessageRecipient* target = nullptr;
        NuMessageRecipient* GetForwardTarget() override { return target; }
    };
    Recorder end(&log, "end");
    Forwarder forwarder;
    NuMessageData message(NuMessageType::ListUpdated(), 0);
    EXPECT_EQ(forwarder.ForwardMessage(message), 1) << "no target";
    forwarder.target = &end;
    EXPECT_EQ(forwarder.ForwardMessage(message), 0);
    EXPECT_EQ(log, std::vector<std::string>{"end:list-updated"});
}

} // namespace
