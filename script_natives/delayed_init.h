// Delayed initialisation: objects that finish their set-up in three stages after they are
// made (DelayedInitClient) and the pending list of the manager that drives them
// (DelayedInitManager, a chain of blocks of up to 64 client pointers, appended at the end).
// A client queues itself with RequestDelayedInit and leaves with CancelDelayedInit;
// RunDelayedInit runs the stages whose bits are clear, in order (a stage may set a later
// stage's bit itself), then leaves the list. The manager owns its blocks, not the clients.
#pragma once

#include <array>
#include <cstdint>
#include <list>

class DelayedInitManager;

class DelayedInitClient {
  public:
    static constexpr uint8_t kStage1Done = 0x01;
    static constexpr uint8_t kStage2Done = 0x02;
    static constexpr uint8_t kStage3Done = 0x04;
    static constexpr uint8_t kQueued = 0x08;
    // Set by the owner to keep its stage 2 from compiling.
    static constexpr uint8_t kNoCompile = 0x10;
    static constexpr uint8_t kAllStages = kStage1Done | kStage2Done | kStage3Done;

    DelayedInitClient() = default;
    DelayedInitClient(const DelayedInitClient&) = delete;
    DelayedInitClient& operator=(const DelayedInitClient&) = delete;
    // A client still queued leaves its manager's list.
    virtual ~DelayedInitClient();

    // Each default only marks its stage done.
    virtual void InitStage1() { flags_ |= kStage1Done; }
    virtual void InitStage2() { flags_ |= kStage2Done; }
    virtual void InitStage3() { flags_ |= kStage3Done; }

    // Queues the client unless all three stages are done or it is queued already.
    void RequestDelayedInit(DelayedInitManager& manager);
    // Takes the client off the list when it is queued.
    void CancelDelayedInit(DelayedInitManager& manager);
    // The stages not done yet, in order, then CancelDelayedInit.
    void RunDelayedInit(DelayedInitManager& manager);

    uint8_t Flags() const { return flags_; }
    void SetFlags(uint8_t bits) { flags_ |= bits; }

  private:
    friend class DelayedInitManager;
    uint8_t flags_ = 0;
    DelayedInitManager* queuedIn_ = nullptr;
};

class DelayedInitManager {
  public:
    static constexpr int32_t kBlockSize = 64;

    DelayedInitManager() = default;
    DelayedInitManager(const DelayedInitManager&) = delete;
    DelayedInitManager& operator=(const DelayedInitManager&) = delete;
    // Frees the blocks; clients still queued are only told they are no longer queued.
    virtual ~DelayedInitManager();

    // Runs the delayed initialisation of the queued clients, first first, until none is
    // left (clients queued meanwhile included).
    void RunPendingInit();

    int32_t PendingCount() const;
    int32_t BlockCount() const { return static_cast<int32_t>(blocks_.size()); }
    // The index-th queued client in list order, or null.
    DelayedInitClient* PendingAt(int32_t index) const;

  private:
    friend class DelayedInitClient;
    struct Block {
        std::array<DelayedInitClient*, kBlockSize> clients{};
        int32_t count = 0;
    };
    void Append(DelayedInitClient* client);
    void Remove(DelayedInitClient* client);

    std::list<Block> blocks_;
};
