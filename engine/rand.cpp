// The generator of Kiv::Rand and the unbiased draw of a range (rejection sampling).
#include "engine/rand.h"

#include <random>
#include <utility>

namespace Kiv {

namespace {

// splitmix64 step: spreads any seed, 0 included, over the state space.
uint64_t Mix(uint64_t value) {
    value += 0x9E3779B97F4A7C15ull;
    value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
    value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
    return value ^ (value >> 31);
}

}  // namespace

void Rand::Seed(uint64_t seed) {
    std::lock_guard<std::mutex> guard(mutex_);
    state_ = Mix(seed);
    if (state_ == 0) state_ = 1;
}

void Rand::Randomise() {
    std::random_device device;
    uint64_t seed = (uint64_t(device()) << 32) ^ device();
    Seed(seed);
}

uint64_t Rand::Next() {
    std::lock_guard<std::mutex> guard(mutex_);
    return Draw();
}

uint64_t Rand::Draw() {
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return state_ * 0x2545F4914F6CDD1Dull;
}

int32_t Rand::NextInt(int32_t low, int32_t high) {
    if (low > high) std::swap(low, high);
    uint64_t span = uint64_t(int64_t(high) - int64_t(low)) + 1;  // 1 to 2^32
    uint64_t limit = UINT64_MAX - UINT64_MAX % span;  // draws at or above are rejected
    std::lock_guard<std::mutex> guard(mutex_);
    uint64_t draw = Draw();
    while (draw >= limit) draw = Draw();
    return static_cast<int32_t>(int64_t(low) + int64_t(draw % span));
}

}  // namespace Kiv
