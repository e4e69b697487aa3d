// NetStartup and NetShutdown: nesting, restart, the OpenSSL client context, and the lock
// table behind the locking callback (called directly: OpenSSL 3 no longer calls it).
#include <gtest/gtest.h>

#include <openssl/crypto.h>

#include <memory>
#include <thread>

#include "link/net/net_resolver.h"
#include "link/net/net_startup.h"
#include "engine/thread.h"
#include "engine/timing.h"
#include "engine/wevent.h"

namespace {

// Leaves the layer stopped whatever a test did.
class NetStartupTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(NetStartCount(), 0); }
    void TearDown() override {
        while (NetStartCount() > 0) NetShutdown();
    }
};

TEST_F(NetStartupTest, StartUpsNestAndTheLastShutDownStopsTheLayer) {
    const int32_t users = NetResolver::UserCount();
    EXPECT_EQ(NetSslClientContext(), nullptr);
    EXPECT_EQ(NetSslLockCount(), 0);

    NetStartup();
    SSL_CTX* context = NetSslClientContext();
    EXPECT_NE(context, nullptr);
    EXPECT_EQ(NetSslLockCount(), CRYPTO_num_locks());
    EXPECT_EQ(NetResolver::UserCount(), users + 1);

    NetStartup();  // nested: nothing new
    EXPECT_EQ(NetStartCount(), 2);
    EXPECT_EQ(NetSslClientContext(), context);
    EXPECT_EQ(NetResolver::UserCount(), users + 1);

    NetShutdown();  // the outer start-up still holds the layer
    EXPECT_EQ(NetStartCount(), 1);
    EXPECT_EQ(NetSslClientContext(), context);
    EXPECT_EQ(NetResolver::UserCount(), users + 1);

    NetShutdown();
    EXPECT_EQ(NetStartCount(), 0);
    EXPECT_EQ(NetSslClientContext(), nullptr);
    EXPECT_EQ(NetSslLockCount(), 0);
    EXPECT_EQ(NetResolver::UserCount(), users);

    NetShutdown();  // unmatched: nothing, and no user count below the start
    EXPECT_EQ(NetStartCount(), 0);
    EXPECT_EQ(NetResolver::UserCount(), users);
}

TEST_F(NetStartupTest, AStoppedLayerStartsAgain) {
    NetStartup();
    NetShutdown();
    NetStartup();
    EXPECT_NE(NetSslClientContext(), nullptr);
    EXPECT_EQ(NetResolver::UserCount(), 1);
    sockaddr_in address{};
    EXPECT_TRUE(NetResolver::ResolveAsync("localhost", 80, &address));
    NetShutdown();
    EXPECT_EQ(NetResolver::UserCount(), 0);
}

TEST_F(NetStartupTest, LockingCallbackExcludesOtherThreadsUntilItsOwnerUnlocks) {
    NetStartup();
    ASSERT_GE(NetSslLockCount(), 1);
    NetSslLockingCallback(kNetSslLock, 0, __FILE__, __LINE__);

    auto acquired = std::make_shared<Kiv::WEvent>(true, false);
    std::thread other([acquired] {
        NetSslLockingCallback(kNetSslUnlock, 0, __FILE__, __LINE__);  // not its lock: ignored
        NetSslLockingCallback(kNetSslLock, 0, __FILE__, __LINE__);
        acquired->Set();
        NetSslLockingCallback(kNetSslUnlock, 0, __FILE__, __LINE__);
    });
    Kiv::Time::Delay(50);
    EXPECT_FALSE(acquired->IsSet());
    NetSslLockingCallback(kNetSslUnlock, 0, __FILE__, __LINE__);
    const bool got = acquired->Wait(5000);
    EXPECT_TRUE(got);
    if (!got) {
        other.detach();
        return;
    }
    other.join();

    // The lock is free again and works as before.
    NetSslLockingCallback(kNetSslLock, 0, __FILE__, __LINE__);
    NetSslLockingCallback(kNetSslUnlock, 0, __FILE__, __LINE__);
}

TEST_F(NetStartupTest, LockingCallbackIgnoresBadIndexesAndStrayUnlocks) {
    NetStartup();
    const int32_t count = NetSslLockCount();
    for (int n : {-1, count, count + 1000}) {
        NetSslLockingCallback(kNetSslLock, n, __FILE__, __LINE__);
        NetSslLockingCallback(kNetSslUnlock, n, __FILE__, __LINE__);
    }
    NetSslLockingCallback(kNetSslUnlock, 0, __FILE__, __LINE__);  // never locked
    NetSslLockingCallback(0, 0, __FILE__, __LINE__);              // neither bit

    // Lock 0 is still free: another thread takes and gives it back at once.
    auto acquired = std::make_shared<Kiv::WEvent>(true, false);
    std::thread other([acquired] {
        NetSslLockingCallback(kNetSslLock, 0, __FILE__, __LINE__);
        acquired->Set();
        NetSslLockingCallback(kNetSslUnlock, 0, __FILE__, __LINE__);
    });
    const bool got = acquired->Wait(5000);
    EXPECT_TRUE(got);
    if (!got) {
        other.detach();
        return;
    }
    other.join();

    NetShutdown();
    NetSslLockingCallback(kNetSslLock, 0, __FILE__, __LINE__);  // no table: ignored
}

TEST_F(NetStartupTest, ThreadIdCallbackIsTheEngineThreadId) {
    EXPECT_EQ(NetThreadIdCallback(), Kiv::Thread::GetCurrentId());
    unsigned long otherId = 0;
    std::thread other([&] { otherId = NetThreadIdCallback(); });
    other.join();
    EXPECT_NE(otherId, NetThreadIdCallback());
}

}  // namespace
