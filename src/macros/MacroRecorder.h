#pragma once

#include "macros/InputCapture.h"
#include "macros/MacroEvents.h"

#include <cstddef>
#include <optional>
#include <set>
#include <vector>

namespace krm {

// Turns recorded input into macro rows. Every event that makes a row first gets a delay row
// (except the first of a recording): the time since the previous row's event (at most 65535 ms), a
// fixed delay, or none. A held key gives one press row however often the keyboard repeats it; a
// release whose press was not recorded (a key already down when recording started) gives no row.
// Left clicks on the page's own buttons are not recorded. Single-threaded: feed it on one thread.
class MacroRecorder {
public:
    // The recording ends when a further row would not leave room for a repeat section (FD n … FC)
    // and the terminator in the 256-byte event buffer.
    static constexpr std::size_t kByteLimit = macro::kEventBufferSize - 4;

    // `existingBytes`: bytes the macro holds besides the recorded rows (when inserting), counted
    // against the limit.
    void start(DelayMode mode, std::uint16_t fixedDelayMs, std::size_t existingBytes = 0);
    // One event; returns true when the recording must stop (the limit is reached).
    bool feed(const InputEvent& event);

    const std::vector<MacroRow>& rows() const { return rows_; }
    // Bytes the recorded rows take.
    std::size_t recordedBytes() const { return bytes_ - existing_; }
    bool stopRequested() const { return stop_; }

private:
    bool add(const MacroRow& row, std::uint64_t timeMs);

    DelayMode mode_ = DelayMode::Recorded;
    std::uint16_t fixedDelay_ = 0;
    std::size_t existing_ = 0, bytes_ = 0;
    std::optional<std::uint64_t> lastTime_;
    std::set<unsigned> heldKeys_;
    std::set<int> heldButtons_;
    std::vector<MacroRow> rows_;
    bool stop_ = false;
};

} // namespace krm
