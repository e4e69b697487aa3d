// The engine clock over std::chrono::steady_clock.
#include "engine/timing.h"

#include <chrono>
#include <thread>

namespace Kiv {

namespace {

std::chrono::steady_clock::time_point Origin() {
    static const auto origin = std::chrono::steady_clock::now();
    return origin;
}

}  // namespace

int64_t Time::Ms() {
    auto elapsed = std::chrono::steady_clock::now() - Origin();
    return std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
}

double Time::GetSeconds() {
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - Origin();
    return elapsed.count();
}

void Time::Delay(int64_t ms) {
    if (ms <= 0) {
        std::this_thread::yield();
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace Kiv
