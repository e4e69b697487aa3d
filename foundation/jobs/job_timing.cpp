// The engine clock behind JobTiming, the installed-clock switch and the job clock value.
#include "foundation/jobs/job_timing.h"

#include <atomic>

#include "engine/timing.h"

namespace {

class EngineTiming : public JobTiming {
  public:
    int64_t NowMs() override { return Kiv::Time::Ms(); }
    void Sleep(int64_t ms) override { Kiv::Time::Delay(ms); }
    bool Wait(Kiv::WEvent& event, int64_t ms) override { return event.Wait(ms); }
};

// Never destroyed: worker threads may still wait on it while static objects are torn down.
JobTiming& Engine() {
    static EngineTiming* engine = new EngineTiming;
    return *engine;
}

std::atomic<JobTiming*> g_installed{nullptr};
std::atomic<float> g_jobClock{0.0f};

} // namespace

JobTiming& JobTiming::Current() {
    JobTiming* installed = g_installed.load(std::memory_order_acquire);
    return installed ? *installed : Engine();
}

void JobTiming::Install(JobTiming* timing) {
    g_installed.store(timing, std::memory_order_release);
}

float GetJobClock() {
    return g_jobClock.load(std::memory_order_relaxed);
}

void SetJobClock(float seconds) {
    g_jobClock.store(seconds, std::memory_order_relaxed);
}
