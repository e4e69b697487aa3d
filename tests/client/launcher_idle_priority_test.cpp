// SetIdlePriority lowers every thread of the process, also one started before it, and
// threads started afterwards inherit the lowest priority. It cannot be undone, so it runs
// in a child process of its own.
#include "client/launcher/idle_priority.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

int OwnNice() {
    return getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
}

// Exits 0 when every thread ends at nice 19; prints what differs otherwise.
[[noreturn]] void LowerAndCheck() {
    std::atomic<bool> lowered{false};
    std::atomic<int> earlierNice{-100};
    std::thread earlier([&] {
        while (!lowered.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        earlierNice.store(OwnNice());
    });
    const bool ok = SetIdlePriority();
    lowered.store(true);
    earlier.join();
    int laterNice = -100;
    std::thread later([&] { laterNice = OwnNice(); });
    later.join();
    const int mainNice = OwnNice();
    std::fprintf(stderr, "ok=%d main=%d earlier=%d later=%d\n", ok, mainNice, earlierNice.load(),
                 laterNice);
    std::exit(ok && mainNice == 19 && earlierNice.load() == 19 && laterNice == 19 ? 0 : 1);
}

TEST(SetIdlePriority, LowersEveryThreadOfTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(LowerAndCheck(), ::testing::ExitedWithCode(0), "ok=1 main=19 earlier=19 later=19");
}

}  // namespace
