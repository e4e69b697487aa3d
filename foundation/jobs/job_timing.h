// The clocks of the job system and the resource lock. JobTiming is where every wait of
// theirs reads time (the 1 ms poll of a waiting poster, the 30 s idle end of a worker, the
// lock's retry sleeps and its 15 s main-thread steps); tests install a fake one so those
// waits take milliseconds. The job clock is a separate, coarser value: float seconds that
// only the main thread's pump advances, against which new workers are rationed.
#pragma once

#include <cstdint>

#include "engine/wevent.h"

class JobTiming {
  public:
    virtual ~JobTiming() = default;
    // Milliseconds on this clock; only differences matter.
    virtual int64_t NowMs() = 0;
    // Sleeps ms on this clock; 0 or less only yields.
    virtual void Sleep(int64_t ms) = 0;
    // Waits for event up to ms on this clock; true when it came.
    virtual bool Wait(Kiv::WEvent& event, int64_t ms) = 0;

    // The clock in use: the engine clock unless a test installed another.
    static JobTiming& Current();
    // Installs timing (not owned; it must outlive every wait that reads it); null restores
    // the engine clock.
    static void Install(JobTiming* timing);
};

// The job clock, in seconds since the main thread first pumped its jobs (0 before that).
float GetJobClock();
void SetJobClock(float seconds);
