#include "image/FunctionCode.h"

#include "base/Bits.h"

namespace krm {

namespace {
int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}
} // namespace

std::string codeText(std::span<const std::uint8_t, 4> code) {
    return hexBytes(code);
}

std::optional<FunctionCode> parseCodeText(std::string_view text) {
    if (text.size() != 8) return std::nullopt;
    FunctionCode code{};
    for (std::size_t i = 0; i < 4; ++i) {
        const int high = hexValue(text[2 * i]), low = hexValue(text[2 * i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        code[i] = static_cast<std::uint8_t>(high << 4 | low);
    }
    return code;
}

} // namespace krm
