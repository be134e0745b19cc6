#include "fire/FireFields.h"

#include <algorithm>

namespace krm::fire {

namespace {

// A field's number: optional '-', then digits; a long run of digits saturates instead of failing, so
// that "99999999999" clamps to the field's maximum. Nothing for any other text.
std::optional<long> fieldNumber(std::string_view text) {
    bool negative = false;
    if (!text.empty() && text.front() == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = std::min(value * 10 + (c - '0'), 1'000'000'000L);
    }
    return negative ? -value : value;
}

std::string clampText(std::string_view text, long low, long high, long whenEmpty) {
    const auto n = fieldNumber(text);
    if (!n) return std::to_string(whenEmpty);
    return std::to_string(std::clamp(*n, low, high));
}

} // namespace

std::string repeatWhileTyping(std::string_view text) {
    const auto n = fieldNumber(text);
    if (!n || *n < 0) return std::to_string(kMinRepeat);
    return std::to_string(std::min<long>(*n, kMaxRepeat));
}

std::string repeatOnLeave(std::string_view text) {
    return clampText(text, kMinRepeat, kMaxRepeat, kMinRepeat);
}

std::string userInterval(std::string_view text) {
    return clampText(text, 1, kMaxInterval, 1);
}

std::string engineeringInterval(std::string_view text) {
    if (text.empty()) return {};
    return clampText(text, 0, kMaxInterval, 0);
}

CodeBytes fireKeyCode(int repeat, int interval, bool continueOn) {
    const int count = std::clamp(repeat, kMinRepeat, kMaxRepeat) - 1;
    const int ms = std::clamp(interval, 0, 0xFFFF);
    return {0x06, static_cast<std::uint8_t>((continueOn ? 0x90 : 0x10) + count),
            static_cast<std::uint8_t>(ms >> 8), static_cast<std::uint8_t>(ms & 0xFF)};
}

int gunFirstMacro(int gun) {
    // Gun 6 owns macros 6 and 7 (indices 5, 6); gun 7 owns 8..10 (indices 7..9).
    return gun <= 6 ? std::clamp(gun, 1, 6) - 1 : 7;
}

int gunMacroCount(int gun) {
    return gun == 6 ? 2 : gun == 7 ? 3 : 1;
}

CodeBytes gunCode(int gun, int stages, bool keepLeft, std::uint8_t comboMask) {
    gun = std::clamp(gun, 1, kGuns);
    const int n = std::clamp(stages, 1, gunMacroCount(gun));
    return {0x0B, static_cast<std::uint8_t>((keepLeft ? 0x10 : 0x00) + gunFirstMacro(gun)),
            static_cast<std::uint8_t>(n), comboMask};
}

std::string countField(std::string_view text) {
    return clampText(text, 0, 255, 0);
}

std::string stageIntervalField(std::string_view text) {
    return clampText(text, 0, 0xFFFF, 0);
}

std::string movementField(std::string_view text, int other) {
    if (text == "-") return "-";
    const auto n = fieldNumber(text);
    long value = n ? std::clamp(*n, -128L, 127L) : 0;
    if (value + other >= 128) value = 127 - other;
    if (value + other < -128) value = -128 - other;
    return std::to_string(value);
}

int fieldValue(std::string_view text) {
    const auto n = fieldNumber(text);
    return n ? static_cast<int>(std::clamp(*n, -1'000'000L, 1'000'000L)) : 0;
}

ParsedBody parseBody(std::span<const std::uint8_t> body) {
    ParsedBody out;
    bool moved = false;
    auto signedAt = [&](std::size_t i) { return static_cast<int>(static_cast<std::int8_t>(body[i])); };
    std::size_t i = 0;
    while (body.size() >= 1 && i < body.size() - 1) {
        switch (body[i]) {
        case 0x04:
            if (i + 2 < body.size()) {
                out.x = signedAt(i + 1);
                out.y = signedAt(i + 2);
                out.at.x = i + 1;
                out.at.y = i + 2;
                moved = true;
            }
            i += 3;
            break;
        case 0xFD:
            out.count = body[i + 1];
            out.at.count = i + 1;
            i += 2;
            break;
        case 0xFE:
            if (moved && i + 2 < body.size()) {
                out.interval = body[i + 1] * 256 + body[i + 2];
                out.at.interval = i + 1;
                moved = false;
            }
            i += 3;
            break;
        default:
            ++i;
        }
    }
    return out;
}

} // namespace krm::fire
