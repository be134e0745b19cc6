#pragma once

#include "macros/InputCapture.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace krm {

// A fire-macro body as the recorder shows it: one line per operation. Kinds and bytes:
// 0 delay (FE hi lo), 1 left press (A1), 2 left release (21), 3 movement (04 x y), 7 repeat start
// (FD n), 8 repeat stop (FC).
struct FireLine {
    enum class Kind { Delay = 0, Press = 1, Release = 2, Move = 3, RepeatStart = 7, RepeatStop = 8 };
    Kind kind = Kind::Delay;
    int value = 0; // delay ms (1..65535) or repeat count (0..255)
    int x = 0, y = 0;

    std::size_t size() const;
    std::string text() const; // "0 40", "1 LeftKey CODE:00A1", "3 04FB01", "7 FD05", "8 FC"
    bool operator==(const FireLine&) const = default;
};

namespace fire_lines {

// The lines of a body, read operation by operation up to where three zero bytes begin (or its end);
// other bytes are stepped over.
std::vector<FireLine> fromBody(std::span<const std::uint8_t> body);
// The bytes of the lines followed by the terminating 00.
std::vector<std::uint8_t> toBody(const std::vector<FireLine>& lines);

// What deleting line `index` did: the line is removed (with its partner for a press or release),
// or nothing is removed and `error` holds "Macro Content Error" (a press or release without its
// partner, or a repeat start, whose stop would be left alone).
struct DeleteResult {
    bool removed = false;
    int selection = 0;
    std::string error;
};
DeleteResult remove(std::vector<FireLine>& lines, int index);

// The insert box's choices (Str410, Str411, Str450, Str451, Str456, Str457).
enum class Insert { DelayBefore, DelayAfter, MoveBefore, MoveAfter, RepeatStartBefore, RepeatStopAfter };
// Inserts beside line `index` (at the start of an empty list); values are clamped: delay 1..65535,
// X and Y -128..127, count 0..255. Returns the index of the new line.
int insert(std::vector<FireLine>& lines, int index, Insert choice, int value, int x = 0, int y = 0);

} // namespace fire_lines

// Records left-button timing into fire-macro lines. Before every press or release but the first it
// puts a delay line: the time since the previous one (real-time mode, 1..65535 ms), the fixed delay,
// or none. Other buttons and keys are ignored. The recording asks to stop when a further press or
// release with its delay would not fit `byteLimit` (the body length less the terminator).
class FireMacroRecorder {
public:
    enum class Mode { RealTime, Fixed, None };
    void start(Mode mode, int fixedDelayMs, std::size_t byteLimit);
    // One event; true when the recording must stop.
    bool feed(const InputEvent& event);
    const std::vector<FireLine>& lines() const { return lines_; }
    bool full() const { return full_; }

private:
    Mode mode_ = Mode::RealTime;
    int fixed_ = 0;
    std::size_t limit_ = 0, bytes_ = 0;
    std::optional<std::uint64_t> last_;
    std::vector<FireLine> lines_;
    bool full_ = false;
};

} // namespace krm
