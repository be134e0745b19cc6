#pragma once

#include "image/Bits.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace krm {

// A function code: four bytes b0..b3 as stored in the image; b0 is the function type. Its text form
// (CodeText / ParseCodeText) is in image/Bits.h.
using CodeBytes = FunctionCode;

// Two upper-case hexadecimal digits of `value` (the low 8 bits are used).
std::string hex2(unsigned value);
// Four upper-case hexadecimal digits of `value` (the low 16 bits are used).
std::string hex4(unsigned value);

// Image offsets of the codes (byte b0).
namespace codes {
inline constexpr int kButtonsPerProfile = 12;
inline constexpr int kProfileCount = 3;
inline constexpr int kComboKeyCount = 9;

// Button k (1..12) of profile p (1..3).
constexpr std::size_t buttonOffset(int profile, int button) {
    return 192 + 49 * static_cast<std::size_t>(profile - 1) + 4 * static_cast<std::size_t>(button - 1);
}
// Combo key n (1..9), inside the vendor section.
constexpr std::size_t comboKeyOffset(int n) {
    return 127 + 4 * static_cast<std::size_t>(n - 1);
}
} // namespace codes

} // namespace krm
