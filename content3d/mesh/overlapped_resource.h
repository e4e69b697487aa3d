// The overlapped resource worker: jobs (OverlappedResource) queued to one worker thread,
// run oldest first, and completed on the thread that polls them through their handle
// (Overlapped). A poll of a job still queued takes it out and runs it on the polling
// thread; a poll of a job being run waits for the run. The worker exists only when made
// explicitly (Create); this program never makes it, so mesh collision trees are never
// requested in it. Job states: 0 idle, 1 queued, 2 running, 3 finished, 4 completed,
// 5 cancelled while queued.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace Kiv {

class OverlappedResource;

// The requester's handle: where the job leaves its result, and the job.
struct Overlapped {
    void* result = nullptr;
    OverlappedResource* request = nullptr;
};

class OverlappedResource {
public:
    enum State : int { kIdle = 0, kQueued = 1, kRunning = 2, kFinished = 3, kCompleted = 4, kCancelled = 5 };

    explicit OverlappedResource(std::string name = "unknown") : name_(std::move(name)) {}
    virtual ~OverlappedResource() = default;
    OverlappedResource(const OverlappedResource&) = delete;
    OverlappedResource& operator=(const OverlappedResource&) = delete;

    // The job's work (any thread) and its completion (the polling thread).
    virtual bool Run() = 0;
    virtual void Complete(bool success) = 0;

    const std::string& GetName() const { return name_; }
    int GetState() const { return state_; }
    Overlapped handle;

private:
    friend class OverlappedResourceSystem;
    std::string name_;
    float age_ = 0;
    int state_ = kIdle;
    double creationTime_ = 0;
    bool cancel_ = false;
};

// A job that calls two plain functions with its user data; a missing one counts as success.
class OverlappedResourceCallback : public OverlappedResource {
public:
    using Callback = bool (*)(void* userData, Overlapped& handle);
    OverlappedResourceCallback(std::string name, void* userData, Callback run, Callback complete)
        : OverlappedResource(std::move(name)), userData_(userData), run_(run), complete_(complete) {}
    bool Run() override { return !run_ || run_(userData_, handle); }
    void Complete(bool success) override {
        if (success && complete_) complete_(userData_, handle);
    }

private:
    void* userData_;
    Callback run_;
    Callback complete_;
};

class OverlappedResourceSystem {
public:
    static constexpr size_t kMaxQueued = 5000;
    using Clock = std::function<double()>;  // seconds

    // Makes the single worker (its thread starts at once); the clock dates jobs.
    static OverlappedResourceSystem* Create(Clock clock);
    // Stops and deletes it; queued jobs are dropped (state 0).
    static void Destroy();
    // The worker, or null when none was made.
    static OverlappedResourceSystem* Get();

    // False (nothing queued) when the queue is full or the job is already queued.
    bool Queue(OverlappedResource& job);
    // Runs or waits for the job as needed and completes it here; true once completed.
    bool Poll(OverlappedResource& job);
    // Takes a queued job out unrun (state 5), or waits for its run and completes it.
    void Cancel(OverlappedResource& job);
    size_t GetQueuedCount() const;

    ~OverlappedResourceSystem();

private:
    explicit OverlappedResourceSystem(Clock clock);
    void WorkerLoop();
    bool TakeOut(OverlappedResource& job);
    void Finish(OverlappedResource& job, bool success);

    Clock clock_;
    mutable std::mutex lock_;
    std::condition_variable wake_;
    std::condition_variable runEnded_;
    std::vector<OverlappedResource*> heap_;
    std::vector<OverlappedResource*> completed_;
    bool stop_ = false;
    std::thread worker_;
};

}  // namespace Kiv
