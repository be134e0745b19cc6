#include "macros/MacroEvents.h"

#include "base/Bits.h"
#include "buttons/KeyboardTables.h"

#include <algorithm>

namespace krm {

namespace {

struct MouseButtonName {
    std::uint8_t pressed;
    const char* name;
};
// Bit 0x08 is the forward button, 0x10 the backward one (the reverse of the function codes' bits).
constexpr std::array<MouseButtonName, 5> kMouseButtons{{
    {0xA1, "LeftKey"},
    {0xA2, "RightKey"},
    {0xA4, "MiddleKey"},
    {0xA8, "Forward"},
    {0xB0, "Backward"},
}};

struct ModifierName {
    std::uint8_t bit;
    const char* name;
};
constexpr std::array<ModifierName, 5> kModifiers{{
    {0x01, "Ctrl"},
    {0x02, "Shift"},
    {0x04, "Alt"},
    {0x08, "Left Windows"},
    {0x80, "Right Windows"},
}};

const char* modifierName(std::uint8_t bit) {
    for (const auto& m : kModifiers)
        if (m.bit == bit) return m.name;
    return nullptr;
}

// Decodes one UTF-8 sequence at `i`; malformed bytes give U+FFFD.
char32_t nextCodePoint(std::string_view s, std::size_t& i) {
    const auto b0 = static_cast<unsigned char>(s[i++]);
    if (b0 < 0x80) return b0;
    int extra = b0 >= 0xF0 ? 3 : b0 >= 0xE0 ? 2 : b0 >= 0xC0 ? 1 : -1;
    if (extra < 0) return 0xFFFD;
    char32_t cp = b0 & (0x3F >> extra);
    for (; extra > 0; --extra) {
        if (i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return 0xFFFD;
        cp = cp << 6 | (static_cast<unsigned char>(s[i++]) & 0x3F);
    }
    return cp > 0x10FFFF ? 0xFFFD : cp;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | cp >> 6);
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | cp >> 12);
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | cp >> 18);
        out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::vector<char16_t> utf16Units(std::string_view utf8) {
    std::vector<char16_t> units;
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t cp = nextCodePoint(utf8, i);
        if (cp >= 0x10000) {
            units.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            units.push_back(static_cast<char16_t>(cp));
        }
    }
    return units;
}

} // namespace

std::optional<std::size_t> macroEventSize(std::uint8_t first) {
    switch (first) {
    case 0x00:
    case 0x21:
    case 0x22:
    case 0x24:
    case 0x28:
    case 0x30:
    case 0xA1:
    case 0xA2:
    case 0xA4:
    case 0xA8:
    case 0xB0:
    case 0xFC:
        return 1;
    case 0x01:
    case 0x02:
    case 0x81:
    case 0x82:
    case 0xFD:
        return 2;
    case 0x04:
    case 0xFE:
        return 3;
    default:
        return std::nullopt;
    }
}

EventScan scanEvents(std::span<const std::uint8_t> bytes) {
    const std::size_t limit = std::min(bytes.size(), macro::kEventBufferSize);
    std::size_t pos = 0;
    while (pos < limit) {
        const auto size = macroEventSize(bytes[pos]);
        if (!size) return {pos + 1, EventScan::End::Unknown};
        if (bytes[pos] == macro::kEnd) return {pos + 1, EventScan::End::Terminator};
        if (pos + *size > limit) break;
        pos += *size;
    }
    return {pos, EventScan::End::Missing};
}

std::vector<std::uint8_t> terminatedEvents(std::span<const std::uint8_t> bytes) {
    const EventScan scan = scanEvents(bytes);
    const std::size_t body = scan.end == EventScan::End::Missing ? scan.length : scan.length - 1;
    std::vector<std::uint8_t> out(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(body));
    // With no room left for the terminator, the last whole events give way to it.
    while (out.size() + 1 > macro::kEventBufferSize) {
        std::size_t pos = 0, last = 0;
        while (pos < out.size()) {
            last = pos;
            pos += macroEventSize(out[pos]).value_or(1);
        }
        out.resize(last);
    }
    out.push_back(macro::kEnd);
    return out;
}

std::size_t utf16Length(std::string_view utf8) {
    return utf16Units(utf8).size();
}

MacroName macroNameBytes(std::string_view utf8) {
    auto units = utf16Units(utf8);
    std::size_t keep = std::min<std::size_t>(units.size(), macro::kNameSize / 2);
    if (keep > 0 && keep < units.size() && units[keep - 1] >= 0xD800 && units[keep - 1] < 0xDC00) --keep;
    MacroName name{};
    for (std::size_t i = 0; i < keep; ++i) {
        name[2 * i] = static_cast<std::uint8_t>(units[i] >> 8);
        name[2 * i + 1] = static_cast<std::uint8_t>(units[i] & 0xFF);
    }
    return name;
}

std::string macroNameText(std::span<const std::uint8_t, macro::kNameSize> bytes) {
    std::string out;
    for (std::size_t i = 0; i < macro::kNameSize / 2; ++i) {
        const auto unit = static_cast<char16_t>(bytes[2 * i] << 8 | bytes[2 * i + 1]);
        if (unit == 0) break;
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < macro::kNameSize / 2) {
            const auto low = static_cast<char16_t>(bytes[2 * i + 2] << 8 | bytes[2 * i + 3]);
            if (low >= 0xDC00 && low < 0xE000) {
                appendUtf8(out, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        appendUtf8(out, unit >= 0xD800 && unit < 0xE000 ? 0xFFFD : unit);
    }
    return out;
}

// --- rows ---

MacroRow MacroRow::keyEvent(std::uint8_t first, std::uint8_t second) {
    MacroRow row;
    row.kind = (first & 0x80) ? Kind::Press : Kind::Release;
    row.code = static_cast<std::uint16_t>(first << 8 | second);
    if ((first & 0x7F) == macro::kModifierUp) {
        const char* name = modifierName(second);
        row.name = name ? name : "";
    } else {
        row.name = keyUsageName(second);
        if (row.name.empty()) row.name = hex2(second);
    }
    return row;
}

MacroRow MacroRow::mouseButton(std::uint8_t event) {
    MacroRow row;
    row.kind = (event & 0x80) ? Kind::Press : Kind::Release;
    row.code = event;
    for (const auto& b : kMouseButtons)
        if ((b.pressed & 0x7F) == (event & 0x7F)) row.name = b.name;
    return row;
}

std::string MacroRow::text() const {
    switch (kind) {
    case Kind::Delay:
        return "0 " + std::to_string(delayMs);
    case Kind::Press:
    case Kind::Release:
        return std::string(kind == Kind::Press ? "1 " : "2 ") + name + " CODE:" + hex4(code);
    case Kind::Move:
        return "3 04" + hex2(static_cast<std::uint8_t>(x)) + hex2(static_cast<std::uint8_t>(y));
    }
    return {};
}

std::string MacroRow::caption() const {
    switch (kind) {
    case Kind::Delay:
        return std::to_string(delayMs) + " ms";
    case Kind::Press:
    case Kind::Release:
        return name;
    case Kind::Move:
        return "X: " + std::to_string(x) + "  Y: " + std::to_string(y);
    }
    return {};
}

void MacroRow::appendBytes(std::vector<std::uint8_t>& out) const {
    switch (kind) {
    case Kind::Delay:
        out.push_back(macro::kDelay);
        out.push_back(static_cast<std::uint8_t>(delayMs >> 8));
        out.push_back(static_cast<std::uint8_t>(delayMs & 0xFF));
        break;
    case Kind::Press:
    case Kind::Release:
        if (code >> 8) out.push_back(static_cast<std::uint8_t>(code >> 8));
        out.push_back(static_cast<std::uint8_t>(code & 0xFF));
        break;
    case Kind::Move:
        out.push_back(macro::kMove);
        out.push_back(static_cast<std::uint8_t>(x));
        out.push_back(static_cast<std::uint8_t>(y));
        break;
    }
}

MacroRows buildMacroRows(std::span<const std::uint8_t> events) {
    MacroRows out;
    std::vector<std::uint16_t> delays;
    const std::size_t limit = std::min(events.size(), macro::kEventBufferSize);
    for (std::size_t pos = 0; pos < limit;) {
        const std::uint8_t b = events[pos];
        const auto size = macroEventSize(b);
        if (!size || b == macro::kEnd || pos + *size > limit) break;
        switch (*size) {
        case 1:
            if (b != macro::kRepeatEnd) out.rows.push_back(MacroRow::mouseButton(b));
            break;
        case 2:
            if (b == macro::kRepeatStart) {
                const std::uint8_t n = events[pos + 1];
                out.repeat = n == 0 ? RepeatOption{RepeatOption::Kind::UntilReleased, 1}
                                    : RepeatOption{RepeatOption::Kind::Cycles, n};
            } else if ((b & 0x7F) == macro::kKeyUp || modifierName(events[pos + 1])) {
                out.rows.push_back(MacroRow::keyEvent(b, events[pos + 1]));
            }
            break;
        default:
            if (b == macro::kDelay) {
                const auto ms = static_cast<std::uint16_t>(events[pos + 1] << 8 | events[pos + 2]);
                out.rows.push_back(MacroRow::delay(ms));
                if (delays.size() < 4) delays.push_back(ms);
            } else {
                out.rows.push_back(MacroRow::move(static_cast<std::int8_t>(events[pos + 1]),
                                                  static_cast<std::int8_t>(events[pos + 2])));
            }
            break;
        }
        pos += *size;
    }
    const bool anyDelay = std::any_of(delays.begin(), delays.end(), [](auto d) { return d != 0; });
    if (anyDelay && std::all_of(delays.begin(), delays.end(), [&](auto d) { return d == delays.front(); })) {
        out.delayMode = DelayMode::Fixed;
        out.fixedDelay = delays.front();
    } else if (anyDelay) {
        out.delayMode = DelayMode::Recorded;
    }
    return out;
}

std::optional<std::vector<std::uint8_t>> compileMacroRows(std::span<const MacroRow> rows,
                                                          RepeatOption repeat) {
    std::vector<std::uint8_t> out;
    if (repeat.kind != RepeatOption::Kind::None) {
        out.push_back(macro::kRepeatStart);
        out.push_back(repeat.count());
    }
    for (const MacroRow& row : rows) row.appendBytes(out);
    if (repeat.kind != RepeatOption::Kind::None) out.push_back(macro::kRepeatEnd);
    out.push_back(macro::kEnd);
    if (out.size() > macro::kEventBufferSize) return std::nullopt;
    return out;
}

std::optional<std::vector<std::uint8_t>> applyRepeatOption(std::span<const std::uint8_t> events,
                                                           RepeatOption repeat) {
    std::vector<std::uint8_t> out = terminatedEvents(events);
    if (repeat.kind == RepeatOption::Kind::None) return out;
    if (out.size() >= 2 && out[0] == macro::kRepeatStart) {
        out[1] = repeat.count();
        return out;
    }
    out.pop_back();
    out.insert(out.begin(), {macro::kRepeatStart, repeat.count()});
    out.push_back(macro::kRepeatEnd);
    out.push_back(macro::kEnd);
    if (out.size() > macro::kEventBufferSize) return std::nullopt;
    return out;
}

std::optional<std::vector<std::size_t>> rowsDeletedWith(std::span<const MacroRow> rows, std::size_t index) {
    if (index >= rows.size()) return std::nullopt;
    const MacroRow& row = rows[index];
    if (row.kind == MacroRow::Kind::Delay || row.kind == MacroRow::Kind::Move)
        return std::vector<std::size_t>{index};
    // Partners share the name and the event kind (a key with a key, a modifier with a modifier).
    auto partner = [&](const MacroRow& other, MacroRow::Kind kind) {
        return other.kind == kind && other.name == row.name && other.isModifier() == row.isModifier() &&
               ((other.code >> 8) == 0) == ((row.code >> 8) == 0);
    };
    if (row.kind == MacroRow::Kind::Press) {
        for (std::size_t i = index + 1; i < rows.size(); ++i)
            if (partner(rows[i], MacroRow::Kind::Release)) return std::vector<std::size_t>{index, i};
    } else {
        for (std::size_t i = index; i-- > 0;)
            if (partner(rows[i], MacroRow::Kind::Press)) return std::vector<std::size_t>{i, index};
    }
    return std::nullopt;
}

std::string macroHex(std::span<const std::uint8_t> bytes) {
    return hexBytes(bytes);
}

} // namespace krm
