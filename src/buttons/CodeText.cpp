#include "buttons/CodeText.h"

namespace krm {

namespace {
constexpr char kDigits[] = "0123456789ABCDEF";

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}
} // namespace

std::string hex2(unsigned value) {
    return {kDigits[(value >> 4) & 0xF], kDigits[value & 0xF]};
}

std::string hex4(unsigned value) {
    return hex2(value >> 8) + hex2(value);
}

std::string codeText(const CodeBytes& bytes) {
    std::string text;
    for (auto b : bytes) text += hex2(b);
    return text;
}

std::optional<CodeBytes> parseCodeText(std::string_view text) {
    if (text.size() != 8) return std::nullopt;
    CodeBytes bytes{};
    for (std::size_t i = 0; i < 4; ++i) {
        const int hi = hexValue(text[2 * i]), lo = hexValue(text[2 * i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        bytes[i] = static_cast<std::uint8_t>(hi * 16 + lo);
    }
    return bytes;
}

} // namespace krm
