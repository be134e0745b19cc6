#pragma once

#include <csignal>

namespace krm::ctl {

// Ctrl-C (SIGINT) and a stop from the service manager (SIGTERM) end a command that runs until told:
// the signal only sets a flag, which the command looks at between its waits (a wait it is in returns
// early). The signals get their earlier handling back when this goes. One at a time.
class StopSignals {
public:
    StopSignals() {
        flag() = 0;
        previousInt_ = std::signal(SIGINT, onSignal);
        previousTerm_ = std::signal(SIGTERM, onSignal);
    }
    ~StopSignals() {
        std::signal(SIGINT, previousInt_);
        std::signal(SIGTERM, previousTerm_);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    bool requested() const { return flag() != 0; }

private:
    static volatile std::sig_atomic_t& flag() {
        static volatile std::sig_atomic_t stop = 0;
        return stop;
    }
    static void onSignal(int) { flag() = 1; }

    void (*previousInt_)(int) = nullptr;
    void (*previousTerm_)(int) = nullptr;
};

} // namespace krm::ctl
