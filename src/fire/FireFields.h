#pragma once

#include "image/FunctionCode.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace krm {

// The field rules of the rapid-fire controls and the codecs of fire-key codes, gun codes and
// fire-macro bodies. Every rule takes the text a field holds and returns the text it is to show;
// out-of-range input becomes the nearest allowed value, never an error.
namespace fire {

inline constexpr int kSlots = 3;
inline constexpr int kGuns = 7;
inline constexpr int kMaxStages = 3;
inline constexpr int kMaxInterval = 4094; // ms, the largest interval the slot fields take
// A slot's repeat count, as the image holds it: its count byte and the low nibble of its code are the
// repeat minus 1 (0..15). Every control and command that sets one takes this range.
inline constexpr int kMinRepeat = 1, kMaxRepeat = 16;

// User-page repeat field while typing: empty becomes the smallest repeat, above kMaxRepeat kMaxRepeat;
// "0" stays (it may be the start of nothing else, but the field is not yet left).
std::string repeatWhileTyping(std::string_view text);
// The same field when it is left: also "0" becomes the smallest repeat.
std::string repeatOnLeave(std::string_view text);
// User-page interval field: empty or below 1 becomes "1", above 4094 "4094".
std::string userInterval(std::string_view text);
// Engineering interval field: above 4094 becomes "4094"; empty stays (read as 0).
std::string engineeringInterval(std::string_view text);

// The fire-key code of a slot: 06, 0x10 | (repeat - 1) | 0x80 for continue, interval big-endian.
// `repeat` kMinRepeat..kMaxRepeat, `interval` 0..65535.
CodeBytes fireKeyCode(int repeat, int interval, bool continueOn);

// Gun presets: the first macro index (0..9) and the macros a gun owns.
int gunFirstMacro(int gun /*1..7*/);
int gunMacroCount(int gun /*1..7*/); // 1, 2 (gun 6) or 3 (gun 7)
// The gun code: 0B, keep-left nibble + first macro, stages, combo mask. `stages` is clamped to what
// the gun owns.
CodeBytes gunCode(int gun, int stages, bool keepLeft, std::uint8_t comboMask);

// Stage fields of the gun page.
enum class StageField { Count, X, Y, XAdjust, YAdjust, Interval };

// Count field: empty or below 0 → "0", 256 or more → "255".
std::string countField(std::string_view text);
// Interval field: empty → "0", above 65535 → "65535".
std::string stageIntervalField(std::string_view text);
// X or Y with the stage's adjustment `other` (or an adjustment with the movement as `other`): a lone
// "-" stays; empty → "0"; clamped to -128..127, then so that value + other stays within -128..127.
std::string movementField(std::string_view text, int other);
// The number a field text stands for ("-" and empty: 0).
int fieldValue(std::string_view text);

// Where the gun page found the parts of a body it edits.
struct BodyPositions {
    std::optional<std::size_t> count, x, y, interval;
};
struct ParsedBody {
    BodyPositions at;
    int count = 0, x = 0, y = 0, interval = 0;
};
// Reads a body from the start: FD n (count), 04 x y (movement), FE hi lo (the first delay after a
// movement is the interval); any other byte is stepped over. Scans while index < size - 1; a read
// that would pass the end is not taken.
ParsedBody parseBody(std::span<const std::uint8_t> body);

} // namespace fire
} // namespace krm
