// Who this process is, recorded early in start-up: the program name and the main thread,
// which decides where main-thread jobs run (the thread that ran static initialisation
// until start-up records one). Beside them the process-wide values that other parts read
// through the job system: three application values this tool never sets (they read 0), an
// optional two-int hook (0 while none is installed), the daemon client's started event and
// the calendar clock.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

#include "engine/wevent.h"

// Records the program name and the calling thread as the main thread.
void RecordProgramIdentity(const char* programName);
// Makes the calling thread the main thread.
void RecordMainThreadId();
std::string GetProgramName();
// 16 (never-main-thread jobs excluded) on the main thread, 1 (main-only jobs) elsewhere.
uint32_t CurrentThreadJobMask();

bool GetApplicationByte();
float GetApplicationFloat();
int32_t GetApplicationInt();

using ApplicationHook = int32_t (*)(int32_t, int32_t);
void SetApplicationHook(ApplicationHook hook);
int32_t CallApplicationHook(int32_t first, int32_t second);

void SetClientStartedEvent(Kiv::WEvent* event);
Kiv::WEvent* GetClientStartedEvent();

// Seconds since 1970 (UTC), and a broken-down local time in seconds (-1 when it has none).
int64_t Time64();
int64_t MakeTime64(std::tm& localTime);
