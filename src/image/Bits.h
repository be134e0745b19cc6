#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace krm {

// A 4-byte function code, b0 (the function type) first.
using FunctionCode = std::array<std::uint8_t, 4>;

// The bit field high..low of a byte (bit 7 is the most significant); ReadBits(0xB4, 5, 4) == 3.
constexpr int ReadBits(std::uint8_t byte, int high, int low) {
    const int width = high - low + 1;
    return (byte >> low) & ((1 << width) - 1);
}

// The byte with the field high..low replaced by value (excess bits of value are dropped).
constexpr std::uint8_t WriteBits(std::uint8_t byte, int high, int low, int value) {
    const int width = high - low + 1;
    const int mask = ((1 << width) - 1) << low;
    return static_cast<std::uint8_t>((byte & ~mask) | ((value << low) & mask));
}

// Big-endian 16-bit values inside a section copy or image, `offset` relative to the span.
inline std::uint16_t ReadBE16(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(bytes[offset] << 8 | bytes[offset + 1]);
}
inline void WriteBE16(std::span<std::uint8_t> bytes, std::size_t offset, std::uint16_t value) {
    bytes[offset] = static_cast<std::uint8_t>(value >> 8);
    bytes[offset + 1] = static_cast<std::uint8_t>(value & 0xFF);
}

// The 8 upper-case hex digits of a function code in stored order: 01 01 00 00 gives "01010000".
std::string CodeText(std::span<const std::uint8_t, 4> code);
// The reverse: exactly 8 hex digits (either case) give the four bytes; anything else gives nothing.
std::optional<FunctionCode> ParseCodeText(std::string_view text);

// Two upper-case hex digits per byte, no separator ("FF7F00"); with a separator, between the bytes.
std::string HexBytes(std::span<const std::uint8_t> bytes, std::string_view separator = "");

} // namespace krm
