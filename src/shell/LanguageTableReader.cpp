#include "shell/LanguageTableReader.h"

namespace krm {

namespace {
constexpr char32_t kReplacement = 0xFFFD;

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool isHighSurrogate(char16_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool isLowSurrogate(char16_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

bool isSeparator(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}
} // namespace

std::string utf16LeToUtf8(std::span<const std::uint8_t> bytes) {
    std::string out;
    out.reserve(bytes.size());
    const std::size_t units = bytes.size() / 2;
    auto unit = [&](std::size_t i) { return static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8)); };
    for (std::size_t i = 0; i < units; ++i) {
        char16_t u = unit(i);
        if (isHighSurrogate(u) && i + 1 < units && isLowSurrogate(unit(i + 1))) {
            char16_t low = unit(++i);
            appendUtf8(out, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (low - 0xDC00));
        } else if (isHighSurrogate(u) || isLowSurrogate(u)) {
            appendUtf8(out, kReplacement);
        } else {
            appendUtf8(out, u);
        }
    }
    if (bytes.size() % 2 != 0) appendUtf8(out, kReplacement);
    return out;
}

std::vector<std::string> splitLanguageItems(std::string_view text) {
    std::vector<std::string> items;
    std::size_t i = 0;
    while (true) {
        while (i < text.size() && isSeparator(text[i])) ++i;
        if (i == text.size()) break;
        std::string item;
        if (text[i] == '"') {
            ++i;
            while (i < text.size()) {
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        item += '"';
                        i += 2;
                        continue;
                    }
                    ++i; // closing quote
                    break;
                }
                item += text[i++];
            }
        } else {
            while (i < text.size() && !isSeparator(text[i])) item += text[i++];
        }
        items.push_back(std::move(item));
    }
    return items;
}

IniFile parseLanguageTable(std::span<const std::uint8_t> bytes) {
    // The first two bytes are the byte-order mark FF FE; a table without one loses them all the same.
    std::string text = utf16LeToUtf8(bytes.size() > 2 ? bytes.subspan(2) : std::span<const std::uint8_t>{});
    IniFile ini;
    std::string section;
    bool inSection = false;
    for (const std::string& item : splitLanguageItems(text)) {
        if (item.size() >= 2 && item.front() == '[' && item.back() == ']') {
            section = item.substr(1, item.size() - 2);
            inSection = true;
            continue;
        }
        auto eq = item.find('=');
        if (!inSection || eq == std::string::npos) continue;
        ini.add(section, std::string_view(item).substr(0, eq), std::string_view(item).substr(eq + 1));
    }
    return ini;
}

} // namespace krm
