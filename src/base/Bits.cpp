#include "base/Bits.h"

namespace krm {

namespace {
constexpr char kHex[] = "0123456789ABCDEF";
} // namespace

std::string hexBytes(std::span<const std::uint8_t> bytes, std::string_view separator) {
    std::string out;
    out.reserve(bytes.size() * (2 + separator.size()));
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0) out += separator;
        out += kHex[bytes[i] >> 4];
        out += kHex[bytes[i] & 0x0F];
    }
    return out;
}

std::string hex2(unsigned value) {
    return {kHex[(value >> 4) & 0xF], kHex[value & 0xF]};
}

std::string hex4(unsigned value) {
    return hex2(value >> 8) + hex2(value);
}

} // namespace krm
