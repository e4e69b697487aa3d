// The blocking screen behind the resource lock's hooks: a main thread that waits more than
// 15 s for the lock shows it once and hides it after the grant; without a display it only
// counts these calls. The screen lives as long as the process, so the test looks at what
// its own wait adds to the counts. The same step of the wait dumps the resources that only
// the resource system's cache still holds.
#include "content3d/blocking_screen.h"

#include <gtest/gtest.h>

#include <thread>

#include "engine/file.h"
#include "engine/resource_database.h"
#include "engine/resource_system.h"
#include "engine/temp_folder.h"
#include "foundation/job_test_support.h"
#include "foundation/jobs/process_identity.h"
#include "foundation/jobs/resource_lock.h"

namespace {

TEST(BlockingScreen, TheLockWaitOfTheMainThreadShowsAndHidesIt) {
    RecordMainThreadId();
    BlockingScreen::InstallResourceLockHooks();
    BlockingScreen& screen = BlockingScreen::Instance();
    EXPECT_FALSE(screen.HasDisplay());
    const int32_t shown = screen.ShowCalls();
    const int32_t updated = screen.UpdateCalls();
    const int32_t hidden = screen.HideCalls();
    ScopedFakeJobTiming fake;
    ResourceLock lock;
    constexpr uint32_t kHolder = 77;
    ASSERT_TRUE(lock.TryAcquire(kHolder, true));
    std::thread holder([&] {
        if (WaitUntil([&] { return fake.timing.SleepCalls() > 0; })) {
            fake.timing.Advance(15001);
            EXPECT_TRUE(WaitUntil([&] { return screen.ShowCalls() == shown + 1; }));
            EXPECT_EQ(screen.HideCalls(), hidden);
        }
        lock.Release(kHolder);
    });
    lock.AcquireCurrentThread(true);
    holder.join();
    EXPECT_EQ(screen.ShowCalls(), shown + 1);
    EXPECT_EQ(screen.UpdateCalls(), updated);
    EXPECT_EQ(screen.HideCalls(), hidden + 1);
    EXPECT_TRUE(lock.ReleaseCurrentThread());
    ResourceLock::SetWaitHooks({});
}

// The same 15 s step of the wait frees the resources only the cache still holds.
TEST(BlockingScreen, TheLockWaitDumpsUnusedResources) {
    RecordMainThreadId();
    BlockingScreen::InstallResourceLockHooks();
    Kiv::ResourceSystem system;
    ASSERT_EQ(Kiv::ResourceSystem::Current(), &system);
    TempFolder temp;
    temp.WriteFile("t.texture.txt", "Primary=t.tga\n");
    Kiv::ResourceDatabase database{Kiv::PString(temp.Root().c_str())};
    Kiv::Resource* texture = database.Get(Kiv::PString("t.texture"));
    ASSERT_NE(texture, nullptr);
    texture->Release();
    ASSERT_EQ(system.GetCacheSize(), 1u);

    ScopedFakeJobTiming fake;
    ResourceLock lock;
    constexpr uint32_t kHolder = 78;
    ASSERT_TRUE(lock.TryAcquire(kHolder, true));
    std::thread holder([&] {
        if (WaitUntil([&] { return fake.timing.SleepCalls() > 0; })) {
            fake.timing.Advance(15001);
            EXPECT_TRUE(WaitUntil([&] { return system.GetCacheSize() == 0; }));
        }
        lock.Release(kHolder);
    });
    lock.AcquireCurrentThread(true);
    holder.join();
    EXPECT_EQ(system.GetCacheSize(), 0u);
    EXPECT_TRUE(lock.ReleaseCurrentThread());
    ResourceLock::SetWaitHooks({});
}

} // namespace
