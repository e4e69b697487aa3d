// The queue between a client's reader and writer: its byte bound, what Close and Discard
// leave to the writer, and the frames that go out at once without the writer.
#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

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

// A socket stand-in for the sends that do not wait: it takes at most `room` bytes of each
// offer (all when negative) and notes every event in order.
struct Wire {
    std::mutex lock;
    WireBytes bytes;
    std::vector<std::string> events;
    long room = -1;

    OutgoingQueue::SendNow Sender() {
        return [this](const uint8_t* data, size_t size) {
            std::lock_guard<std::mutex> hold(lock);
            const size_t taken = room < 0 ? size : std::min(size, static_cast<size_t>(room));
            bytes.insert(bytes.end(), data, data + taken);
            events.push_back("sent " + std::to_string(taken) + " of " + std::to_string(size));
            return taken;
        };
    }
    OutgoingQueue::Taken Note(const std::string& what) {
        return [this, what] {
            std::lock_guard<std::mutex> hold(lock);
            events.push_back(what);
        };
    }
};

TEST(OutgoingQueue, AFrameGoesOutAtOnceOnlyWhenNothingIsAheadOfIt) {
    Wire wire;
    OutgoingQueue queue(100, wire.Sender());
    // Idle: sent whole, never handed to the writer; the taken note comes first.
    EXPECT_EQ(queue.Add(Frame(3, 1), wire.Note("taken a")), Push::kQueued);
    // The socket takes 2 of 5 bytes: the other 3 wait for the writer.
    wire.room = 2;
    EXPECT_EQ(queue.Add(Frame(5, 2), wire.Note("taken b")), Push::kQueued);
    // Bytes are queued: not offered, whatever room the socket has.
    wire.room = -1;
    EXPECT_EQ(queue.Add(Frame(4, 3), wire.Note("taken c")), Push::kQueued);
    WireBytes frame;
    ASSERT_TRUE(queue.Pop(frame));
    EXPECT_EQ(frame, Frame(3, 2));
    ASSERT_TRUE(queue.Pop(frame));
    EXPECT_EQ(frame, Frame(4, 3));
    // The writer holds a frame it may not have sent yet: not offered either.
    EXPECT_EQ(queue.Add(Frame(1, 4)), Push::kQueued);
    queue.Close();
    ASSERT_TRUE(queue.Pop(frame));
    EXPECT_EQ(frame, Frame(1, 4));

    EXPECT_EQ(wire.bytes, (WireBytes{1, 1, 1, 2, 2}));
    const std::vector<std::string> events = {"taken a", "sent 3 of 3", "taken b", "sent 2 of 5",
                                             "taken c"};
    EXPECT_EQ(wire.events, events);
}

TEST(OutgoingQueue, ARefusedFrameIsNeitherTakenNorSent) {
    Wire wire;
    wire.room = 0;
    OutgoingQueue queue(10, wire.Sender());
    EXPECT_EQ(queue.Add(Frame(8, 1), wire.Note("taken 8")), Push::kQueued);
    EXPECT_EQ(queue.Add(Frame(8, 2), wire.Note("taken full")), Push::kFull);
    queue.Discard();
    EXPECT_EQ(queue.Add(Frame(1, 3), wire.Note("taken closed")), Push::kClosed);
    const std::vector<std::string> events = {"taken 8", "sent 0 of 8"};
    EXPECT_EQ(wire.events, events);
}

// Frames pushed while a writer thread drains the queue, with a socket that takes all, part
// or nothing of each offer: the bytes reach the wire whole and in the order pushed.
TEST(OutgoingQueue, SentAndQueuedFramesKeepTheirOrder) {
    Wire wire;
    OutgoingQueue queue(1 << 20, [&wire, offer = 0](const uint8_t* data, size_t size) mutable {
        std::lock_guard<std::mutex> hold(wire.lock);
        const size_t taken = (offer++ % 3) * size / 2;  // none, half, all
        wire.bytes.insert(wire.bytes.end(), data, data + taken);
        return taken;
    });
    std::thread writer([&] {
        WireBytes frame;
        while (queue.Pop(frame)) {
            std::lock_guard<std::mutex> hold(wire.lock);
            wire.bytes.insert(wire.bytes.end(), frame.begin(), frame.end());
        }
    });
    WireBytes expected;
    for (int i = 0; i < 2000; ++i) {
        const WireBytes frame = Frame(1 + i % 7, static_cast<uint8_t>(i));
        expected.insert(expected.end(), frame.begin(), frame.end());
        ASSERT_EQ(queue.Add(frame), Push::kQueued);
    }
    queue.Close();
    writer.join();
    EXPECT_EQ(wire.bytes, expected);
}

}  // namespace
