#pragma once

#include <cstdint>

namespace krm {

// Bit operations on 32-bit values; the bit number is taken modulo 32.
constexpr bool TestBit(std::uint32_t value, int bit) {
    return (value >> (static_cast<unsigned>(bit) & 31u)) & 1u;
}
constexpr std::uint32_t SetBit(std::uint32_t value, int bit) {
    return value | (1u << (static_cast<unsigned>(bit) & 31u));
}
constexpr std::uint32_t ClearBit(std::uint32_t value, int bit) {
    return value & ~(1u << (static_cast<unsigned>(bit) & 31u));
}

} // namespace krm
