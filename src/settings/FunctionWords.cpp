#include "settings/FunctionWords.h"

#include "base/IniFile.h"
#include "buttons/FunctionCatalogue.h"
#include "buttons/FunctionCodes.h"
#include "buttons/KeyboardTables.h"
#include "fire/FireFields.h"
#include "image/FunctionCode.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace krm {

namespace {

bool sameWords(std::string_view a, std::string_view b) {
    return foldCase(trimmed(a)) == foldCase(trimmed(b));
}

std::vector<std::string_view> split(std::string_view text, char at) {
    std::vector<std::string_view> parts;
    for (;;) {
        const auto cut = text.find(at);
        parts.push_back(trimmed(text.substr(0, cut)));
        if (cut == std::string_view::npos) return parts;
        text.remove_prefix(cut + 1);
    }
}

std::string hexDigits(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

// --- key combinations ---

struct Modifier {
    const char* name;
    std::uint8_t bit;
};
// In the order the key page names them.
constexpr Modifier kModifiers[] = {{"Ctrl", 0x01}, {"Shift", 0x02}, {"Alt", 0x04}, {"Win", 0x08}};

// The key byte a name stands for: the first usage the key tables give that name.
std::optional<std::uint8_t> keyNamed(std::string_view name) {
    for (unsigned u = 1; u <= 0xFF; ++u) {
        const std::string n = keyUsageName(static_cast<std::uint8_t>(u));
        if (!n.empty() && sameWords(n, name)) return static_cast<std::uint8_t>(u);
    }
    return std::nullopt;
}

// "Ctrl+Shift+F5": modifiers first, then up to two keys.
std::optional<CodeBytes> keyCombination(std::string_view text) {
    CodeBytes code{0x02, 0, 0, 0};
    int keys = 0;
    for (std::string_view part : split(text, '+')) {
        const Modifier* m = nullptr;
        for (const Modifier& candidate : kModifiers)
            if (sameWords(candidate.name, part)) m = &candidate;
        if (m && keys == 0 && !(code[1] & m->bit)) {
            code[1] |= m->bit;
            continue;
        }
        const auto key = keyNamed(part);
        if (!key || keys == 2) return std::nullopt;
        code[static_cast<std::size_t>(2 + keys++)] = *key;
    }
    if (code == CodeBytes{0x02, 0, 0, 0}) return std::nullopt;
    return code;
}

std::optional<std::string> keyCombinationWords(const CodeBytes& c) {
    if ((c[1] & 0xF0) != 0 || (c[2] == 0 && c[3] != 0)) return std::nullopt;
    std::string out;
    for (const Modifier& m : kModifiers)
        if (c[1] & m.bit) out += (out.empty() ? "" : "+") + std::string(m.name);
    for (const std::uint8_t key : {c[2], c[3]}) {
        if (key == 0) continue;
        const std::string name = keyUsageName(key);
        if (name.empty()) return std::nullopt;
        out += (out.empty() ? "" : "+") + name;
    }
    if (out.empty()) return std::nullopt;
    return out;
}

// --- names with options ---

bool takesComboMask(const CodeBytes& c) {
    return (c[0] == 0x01 && (c[1] == 0x04 || c[1] == 0x08 || c[1] == 0x10)) ||
           (c[0] == 0x09 && c[1] <= 0x02) || c[0] == 0x0B;
}

bool isSwitchTo(const CodeBytes& c) {
    return c[0] == 0x07 && (c[1] & 0x80) != 0;
}

constexpr struct {
    const char* words;
    std::uint8_t bit;
} kSwitchFlags[] = {{"return to zero", 0x40}, {"adjust XY", 0x20}, {"change colour", 0x10}};

// The number after `prefix` in an option ("combo key 2" → 2), within low..high.
std::optional<int> optionNumber(std::string_view option, std::string_view prefix, int low, int high) {
    if (option.size() <= prefix.size() || !sameWords(option.substr(0, prefix.size()), prefix))
        return std::nullopt;
    return parseDecimalIn(option.substr(prefix.size()), low, high);
}

// "offset 0x18", "offset 18": the 12-bit offset, hexadecimal as the engineering page shows it.
std::optional<int> offsetOption(std::string_view option) {
    constexpr std::string_view kPrefix = "offset ";
    if (option.size() <= kPrefix.size() || !sameWords(option.substr(0, kPrefix.size()), kPrefix))
        return std::nullopt;
    std::string_view hex = trimmed(option.substr(kPrefix.size()));
    if (hex.size() > 2 && hex[0] == '0' && (hex[1] == 'x' || hex[1] == 'X')) hex.remove_prefix(2);
    if (hex.empty() || hex.size() > 3 || !std::all_of(hex.begin(), hex.end(), [](char ch) {
            return std::isxdigit(static_cast<unsigned char>(ch));
        }))
        return std::nullopt;
    return static_cast<int>(std::stoul(std::string(hex), nullptr, 16));
}

// `base` (a catalogue code) changed by the options after its name; why not when one does not fit it.
std::optional<CodeBytes> withOptions(CodeBytes c, const std::vector<std::string_view>& options,
                                     std::string& problem) {
    for (std::string_view o : options) {
        if (const auto n = optionNumber(o, "combo key ", 1, 8); n && takesComboMask(c)) {
            c[3] |= static_cast<std::uint8_t>(1u << (*n - 1));
            continue;
        }
        if (isSwitchTo(c)) {
            bool taken = false;
            for (const auto& f : kSwitchFlags)
                if (sameWords(o, f.words)) c[1] |= f.bit, taken = true;
            if (const auto n = optionNumber(o, "colour ", 1, 10))
                c[2] = static_cast<std::uint8_t>((*n - 1) << 4 | (c[2] & 0x0F)), taken = true;
            if (sameWords(o, "user colour"))
                c[2] = static_cast<std::uint8_t>(0xF0 | (c[2] & 0x0F)), taken = true;
            if (const auto offset = offsetOption(o)) {
                c[2] = static_cast<std::uint8_t>((c[2] & 0xF0) | (*offset >> 8));
                c[3] = static_cast<std::uint8_t>(*offset & 0xFF);
                taken = true;
            }
            if (taken) continue;
        }
        problem =
            "'" + std::string(o) + "' is no option of this function (" +
            (isSwitchTo(c) ? "return to zero, adjust XY, change colour, colour N, user colour, offset 0xHHH"
             : takesComboMask(c) ? "combo key N"
                                 : "it takes none") +
            ")";
        return std::nullopt;
    }
    return c;
}

// A gun by the gun page's name, with its options.
std::optional<CodeBytes> gunWithOptions(int gun, const std::vector<std::string_view>& options,
                                        std::string& problem) {
    bool keepLeft = false;
    int stages = 1;
    std::uint8_t mask = 0;
    const int most = fire::gunMacroCount(gun);
    for (std::string_view o : options) {
        if (sameWords(o, "keep left button")) {
            keepLeft = true;
        } else if (const auto n = optionNumber(o, "combo key ", 1, 8)) {
            mask |= static_cast<std::uint8_t>(1u << (*n - 1));
        } else if (const auto s = parseDecimalIn(o.substr(0, o.find(' ')), 1, most);
                   s && (sameWords(o.substr(o.find(' ') + 1), "stages") ||
                         sameWords(o.substr(o.find(' ') + 1), "stage"))) {
            stages = *s;
        } else {
            problem = "'" + std::string(o) + "' is no option of a gun (keep left button, combo key N, " +
                      (most > 1 ? "1.." + std::to_string(most) + " stages" : "1 stage") + ")";
            return std::nullopt;
        }
    }
    return fire::gunCode(gun, stages, keepLeft, mask);
}

std::optional<int> gunNamed(const Naming& n, std::string_view name) {
    for (int g = 1; g <= fire::kGuns; ++g)
        if (sameWords(n.english->text(gunNames()[static_cast<std::size_t>(g - 1)].nameId), name)) return g;
    return std::nullopt;
}

// The words that may stand for `c` beyond a plain catalogue name; to be checked by reading them back.
std::optional<std::string> wordsFor(const Naming& n, const CodeBytes& c, bool combo) {
    if (c[0] == 0x02) return keyCombinationWords(c);
    std::string head;
    std::vector<std::string> options;
    const auto comboKeys = [&options](std::uint8_t mask) {
        for (int k = 1; k <= 8; ++k)
            if (mask & (1u << (k - 1))) options.push_back("combo key " + std::to_string(k));
    };
    if (c[0] == 0x0B) {
        for (int g = 1; g <= fire::kGuns && head.empty(); ++g)
            for (int stages = 1; stages <= fire::gunMacroCount(g); ++stages)
                if (fire::gunCode(g, stages, (c[1] & 0x10) != 0, c[3]) == c) {
                    head = n.english->text(gunNames()[static_cast<std::size_t>(g - 1)].nameId);
                    if (c[1] & 0x10) options.push_back("keep left button");
                    if (fire::gunMacroCount(g) > 1)
                        options.push_back(std::to_string(stages) + (stages == 1 ? " stage" : " stages"));
                    comboKeys(c[3]);
                }
    } else if (takesComboMask(c) && c[2] == 0) {
        const CodeBytes bare{c[0], c[1], 0, 0};
        for (const CatalogueEntry& e : functionCatalogue())
            if (parseCodeText(functionCodeForTag(e.tag, n.state, combo)) == bare) head = e.englishName;
        comboKeys(c[3]);
    } else if (isSwitchTo(c) && (c[1] & 0x07) <= 2) {
        const std::string_view names[] = {"Office Mode", "Game Mode", "Third Mode"};
        head = names[c[1] & 0x07];
        const auto base = codesNamed(n, head, combo);
        if (base.size() != 1) return std::nullopt;
        const CodeBytes b = *parseCodeText(base.front());
        for (const auto& f : kSwitchFlags)
            if ((c[1] & f.bit) && !(b[1] & f.bit)) options.push_back(f.words);
        if ((c[2] >> 4) != (b[2] >> 4))
            options.push_back((c[2] >> 4) == 0xF ? std::string("user colour")
                                                 : "colour " + std::to_string((c[2] >> 4) + 1));
        if ((c[2] & 0x0F) != (b[2] & 0x0F) || c[3] != b[3])
            options.push_back("offset 0x" + hexDigits(static_cast<unsigned>((c[2] & 0x0F) << 8 | c[3]),
                                                      (c[2] & 0x0F) ? 3 : 2));
    }
    if (head.empty()) return std::nullopt;
    for (const std::string& o : options) head += ", " + o;
    return head;
}

} // namespace

std::vector<std::string> codesNamed(const Naming& n, std::string_view name, bool combo) {
    std::vector<std::string> out;
    for (const CatalogueEntry& e : functionCatalogue()) {
        if (!sameWords(e.englishName, name)) continue;
        std::string code = functionCodeForTag(e.tag, n.state, combo);
        if (std::find(out.begin(), out.end(), code) == out.end()) out.push_back(std::move(code));
    }
    return out;
}

WrittenCode writtenCode(const Naming& n, const std::string& code, bool combo) {
    for (const CatalogueEntry& e : functionCatalogue()) {
        // A name stands for this code only when its own entry builds it: the cheap test first.
        if (functionCodeForTag(e.tag, n.state, combo) != code) continue;
        const auto codes = codesNamed(n, e.englishName, combo);
        if (codes.size() == 1 && codes.front() == code) return {std::string(e.englishName), code, true};
    }
    const auto bytes = parseCodeText(code);
    if (bytes && (*bytes)[0] == 0x10 && (*bytes)[3] == 0) {
        const auto slot = n.macros.slotAt(static_cast<std::uint16_t>((*bytes)[1] << 8 | (*bytes)[2]));
        if (slot && n.macros.find(n.macros.entries()[*slot].name) == slot)
            return {"macro " + macroNameText(n.macros.entries()[*slot].name), code, true};
    }
    if (bytes) {
        std::string why;
        if (const auto words = wordsFor(n, *bytes, combo); words && codeOf(n, *words, combo, why) == code)
            return {*words, code, true};
    }
    EditorState scratch = n.state; // naming ticks continue boxes; the caller's stay as they are
    return {code, functionCodeName(code, *n.english, scratch), false};
}

std::optional<std::string> codeOf(const Naming& n, std::string_view text, bool combo, std::string& problem) {
    text = trimmed(text);
    if (const auto code = parseCodeText(text)) return codeText(*code);
    if (text.size() > 6 && sameWords(text.substr(0, 6), "macro ")) {
        const std::string name(text.substr(6));
        if (const auto slot = n.macros.find(macroNameBytes(name)))
            return codeText(runMacroCode(n.macros.entries()[*slot].startAddress));
        problem = "no macro named '" + name + "' is on the mouse or in [macros]";
        return std::nullopt;
    }
    const auto parts = split(text, ',');
    const std::string_view head = parts.front();
    const std::vector<std::string_view> options(parts.begin() + 1, parts.end());
    const auto codes = codesNamed(n, head, combo);
    if (codes.size() == 1) {
        if (options.empty()) return codes.front();
        if (const auto c = withOptions(*parseCodeText(codes.front()), options, problem)) return codeText(*c);
        return std::nullopt;
    }
    if (codes.size() > 1) {
        problem = "'" + std::string(head) + "' names " + std::to_string(codes.size()) + " functions (";
        for (std::size_t i = 0; i < codes.size(); ++i) problem += (i ? ", " : "") + codes[i];
        problem += "); give the code instead";
        return std::nullopt;
    }
    if (const auto gun = gunNamed(n, head)) {
        if (const auto c = gunWithOptions(*gun, options, problem)) return codeText(*c);
        return std::nullopt;
    }
    if (const auto keys = keyCombination(head); keys && options.empty()) return codeText(*keys);
    problem = std::string(kFunctionForms);
    return std::nullopt;
}

} // namespace krm
