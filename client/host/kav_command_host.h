// KAVCommandHost: the command-host mode (`kavcommandhost`). The tool registers with the
// daemon (request 140) and then serves the jobs the daemon pushes (command_host_callback.h)
// on the main thread, pumping the link's queued jobs every pass, until the link it registered
// on ends or the console is closed; a keep-alive (request 0) goes out every 100 passes.
// Answers and keep-alives go out on that link only: a new link would not be a host's. The
// waits are constants that tests shorten (SetTiming).
#pragma once

#include <cstdint>

struct KAVCommandHostTiming {
    int64_t passWaitMs = 50;      // the longest wait for main-thread work per pass
    int32_t keepAliveEvery = 100; // passes per keep-alive
    int64_t drainWaitMs = 10;     // the wait while queued work still runs at the end
};

class KAVCommandHost {
  public:
    // Serves jobs until the link it registered on ends or the console is closed, then
    // finishes the queued work; always false.
    static bool Run();
    // Called on every pass after the queued main-thread jobs ran; nothing to do yet.
    static void IdleHook();
    // The passes of the loop that runs, or of the last one.
    static uint64_t Passes();

    static void SetTiming(const KAVCommandHostTiming& timing);
    static void ResetTiming();
};
