// The -100 guard and the guarded run of a job object. An exception that escapes a command or,
// while a command runs, a job ends the process at once with exit code -100: nothing is
// printed or shut down after it. RunEndingOnEscape is that guard, for the command's guarded
// run and the job's alike. A job runs under it only while a command runs (the in-command
// flag) and no debugger is attached; otherwise unguarded, so a debugger stops where the
// exception was thrown.
#pragma once

#include <cstdint>
#include <utility>

#include "engine/terminate_process.h"
#include "foundation/jobs/tcx_callback.h"

// The exit code of a process ended by an escaping exception or, in a command, a fault.
constexpr int kEscapedExceptionExit = -100;

// Runs body and returns its result; an exception escaping it ends the process.
template <typename Body>
decltype(auto) RunEndingOnEscape(Body&& body) {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        Kiv::TerminateProcess(kEscapedExceptionExit);
    }
}

int32_t RunTCXCallbackGuarded(intptr_t argument, TCXCallbackBase& callback);
