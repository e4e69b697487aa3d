// The window message pump the blocking screen keeps alive while the main thread waits.
// MessagePump stands for the platform's message queue: Peek finds the first pending
// message of a number range (0 to 0: every number) of a kind the flags admit, and removes
// it with kPeekRemove. Kind flags given without kPeekInput leave keyboard and mouse input
// queued; no kind flag at all admits every kind. This program has no window and no
// queue, so its pump (ProgramMessagePump) finds no message; tests hand the screen a
// recording pump of their own.
#pragma once

#include <cstdint>

struct PumpMessage {
    uint32_t number = 0;
    uint64_t wParam = 0;
    int64_t lParam = 0;
};

class MessagePump {
  public:
    // Peek flags.
    static constexpr uint32_t kPeekRemove = 0x1;
    static constexpr uint32_t kPeekInput = 0x2;
    static constexpr uint32_t kPeekPosted = 0x4;
    static constexpr uint32_t kPeekPaint = 0x8;
    static constexpr uint32_t kPeekSent = 0x10;

    // The message ranges of keyboard and mouse input.
    static constexpr uint32_t kFirstKeyMessage = 256;
    static constexpr uint32_t kLastKeyMessage = 265;
    static constexpr uint32_t kFirstMouseMessage = 512;
    static constexpr uint32_t kLastMouseMessage = 525;

    virtual ~MessagePump() = default;
    // The first pending message numbered first..last (0, 0: any) of a kind the flags
    // admit; false when there is none.
    virtual bool Peek(PumpMessage& message, uint32_t first, uint32_t last, uint32_t flags) = 0;
    virtual void Translate(const PumpMessage& message) = 0;
    virtual void Dispatch(const PumpMessage& message) = 0;
};

// The program's pump: no window, so no message ever waits.
class ProgramMessagePump final : public MessagePump {
  public:
    static ProgramMessagePump& Instance();
    bool Peek(PumpMessage&, uint32_t, uint32_t, uint32_t) override { return false; }
    void Translate(const PumpMessage&) override {}
    void Dispatch(const PumpMessage&) override {}
};
