// Process end without static destructors.
#include "engine/terminate_process.h"

#include <cstdio>
#include <unistd.h>

namespace Kiv {

void TerminateProcess(int code) {
    std::fflush(stdout);
    std::fflush(stderr);
    _exit(code & 0xFF);
}

void TerminateProcessFromSignal(int code) { _exit(code & 0xFF); }

}  // namespace Kiv
