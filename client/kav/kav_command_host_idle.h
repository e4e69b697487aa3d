// The command host's idle hook: called on every pass of the host loop, after the queued
// main-thread jobs ran. It has nothing to do; it is the place for per-pass work to come.
#pragma once

class KAVCommandHost {
public:
    static void IdleHook();
};
