#include "base/PrintableText.h"

#include <cstdint>
#include <cstdio>
#include <optional>

namespace krm {

namespace {

struct Decoded {
    char32_t code = 0;
    std::size_t length = 0;
};

// The UTF-8 sequence at the start of `text`: nothing when its first byte starts none (a stray
// continuation byte, a cut or overlong sequence, a surrogate, beyond U+10FFFF).
std::optional<Decoded> decode(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const std::uint8_t lead = byte(0);
    std::size_t length = 0;
    char32_t code = 0, least = 0;
    if (lead < 0x80) return Decoded{lead, 1};
    if ((lead & 0xE0) == 0xC0) {
        length = 2, code = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, code = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, code = lead & 0x07, least = 0x10000;
    } else {
        return std::nullopt;
    }
    if (text.size() < length) return std::nullopt;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return std::nullopt;
        code = code << 6 | (byte(i) & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return std::nullopt;
    return Decoded{code, length};
}

// Characters that change how a terminal or a text view shows what follows them.
bool acts(char32_t c) {
    return (c >= 0x80 && c <= 0x9F) ||     // C1 controls (0x9B starts an escape sequence)
           c == 0x061C || c == 0x200E ||   // Arabic letter mark, left-to-right mark
           c == 0x200F ||                  // right-to-left mark
           (c >= 0x2028 && c <= 0x202E) || // line and paragraph separators, embeddings, overrides
           (c >= 0x2066 && c <= 0x2069) || // isolates
           c == 0xFEFF;                    // byte-order mark
}

std::string escaped(std::string_view text, bool keepLineBreaks) {
    std::string out;
    out.reserve(text.size());
    char hex[16];
    while (!text.empty()) {
        const char c = text.front();
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F) {
            out += c;
            text.remove_prefix(1);
            continue;
        }
        if (keepLineBreaks && (c == '\n' || c == '\t')) {
            out += c;
            text.remove_prefix(1);
            continue;
        }
        if (c == '\n' || c == '\t' || c == '\r') {
            out += c == '\n' ? "\\n" : c == '\t' ? "\\t" : "\\r";
            text.remove_prefix(1);
            continue;
        }
        const auto d = u >= 0x80 ? decode(text) : std::nullopt;
        if (!d) {
            std::snprintf(hex, sizeof hex, "\\x%02X", u);
            out += hex;
            text.remove_prefix(1);
            continue;
        }
        if (acts(d->code)) {
            std::snprintf(hex, sizeof hex, "\\u%04X", static_cast<unsigned>(d->code));
            out += hex;
        } else {
            out.append(text.substr(0, d->length));
        }
        text.remove_prefix(d->length);
    }
    return out;
}

} // namespace

std::string printable(std::string_view text) {
    return escaped(text, false);
}

std::string printableMessage(std::string_view text) {
    return escaped(text, true);
}

std::string_view withoutByteOrderMark(std::string_view text) {
    if (text.starts_with(kUtf8ByteOrderMark)) text.remove_prefix(kUtf8ByteOrderMark.size());
    return text;
}

} // namespace krm
