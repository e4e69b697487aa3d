// GSThread: one line of script execution. It owns a value stack, a state (running, waiting,
// stopped), the position where its next run resumes, the message kinds it waits for, the
// messages queued for it while it could not take them, and a sleep time. Game objects own
// their threads and run each once per update; the machine owns the static thread, which
// runs member initialisers and direct calls of script functions as nested runs.
#pragma once

#include <cstdint>

#include "foundation/utils/array.h"
#include "foundation/utils/double_link_list.h"
#include "script_runtime/gs_exec_result.h"
#include "script_runtime/gs_stack.h"

class GSGameObject;
struct GSMessage;

class GSThread : public Utils::IDoubleLinkListNode {
  public:
    enum State : int32_t { kRunning = 0, kWaiting = 1, kStopped = 2 };
    enum Flags : uint32_t { kStaticThread = 0x1 };
    static constexpr uint32_t kMaxQueuedMessages = 1024;

    struct Block {
        uint16_t major;
        uint16_t minor;  // 1 matches every minor
        int32_t target;  // code offset in the function that waited
    };

    // Top frame, top, state and resume position of a thread around a nested run.
    struct SavedState {
        GSSlot* topFrame;
        GSSlot* top;
        int32_t state;
        int32_t resumePosition;
    };

    GSThread(GSGameObject* owner, uint32_t flags);
    ~GSThread() override;

    void Reset();
    GSExecResult Execute(float timeStep);
    bool ReceiveMessage(const GSMessage* message, bool queue);
    bool OfferQueuedMessages();
    void Exception(const char* text, bool continueRunning);
    void SaveState(SavedState& record);
    void RestoreState(const SavedState& record);
    // The message side: each wait block's major id unsubscribed from the owner's router
    // node, then no wait blocks; every queued message freed into the router's message pool.
    void DropWaitBlocks();
    void FreeQueuedMessages();

    GSStack& Stack() { return stack_; }
    const GSStack& Stack() const { return stack_; }
    int32_t State() const { return state_; }
    void SetState(int32_t state) { state_ = state; }
    int32_t ResumePosition() const { return resumePosition_; }
    void SetResumePosition(int32_t position) { resumePosition_ = position; }
    uint32_t ThreadFlags() const { return flags_; }
    bool IsStatic() const { return (flags_ & kStaticThread) != 0; }
    float SleepTime() const { return sleepTime_; }
    void SetSleepTime(float seconds) { sleepTime_ = seconds; }
    GSGameObject* Owner() const { return owner_; }

    uint32_t WaitCount() const { return waitCount_; }
    void SetWaitCount(uint32_t count) { waitCount_ = count; }
    Utils::Array<Block, 4>& WaitBlocks() { return waitBlocks_; }
    uint32_t QueuedCount() const { return queuedCount_; }
    void SetQueuedCount(uint32_t count) { queuedCount_ = count; }
    Utils::Array<GSMessage*, 4>& QueuedMessages() { return queuedMessages_; }

  private:
    int32_t state_ = kRunning;
    int32_t resumePosition_ = 0;
    uint32_t flags_ = 0;
    GSStack stack_;
    uint32_t waitCount_ = 0;
    Utils::Array<Block, 4> waitBlocks_;
    uint32_t queuedCount_ = 0;
    Utils::Array<GSMessage*, 4> queuedMessages_;
    float sleepTime_ = 0.0f;
    GSGameObject* owner_ = nullptr;
};
