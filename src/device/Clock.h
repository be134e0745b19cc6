#pragma once

#include <atomic>
#include <cstdint>

namespace krm {

// Time as the device link sees it: the settle sleeps, the 500 µs wait after each fetch, tick counts.
class Clock {
public:
    virtual ~Clock() = default;
    virtual void sleepMs(int ms) = 0;
    // Waits at least us microseconds, measured on the high-resolution counter, and not much longer.
    virtual void waitMicroseconds(int us) = 0;
    // Milliseconds since an arbitrary start.
    virtual std::uint64_t tickMs() = 0;
};

// The real clock of the machine.
class SystemClock final : public Clock {
public:
    void sleepMs(int ms) override;
    void waitMicroseconds(int us) override;
    std::uint64_t tickMs() override;
};

// Virtual time for tests and the simulated mouse: waiting advances the clock at once.
class FakeClock final : public Clock {
public:
    void sleepMs(int ms) override { advanceUs(static_cast<std::uint64_t>(ms) * 1000); }
    void waitMicroseconds(int us) override { advanceUs(static_cast<std::uint64_t>(us)); }
    std::uint64_t tickMs() override { return nowUs_.load() / 1000; }

    std::uint64_t nowUs() const { return nowUs_.load(); }
    void advanceUs(std::uint64_t us) { nowUs_.fetch_add(us); }

private:
    std::atomic<std::uint64_t> nowUs_{0};
};

} // namespace krm
