// A message queue for the blocking screen's tests. Messages carry a serial in wParam so
// each can be followed. Keyboard (256-265) and mouse (512-525) messages are input, 15 is
// paint, every other number is posted. The pump records each message it hands out with
// removal and each one dispatched; a removed message never dispatched was dropped. A
// dispatch may queue more messages, as a window procedure would.
#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <vector>

#include "content3d/blocking_screen_pump.h"

class FakeMessagePump : public MessagePump {
  public:
    static constexpr uint32_t kPaint = 15;

    void Post(uint32_t number) { queue.push_back({number, ++serial_, 0}); }

    bool Peek(PumpMessage& message, uint32_t first, uint32_t last, uint32_t flags) override {
        peeks.fetch_add(1);
        for (auto it = queue.begin(); it != queue.end(); ++it) {
            if (!InRange(it->number, first, last) || !Admitted(it->number, flags)) continue;
            message = *it;
            if (flags & kPeekRemove) {
                removed.push_back(*it);
                queue.erase(it);
            }
            return true;
        }
        return false;
    }
    void Translate(const PumpMessage& message) override { translated.push_back(message.number); }
    void Dispatch(const PumpMessage& message) override {
        dispatched.push_back(message.number);
        dispatchedSerials_.push_back(message.wParam);
        if (onDispatch) onDispatch(message);
    }

    // Numbers of the removed messages never dispatched, in removal order.
    std::vector<uint32_t> Dropped() const {
        std::vector<uint32_t> numbers;
        for (const PumpMessage& m : removed) {
            bool wasDispatched = false;
            for (uint64_t serial : dispatchedSerials_)
                wasDispatched |= serial == m.wParam;
            if (!wasDispatched) numbers.push_back(m.number);
        }
        return numbers;
    }

    std::deque<PumpMessage> queue;
    std::vector<PumpMessage> removed;
    std::vector<uint32_t> translated;
    std::vector<uint32_t> dispatched;
    std::function<void(const PumpMessage&)> onDispatch;
    std::atomic<int> peeks{0};

  private:
    static bool InRange(uint32_t number, uint32_t first, uint32_t last) {
        return (first == 0 && last == 0) || (number >= first && number <= last);
    }
    static bool IsInput(uint32_t number) {
        return (number >= kFirstKeyMessage && number <= kLastKeyMessage) ||
               (number >= kFirstMouseMessage && number <= kLastMouseMessage);
    }
    static bool Admitted(uint32_t number, uint32_t flags) {
        const uint32_t kinds = flags & (kPeekInput | kPeekPosted | kPeekPaint | kPeekSent);
        if (kinds == 0) return true;
        if (IsInput(number)) return (kinds & kPeekInput) != 0;
        if (number == kPaint) return (kinds & kPeekPaint) != 0;
        return (kinds & kPeekPosted) != 0;
    }

    uint64_t serial_ = 0;
    std::vector<uint64_t> dispatchedSerials_;
};
