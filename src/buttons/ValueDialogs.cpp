#include "buttons/ValueDialogs.h"
#include "base/Bits.h"

#include "buttons/KeyboardTables.h"
#include "image/FunctionCode.h"

#include <algorithm>

namespace krm {

namespace {

bool allDigits(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The value of a digit string, saturating at `cap` so that any length converts.
long saturatedValue(std::string_view digits, long cap) {
    long v = 0;
    for (char c : digits) {
        v = v * 10 + (c - '0');
        if (v > cap) return cap;
    }
    return v;
}

std::size_t utf16Length(std::string_view utf8) {
    std::size_t units = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const std::size_t len = c < 0x80           ? 1
                                : (c >> 5) == 0x6  ? 2
                                : (c >> 4) == 0xE  ? 3
                                : (c >> 3) == 0x1E ? 4
                                                   : 1;
        units += len == 4 ? 2 : 1;
        i += len;
    }
    return units;
}

} // namespace

bool macro_name_dialog::accepts(std::string_view utf8Text) {
    return utf16Length(utf8Text) <= kMaxLength;
}

bool KeyDialog::keyDown(unsigned virtualKey) {
    const auto hookKey = virtualKeyToHookKey(virtualKey);
    if (hookKey == kKeyNone) return false;
    text_ = hookKeyName(hookKey);
    keyText_ = text_ + " CODE:" + (pressRow_ ? "82" : "02") + hex2(hookKeyToUsage(hookKey));
    return true;
}

void KeyDialog::clear() {
    text_.clear();
    keyText_.clear();
}

bool delay_dialog::accepts(std::string_view text) {
    return allDigits(text);
}

std::string delay_dialog::normalize(std::string_view text) {
    if (!allDigits(text)) return "1";
    const long v = saturatedValue(text, 65536);
    if (v <= 0) return "1";
    if (v > 65535) return "65535";
    return std::string(text);
}

bool xy_dialog::accepts(std::string_view text) {
    if (!text.empty() && text.front() == '-') text.remove_prefix(1);
    return allDigits(text);
}

std::string xy_dialog::normalize(std::string_view text) {
    if (text == "-") return "-";
    if (text.empty()) return "0";
    const bool negative = text.front() == '-';
    const auto digits = negative ? text.substr(1) : text;
    if (!allDigits(digits)) return "0";
    const long magnitude = saturatedValue(digits, 1000);
    if (!negative && magnitude >= 128) return "127";
    if (negative && magnitude > 128) return "-128";
    return std::string(text);
}

} // namespace krm
