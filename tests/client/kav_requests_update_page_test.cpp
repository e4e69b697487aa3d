// The update-page check against the in-process stand-in daemon: polled until done with a
// sleep between polls, released, progress reported for status 0; no endless polling when
// the fetch did not start.
#include "kav_requests_test_support.h"

#include "link/kav/kav_requests_update_page.h"

namespace {

TEST_F(KAVRequestsTest, UpdatePageIsPolledUntilDoneAndReportsProgress) {
    Answer(230, Le64(5));
    Answer(231, {});
    Answer(232, Concat({Byte(0), Le32(0), Le32(0), Le32(0), Str(""), PStr("")}));
    std::vector<float> progress;
    int sleeps = 0;
    const auto sleep = [&](int64_t ms) {
        EXPECT_EQ(ms, 100);
        if (++sleeps == 3)
            Answer(232, Concat({Byte(1), Le32(0), Le32(0), Le32(0), Str("/tmp/p"), PStr("")}));
    };
    EXPECT_TRUE(FetchUpdatePage([&](float p) { progress.push_back(p); }, sleep));
    EXPECT_EQ(sleeps, 3);
    EXPECT_EQ(progress, std::vector<float>{1.0f});
    EXPECT_EQ(Payloads(232).size(), 4u);
    EXPECT_EQ(OnlyPayload(231), Le64(5));
    const Bytes start = OnlyPayload(230);
    const Bytes address = PStr(kUpdatePageAddress);
    ASSERT_GT(start.size(), 1 + address.size() + 4);
    EXPECT_EQ(Bytes(start.begin() + 1, start.begin() + 1 + address.size()), address);
    EXPECT_EQ(Bytes(start.begin() + 1 + address.size(), start.begin() + 5 + address.size()), Le32(2));
}

TEST_F(KAVRequestsTest, UpdatePageWithAnErrorStatusReportsNothing) {
    Answer(230, Le64(5));
    Answer(231, {});
    Answer(232, Concat({Byte(1), Le32(0), Le32(404), Le32(0), Str(""), PStr("")}));
    bool reported = false;
    EXPECT_FALSE(FetchUpdatePage([&](float) { reported = true; }, [](int64_t) {}));
    EXPECT_FALSE(reported);
}

TEST_F(KAVRequestsTest, UpdatePageGivesUpWhenTheFetchCannotStart) {
    TakeLinkDown();
    int sleeps = 0;
    EXPECT_FALSE(FetchUpdatePage([](float) {}, [&](int64_t) { ++sleeps; }));
    EXPECT_EQ(sleeps, 0);
}

} // namespace
