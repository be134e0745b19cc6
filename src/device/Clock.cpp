#include "device/Clock.h"

#include <chrono>
#include <thread>

namespace krm {

namespace {
constexpr int kSpinTailUs = 150;
}

void SystemClock::sleepMs(int ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void SystemClock::waitMicroseconds(int us) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(us);
    // Sleep through most of a longer wait and spin only the tail: a thread that spins the whole wait
    // loses the processor on a busy machine and overshoots far more than a sleeper that wakes early.
    if (us > kSpinTailUs + 50) std::this_thread::sleep_for(std::chrono::microseconds(us - kSpinTailUs));
    while (std::chrono::steady_clock::now() < until) {
    }
}

std::uint64_t SystemClock::tickMs() {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

} // namespace krm
