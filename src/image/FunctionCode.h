#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace krm {

// A 4-byte function code as stored in the image, b0 (the function type) first.
using FunctionCode = std::array<std::uint8_t, 4>;
using CodeBytes = FunctionCode;

// The 8 upper-case hex digits of a function code in stored order: 01 01 00 00 gives "01010000".
std::string codeText(std::span<const std::uint8_t, 4> code);
// The reverse: exactly 8 hex digits (either case) give the four bytes; anything else gives nothing.
std::optional<FunctionCode> parseCodeText(std::string_view text);

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
