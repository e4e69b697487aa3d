// NetResolver: the synchronous lookup, the queue with its time-out, the worker's life and
// the user count. Slow lookups are made with a test lookup that blocks on an event.
#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "link/net/net_resolver.h"
#include "link/net/net_timeouts.h"
#include "engine/timing.h"
#include "engine/wevent.h"
#include "net_test_support.h"

namespace {

std::string AddressText(const sockaddr_in& address) {
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return text;
}

std::atomic<int> lookups{0};

bool FailingLookup(const char*, in_addr*) {
    ++lookups;
    return false;
}

// Blocks every lookup of "slow" until the gate opens; answers 10.1.2.3 for any name. The
// events live as long as the process, as a worker may still be leaving a lookup.
Kiv::WEvent& Gate() {
    static Kiv::WEvent* const event = new Kiv::WEvent(true, false);
    return *event;
}

Kiv::WEvent& Entered() {
    static Kiv::WEvent* const event = new Kiv::WEvent(true, false);
    return *event;
}

bool GatedLookup(const char* host, in_addr* address) {
    ++lookups;
    if (std::string(host) == "slow") {
        Entered().Set();
        Gate().Wait();
    }
    inet_pton(AF_INET, "10.1.2.3", address);
    return true;
}

class NetResolverTest : public ::testing::Test {
protected:
    void SetUp() override {
        lookups = 0;
        Gate().Reset();
        Entered().Reset();
    }
    // The gate opens before the user goes, so that Release never waits on a shut gate.
    void TearDown() override {
        Gate().Set();
        user_.reset();
        NetResolver::SetLookup(nullptr);
        NetTimeouts::Reset();
    }
    void AddUser() { user_.emplace(); }

    std::optional<ResolverUser> user_;
};

TEST_F(NetResolverTest, ResolveFillsFamilyPortAndAddress) {
    NetResolver::SetLookup(FailingLookup);
    struct Case { const char* host; bool ok; const char* address; };
    const Case cases[] = {
        {"localhost", true, "127.0.0.1"},
        {"LocalHost", true, "127.0.0.1"},
        {"LOCALHOST", true, "127.0.0.1"},
        {"", false, "0.0.0.0"},
    };
    for (const Case& c : cases) {
        sockaddr_in address;
        std::memset(&address, 0xAB, sizeof address);
        EXPECT_EQ(NetResolver::Resolve(c.host, 0x1234, &address), c.ok) << c.host;
        EXPECT_EQ(address.sin_family, AF_INET) << c.host;
        const auto* port = reinterpret_cast<const unsigned char*>(&address.sin_port);
        EXPECT_EQ(port[0], 0x12) << c.host;  // network byte order
        EXPECT_EQ(port[1], 0x34) << c.host;
        EXPECT_EQ(AddressText(address), c.address) << c.host;
        EXPECT_EQ(std::memcmp(address.sin_zero, "\0\0\0\0\0\0\0\0", 8), 0) << c.host;
    }
    EXPECT_EQ(lookups, 0);  // "localhost" needs no lookup

    EXPECT_FALSE(NetResolver::Resolve(Kiv::String("localhost\0x", 11), 80, nullptr));
    sockaddr_in address{};
    EXPECT_FALSE(NetResolver::Resolve(Kiv::String("localhost\0x", 11), 80, &address));
    EXPECT_EQ(lookups, 0);  // an embedded zero is refused, not cut at the zero
}

TEST_F(NetResolverTest, SystemLookupAnswersNumericAddresses) {
    sockaddr_in address{};
    ASSERT_TRUE(NetResolver::Resolve("127.0.0.1", 80, &address));
    EXPECT_EQ(AddressText(address), "127.0.0.1");
    ASSERT_TRUE(NetResolver::Resolve("10.20.30.40", 80, &address));
    EXPECT_EQ(AddressText(address), "10.20.30.40");
}

TEST_F(NetResolverTest, QueuedResolutionServedByAWorkerThatEndsWhenIdle) {
    AddUser();
    for (const char* host : {"localhost", "127.0.0.1", "LOCALHOST"}) {
        sockaddr_in address{};
        EXPECT_TRUE(NetResolver::ResolveAsync(host, 8080, &address)) << host;
        EXPECT_EQ(AddressText(address), "127.0.0.1") << host;
        EXPECT_EQ(ntohs(address.sin_port), 8080) << host;
        EXPECT_TRUE(NetResolver::HasWorker());  // ended or not, reaped only by the next call
    }
    NetResolver::SetLookup(FailingLookup);
    sockaddr_in address{};
    EXPECT_FALSE(NetResolver::ResolveAsync("unknown.example", 80, &address));
    EXPECT_EQ(lookups, 1);
}

TEST_F(NetResolverTest, WithoutUsersEveryCallFailsAfterTheTimeOut) {
    NetTimeouts::SetResolveMs(30);
    NetResolver::SetLookup(FailingLookup);
    const int32_t users = NetResolver::UserCount();
    ASSERT_EQ(users, 0);
    sockaddr_in address{};
    EXPECT_FALSE(NetResolver::ResolveAsync("localhost", 80, &address));
    EXPECT_FALSE(NetResolver::HasWorker());
    EXPECT_EQ(lookups, 0);
}

TEST_F(NetResolverTest, AWithdrawnRequestMissesItsLateResult) {
    AddUser();
    NetResolver::SetLookup(GatedLookup);
    sockaddr_in late;
    std::memset(&late, 0xAB, sizeof late);
    // The caller gives up while the worker is inside the lookup of its host. A worker that
    // had not taken the request when the caller's time ran out (a busy machine) never looks
    // it up, so the call is made again with a longer time-out.
    bool entered = false;
    for (int64_t ms = 50; !entered && ms <= 12800; ms *= 4) {
        NetTimeouts::SetResolveMs(ms);
        EXPECT_FALSE(NetResolver::ResolveAsync("slow", 80, &late));  // the gate is shut
        entered = Entered().Wait(ms);
    }
    ASSERT_TRUE(entered) << "no worker took the request";

    NetTimeouts::SetResolveMs(5000);
    std::thread opener([&] {
        Kiv::Time::Delay(50);  // while the next request waits behind the slow lookup
        Gate().Set();
    });
    sockaddr_in next{};
    EXPECT_TRUE(NetResolver::ResolveAsync("localhost", 81, &next));
    opener.join();
    EXPECT_EQ(AddressText(next), "127.0.0.1");
    EXPECT_EQ(ntohs(next.sin_port), 81);
    sockaddr_in untouched;
    std::memset(&untouched, 0xAB, sizeof untouched);
    EXPECT_EQ(std::memcmp(&late, &untouched, sizeof late), 0);
}

TEST_F(NetResolverTest, TwoCallersOfTheSameHostBothGetAResult) {
    AddUser();
    NetResolver::SetLookup(GatedLookup);
    sockaddr_in first{};
    sockaddr_in second{};
    bool firstOk = false;
    bool secondOk = false;
    std::thread a([&] { firstOk = NetResolver::ResolveAsync("slow", 443, &first); });
    ASSERT_TRUE(Entered().Wait(5000));
    std::thread b([&] { secondOk = NetResolver::ResolveAsync("slow", 443, &second); });
    Kiv::Time::Delay(50);  // let the second request queue behind the first
    Gate().Set();
    a.join();
    b.join();
    EXPECT_TRUE(firstOk);
    EXPECT_TRUE(secondOk);
    EXPECT_EQ(AddressText(first), "10.1.2.3");
    EXPECT_EQ(AddressText(second), "10.1.2.3");
    EXPECT_EQ(ntohs(second.sin_port), 443);
}

TEST_F(NetResolverTest, ReleaseWaitsForTheWorkerWithoutHoldingTheLock) {
    NetResolver::AddUser();
    NetResolver::SetLookup(GatedLookup);
    NetTimeouts::SetResolveMs(50);
    sockaddr_in address{};
    EXPECT_FALSE(NetResolver::ResolveAsync("slow", 80, &address));
    ASSERT_TRUE(Entered().Wait(5000));  // the worker is inside its lookup

    // Shared with the threads, which a deadlock would leave behind.
    struct Probe {
        Kiv::WEvent released{true, false};
        Kiv::WEvent probed{true, false};
        std::atomic<int32_t> users{-1};
    };
    auto probe = std::make_shared<Probe>();
    std::thread releaser([probe] {
        NetResolver::Release();
        probe->released.Set();
    });
    Kiv::Time::Delay(50);
    EXPECT_FALSE(probe->released.IsSet());  // Release waits for the worker...
    std::thread prober([probe] {  // ...and another thread can take the lock meanwhile
        probe->users = NetResolver::UserCount();
        probe->probed.Set();
    });
    const bool lockFree = probe->probed.Wait(5000);
    EXPECT_TRUE(lockFree);
    Gate().Set();
    const bool done = probe->released.Wait(5000);  // the worker needs the lock to end
    EXPECT_TRUE(done);
    if (!lockFree || !done) {
        prober.detach();
        releaser.detach();
        return;
    }
    prober.join();
    releaser.join();
    EXPECT_EQ(probe->users, 0);
    EXPECT_FALSE(NetResolver::HasWorker());
}

TEST_F(NetResolverTest, UserCountNeverDropsBelowZero) {
    ASSERT_EQ(NetResolver::UserCount(), 0);
    NetResolver::Release();
    EXPECT_EQ(NetResolver::UserCount(), 0);
    AddUser();
    EXPECT_EQ(NetResolver::UserCount(), 1);
    sockaddr_in address{};
    EXPECT_TRUE(NetResolver::ResolveAsync("localhost", 80, &address));
}

TEST_F(NetResolverTest, StopWorkerEndsAWorkerThatIsInsideALookup) {
    AddUser();
    NetResolver::SetLookup(GatedLookup);
    NetTimeouts::SetResolveMs(50);
    sockaddr_in address{};
    EXPECT_FALSE(NetResolver::ResolveAsync("slow", 80, &address));
    ASSERT_TRUE(Entered().Wait(5000));
    std::thread opener([&] {
        Kiv::Time::Delay(50);
        Gate().Set();
    });
    NetResolver::StopWorker();
    opener.join();
    EXPECT_FALSE(NetResolver::HasWorker());
    NetTimeouts::SetResolveMs(5000);
    EXPECT_TRUE(NetResolver::ResolveAsync("other", 80, &address));  // a new worker starts
    EXPECT_EQ(AddressText(address), "10.1.2.3");
}

}  // namespace
