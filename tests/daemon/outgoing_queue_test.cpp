// The queue between a client's reader and writer: its byte bound, and what Close and
// Discard leave to the writer.
#include <gtest/gtest.h>

#include <thread>

#include "daemon/outgoing_queue.h"

namespace {

using Push = OutgoingQueue::Push;

WireBytes Frame(size_t size, uint8_t fill) { return WireBytes(size, fill); }

TEST(OutgoingQueue, BoundsTheQueuedBytes) {
    OutgoingQueue queue(10);
    EXPECT_EQ(queue.Add(Frame(6, 1)), Push::kQueued);
    EXPECT_EQ(queue.Add(Frame(4, 2)), Push::kQueued);
    EXPECT_EQ(queue.Add(Frame(1, 3)), Push::kFull);

    WireBytes frame;
    ASSERT_TRUE(queue.Pop(frame));
    EXPECT_EQ(frame, Frame(6, 1));
    EXPECT_EQ(queue.Add(Frame(6, 4)), Push::kQueued);
    EXPECT_EQ(queue.Add(Frame(1, 5)), Push::kFull);
}

TEST(OutgoingQueue, AnEmptyQueueTakesOneFrameOfAnySize) {
    OutgoingQueue queue(10);
    EXPECT_EQ(queue.Add(Frame(25, 1)), Push::kQueued);
    // Nothing more fits while the large frame waits, whatever the arithmetic says.
    EXPECT_EQ(queue.Add(Frame(1, 2)), Push::kFull);
    EXPECT_EQ(queue.Add(Frame(0, 3)), Push::kFull);
    WireBytes frame;
    ASSERT_TRUE(queue.Pop(frame));
    EXPECT_EQ(frame.size(), 25u);
    EXPECT_EQ(queue.Add(Frame(10, 4)), Push::kQueued);
}

TEST(OutgoingQueue, CloseHandsOutWhatIsQueuedDiscardDropsIt) {
    OutgoingQueue closed(100);
    closed.Add(Frame(2, 1));
    closed.Add(Frame(3, 2));
    closed.Close();
    EXPECT_EQ(closed.Add(Frame(1, 3)), Push::kClosed);
    WireBytes frame;
    EXPECT_TRUE(closed.Pop(frame));
    EXPECT_EQ(frame, Frame(2, 1));
    EXPECT_TRUE(closed.Pop(frame));
    EXPECT_EQ(frame, Frame(3, 2));
    EXPECT_FALSE(closed.Pop(frame));

    OutgoingQueue discarded(100);
    discarded.Add(Frame(2, 1));
    discarded.Discard();
    EXPECT_FALSE(discarded.Pop(frame));
    EXPECT_EQ(discarded.Add(Frame(1, 3)), Push::kClosed);
}

TEST(OutgoingQueue, PopWaitsForAFrameOrTheClose) {
    OutgoingQueue queue(100);
    WireBytes first;
    bool gotFirst = false;
    bool gotSecond = true;
    std::thread writer([&] {
        gotFirst = queue.Pop(first);
        WireBytes second;
        gotSecond = queue.Pop(second);
    });
    queue.Add(Frame(1, 7));
    queue.Close();
    writer.join();
    EXPECT_TRUE(gotFirst);
    EXPECT_EQ(first, Frame(1, 7));
    EXPECT_FALSE(gotSecond);
}

}  // namespace
