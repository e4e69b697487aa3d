// The overlapped resource worker.
#include "content3d/mesh/overlapped_resource.h"

#include <algorithm>
#include <chrono>

namespace Kiv {

namespace {

std::unique_ptr<OverlappedResourceSystem>& Instance() {
    static std::unique_ptr<OverlappedResourceSystem> instance;
    return instance;
}

}  // namespace

OverlappedResourceSystem* OverlappedResourceSystem::Create(Clock clock) {
    if (!Instance()) Instance().reset(new OverlappedResourceSystem(std::move(clock)));
    return Instance().get();
}

void OverlappedResourceSystem::Destroy() { Instance().reset(); }

OverlappedResourceSystem* OverlappedResourceSystem::Get() { return Instance().get(); }

OverlappedResourceSystem::OverlappedResourceSystem(Clock clock) : clock_(std::move(clock)) {
    worker_ = std::thread([this] { WorkerLoop(); });
}

OverlappedResourceSystem::~OverlappedResourceSystem() {
    {
        const std::lock_guard<std::mutex> hold(lock_);
        stop_ = true;
    }
    wake_.notify_all();
    worker_.join();
    for (OverlappedResource* job : heap_) job->state_ = OverlappedResource::kIdle;
}

bool OverlappedResourceSystem::Queue(OverlappedResource& job) {
    {
        const std::lock_guard<std::mutex> hold(lock_);
        if (heap_.size() >= kMaxQueued || job.state_ == OverlappedResource::kQueued) return false;
        job.state_ = OverlappedResource::kQueued;
        job.creationTime_ = clock_();
        job.handle.request = &job;
        heap_.push_back(&job);
    }
    wake_.notify_one();
    return true;
}

size_t OverlappedResourceSystem::GetQueuedCount() const {
    const std::lock_guard<std::mutex> hold(lock_);
    return heap_.size();
}

void OverlappedResourceSystem::WorkerLoop() {
    std::unique_lock<std::mutex> hold(lock_);
    while (!stop_) {
        wake_.wait_for(hold, std::chrono::milliseconds(1000), [this] { return stop_ || !heap_.empty(); });
        if (stop_ || heap_.empty()) continue;
        const double now = clock_();
        for (OverlappedResource* job : heap_) job->age_ = static_cast<float>(now - job->creationTime_);
        const auto older = [](const OverlappedResource* a, const OverlappedResource* b) { return a->age_ < b->age_; };
        std::make_heap(heap_.begin(), heap_.end(), older);
        std::pop_heap(heap_.begin(), heap_.end(), older);
        OverlappedResource* job = heap_.back();
        heap_.pop_back();
        job->state_ = OverlappedResource::kRunning;
        hold.unlock();
        const bool success = job->Run();
        hold.lock();
        job->state_ = success ? OverlappedResource::kFinished : OverlappedResource::kIdle;
        if (success) completed_.push_back(job);
        runEnded_.notify_all();
    }
}

bool OverlappedResourceSystem::TakeOut(OverlappedResource& job) {
    const auto found = std::find(heap_.begin(), heap_.end(), &job);
    if (found == heap_.end()) return false;
    heap_.erase(found);
    return true;
}

void OverlappedResourceSystem::Finish(OverlappedResource& job, bool success) {
    job.Complete(success);
    const std::lock_guard<std::mutex> hold(lock_);
    job.state_ = success ? OverlappedResource::kCompleted : OverlappedResource::kIdle;
}

bool OverlappedResourceSystem::Poll(OverlappedResource& job) {
    std::unique_lock<std::mutex> hold(lock_);
    if (job.state_ == OverlappedResource::kQueued && TakeOut(job)) {
        if (job.cancel_) {
            job.state_ = OverlappedResource::kCancelled;
            return false;
        }
        job.state_ = OverlappedResource::kRunning;
        hold.unlock();
        Finish(job, job.Run());
        return job.state_ == OverlappedResource::kCompleted;
    }
    runEnded_.wait(hold, [&] { return job.state_ != OverlappedResource::kRunning; });
    if (job.state_ != OverlappedResource::kFinished) return job.state_ == OverlappedResource::kCompleted;
    completed_.erase(std::find(completed_.begin(), completed_.end(), &job));
    hold.unlock();
    Finish(job, true);
    return true;
}

void OverlappedResourceSystem::Cancel(OverlappedResource& job) {
    {
        const std::lock_guard<std::mutex> hold(lock_);
        job.cancel_ = true;
    }
    Poll(job);
}

}  // namespace Kiv
