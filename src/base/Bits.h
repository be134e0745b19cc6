#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace krm {

// Bit operations on 32-bit values; the bit number is taken modulo 32.
constexpr bool testBit(std::uint32_t value, int bit) {
    return (value >> (static_cast<unsigned>(bit) & 31u)) & 1u;
}
constexpr std::uint32_t setBit(std::uint32_t value, int bit) {
    return value | (1u << (static_cast<unsigned>(bit) & 31u));
}
constexpr std::uint32_t clearBit(std::uint32_t value, int bit) {
    return value & ~(1u << (static_cast<unsigned>(bit) & 31u));
}

// The bit field high..low of a byte (bit 7 is the most significant); readBits(0xB4, 5, 4) == 3.
constexpr int readBits(std::uint8_t byte, int high, int low) {
    const int width = high - low + 1;
    return (byte >> low) & ((1 << width) - 1);
}

// The byte with the field high..low replaced by value (excess bits of value are dropped).
constexpr std::uint8_t writeBits(std::uint8_t byte, int high, int low, int value) {
    const int width = high - low + 1;
    const int mask = ((1 << width) - 1) << low;
    return static_cast<std::uint8_t>((byte & ~mask) | ((value << low) & mask));
}

// Big-endian 16-bit values inside a section copy or image, `offset` relative to the span.
inline std::uint16_t readBe16(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(bytes[offset] << 8 | bytes[offset + 1]);
}
inline void writeBe16(std::span<std::uint8_t> bytes, std::size_t offset, std::uint16_t value) {
    bytes[offset] = static_cast<std::uint8_t>(value >> 8);
    bytes[offset + 1] = static_cast<std::uint8_t>(value & 0xFF);
}

// Two upper-case hex digits per byte, no separator ("FF7F00"); with a separator, between the bytes.
std::string hexBytes(std::span<const std::uint8_t> bytes, std::string_view separator = "");
// Two upper-case hexadecimal digits of `value` (the low 8 bits are used).
std::string hex2(unsigned value);
// Four upper-case hexadecimal digits of `value` (the low 16 bits are used).
std::string hex4(unsigned value);

} // namespace krm
