#include "settings/SettingsText.h"

#include "base/IniFile.h"
#include "base/PrintableText.h"
#include "buttons/FunctionCatalogue.h"
#include "buttons/KeyboardTables.h"
#include "fire/FireFields.h"
#include "image/FunctionCode.h"
#include "image/ImageFields.h"
#include "image/SectionDefaults.h"
#include "settings/FunctionWords.h"
#include "shell/LanguageTables.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>

namespace krm {

namespace settings {
std::string profileSection(int profile) {
    return "profile." + std::to_string(profile);
}
} // namespace settings

namespace {

// What a key's value must look like.
enum class ValueKind {
    Variant,    // R210B, R230B
    Profile,    // 1..3
    Level,      // 1..8
    DpiValue,   // "200" .. "6400"
    Colour,     // #rrggbb
    Rate,       // 125, 250, 500, 1000
    Function,   // a function name, "macro NAME" or 8 hex digits
    LedType,    // RGB, Sync, NT, MCULED
    Mode,       // a lighting mode's name or number (judged against the mouse)
    Speed,      // 1..10 (MCU LEDs 1..8, judged against the mouse)
    Brightness, // full, half
    Repeat,     // a fire-key slot's repeat, fire::kMinRepeat..kMaxRepeat
    Interval,   // 0..65535 ms
    YesNo,      // yes, no
    Shots,      // 0..255
    Movement,   // -128..127
};

struct KnownKey {
    std::string section;
    std::string key;
    ValueKind kind;
};

// Every key a settings file may hold, in the order export writes them.
const std::vector<KnownKey>& keyTable() {
    static const std::vector<KnownKey> kTable = [] {
        std::vector<KnownKey> t;
        const std::string mouse(settings::kMouse);
        t.push_back({mouse, "variant", ValueKind::Variant});
        t.push_back({mouse, "profile", ValueKind::Profile});
        const std::string perf(settings::kPerformance);
        t.push_back({perf, "levels", ValueKind::Level});
        t.push_back({perf, "current-level", ValueKind::Level});
        for (int n = 1; n <= 8; ++n) {
            t.push_back({perf, "level" + std::to_string(n), ValueKind::DpiValue});
            t.push_back({perf, "level" + std::to_string(n) + "-colour", ValueKind::Colour});
        }
        t.push_back({perf, "report-rate", ValueKind::Rate});
        t.push_back({perf, "sniper", ValueKind::DpiValue});
        for (int p = 1; p <= codes::kProfileCount; ++p)
            for (int k = 1; k <= codes::kButtonsPerProfile; ++k)
                t.push_back({settings::profileSection(p), "button" + std::to_string(k), ValueKind::Function});
        for (int n = 1; n <= codes::kComboKeyCount; ++n)
            t.push_back({std::string(settings::kComboKeys), "key" + std::to_string(n), ValueKind::Function});
        const std::string light(settings::kLighting);
        t.push_back({light, "type", ValueKind::LedType});
        t.push_back({light, "mode", ValueKind::Mode});
        t.push_back({light, "speed", ValueKind::Speed});
        t.push_back({light, "brightness", ValueKind::Brightness});
        for (int n = 1; n <= 10; ++n) t.push_back({light, "colour" + std::to_string(n), ValueKind::Colour});
        const std::string fire(settings::kFire);
        for (int k = 1; k <= 3; ++k) {
            const std::string slot = "slot" + std::to_string(k);
            t.push_back({fire, slot + "-repeat", ValueKind::Repeat});
            t.push_back({fire, slot + "-interval", ValueKind::Interval});
            t.push_back({fire, slot + "-continue", ValueKind::YesNo});
        }
        for (int m = 1; m <= 10; ++m) {
            const std::string macro = "fire-macro" + std::to_string(m);
            t.push_back({fire, macro + "-shots", ValueKind::Shots});
            t.push_back({fire, macro + "-x", ValueKind::Movement});
            t.push_back({fire, macro + "-x-offset", ValueKind::Movement});
            t.push_back({fire, macro + "-y", ValueKind::Movement});
            t.push_back({fire, macro + "-y-offset", ValueKind::Movement});
            t.push_back({fire, macro + "-interval", ValueKind::Interval});
        }
        return t;
    }();
    return kTable;
}

const KnownKey* findKey(std::string_view section, std::string_view key) {
    for (const KnownKey& k : keyTable())
        if (k.section == section && k.key == key) return &k;
    return nullptr;
}

bool knownSection(std::string_view name) {
    if (name == settings::kMacros) return true;
    return std::any_of(keyTable().begin(), keyTable().end(),
                       [&](const KnownKey& k) { return k.section == name; });
}

bool sameWord(std::string_view a, std::string_view b) {
    return foldCase(a) == foldCase(b);
}

// Where a comment starts in an entry's value: a ';' that starts it or follows a blank, or a '#' that
// follows a blank (a '#' at the start is a colour's). npos when there is none.
std::size_t commentIn(std::string_view raw) {
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const bool afterBlank = i > 0 && std::isspace(static_cast<unsigned char>(raw[i - 1]));
        if ((raw[i] == ';' && (i == 0 || afterBlank)) || (raw[i] == '#' && afterBlank)) return i;
    }
    return std::string_view::npos;
}

// The value of an entry: a quoted value up to its closing quote, otherwise the text up to a comment.
// Nothing when a quote is not closed or text other than a comment follows it.
std::optional<std::string> valueOf(std::string_view raw) {
    if (raw.starts_with('"')) {
        std::string out;
        std::size_t i = 1;
        for (;; ++i) {
            if (i >= raw.size()) return std::nullopt;
            if (raw[i] != '"') {
                out += raw[i];
            } else if (i + 1 < raw.size() && raw[i + 1] == '"') {
                out += '"';
                ++i;
            } else {
                break;
            }
        }
        const std::string_view rest = trimmed(raw.substr(i + 1));
        if (!rest.empty() && rest.front() != ';' && rest.front() != '#') return std::nullopt;
        return out;
    }
    const std::size_t comment = commentIn(raw);
    return std::string(trimmed(raw.substr(0, comment == std::string_view::npos ? raw.size() : comment)));
}

// A value as export writes it: in quotes when it would not read back as it is.
std::string quotedIfNeeded(const std::string& text) {
    const bool plain = !text.empty() && !std::isspace(static_cast<unsigned char>(text.front())) &&
                       !std::isspace(static_cast<unsigned char>(text.back())) && text.front() != '"' &&
                       commentIn(text) == std::string::npos;
    if (plain) return text;
    std::string out = "\"";
    for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

std::string dpiValueList() {
    std::string out;
    for (int s = 0; s < 12; ++s) out += (s ? ", " : "") + std::string(dpiStepText(s));
    return out;
}

// Function words as any mouse reads them: the form is all that counts before the mouse is asked.
const Naming& anyMouse() {
    static const LanguageTables kEnglish = [] {
        LanguageTables t;
        t.setLanguage(1);
        return t;
    }();
    static const Naming kNaming{EditorState{}, DeviceMacroTable{}, &kEnglish};
    return kNaming;
}

// The canonical text of a value of `kind`, or the message that says what it should be.
struct Checked {
    std::optional<std::string> text;
    std::string problem;
};

Checked checkRange(std::string_view v, int low, int high, const char* what) {
    if (const auto n = settingNumber(v, low, high)) return {std::to_string(*n), {}};
    return {std::nullopt, std::string(what) + " " + std::to_string(low) + ".." + std::to_string(high)};
}

Checked checkValue(ValueKind kind, std::string_view v) {
    switch (kind) {
    case ValueKind::Variant:
        for (Variant variant : {Variant::R210B, Variant::R230B})
            if (sameWord(variantName(variant), v)) return {std::string(variantName(variant)), {}};
        return {std::nullopt, "a chip variant: R210B or R230B"};
    case ValueKind::Profile:
        return checkRange(v, 1, 3, "a profile");
    case ValueKind::Level:
        return checkRange(v, 1, 8, "a level");
    case ValueKind::DpiValue:
        if (const auto step = dpiStepOf(v)) return {std::string(dpiStepText(*step)), {}};
        return {std::nullopt, "a DPI value: one of " + dpiValueList()};
    case ValueKind::Colour:
        if (const auto c = parseRgbText(v)) return {rgbText(*c), {}};
        return {std::nullopt, "a colour #rrggbb"};
    case ValueKind::Rate:
        if (const auto hz = settingNumber(v, 125, 1000);
            hz && (*hz == 125 || *hz == 250 || *hz == 500 || *hz == 1000))
            return {std::to_string(*hz), {}};
        return {std::nullopt, "a report rate: 125, 250, 500 or 1000"};
    case ValueKind::Function: {
        // The form is judged here; what a name builds, and whether its macro is there, against the mouse.
        if (const auto code = parseCodeText(v)) return {codeText(*code), {}};
        if (v.size() > 6 && sameWord(v.substr(0, 6), "macro "))
            return {"macro " + std::string(v.substr(6)), {}};
        for (const CatalogueEntry& e : functionCatalogue())
            if (sameWord(e.englishName, v)) return {std::string(e.englishName), {}};
        std::string why;
        if (codeOf(anyMouse(), v, false, why) || codeOf(anyMouse(), v, true, why))
            return {std::string(v), {}};
        return {std::nullopt, why == kFunctionForms ? why : "a function here: " + why};
    }
    case ValueKind::LedType:
        for (LedType t : {LedType::RGB, LedType::Sync, LedType::NT, LedType::MCULED})
            if (sameWord(ledTypeText(t), v)) return {std::string(ledTypeText(t)), {}};
        return {std::nullopt, "an LED type: RGB, Sync, NT or MCULED"};
    case ValueKind::Mode:
        if (!v.empty()) return {std::string(v), {}};
        return {std::nullopt, "a lighting mode's name or number"};
    case ValueKind::Speed:
        return checkRange(v, 1, 10, "a speed");
    case ValueKind::Brightness:
        for (const char* b : {"full", "half"})
            if (sameWord(v, b)) return {b, {}};
        return {std::nullopt, "full or half"};
    case ValueKind::Repeat:
        return checkRange(v, fire::kMinRepeat, fire::kMaxRepeat, "a repeat count");
    case ValueKind::Interval:
        return checkRange(v, 0, 65535, "an interval in ms,");
    case ValueKind::YesNo:
        for (const char* b : {"yes", "no"})
            if (sameWord(v, b)) return {b, {}};
        return {std::nullopt, "yes or no"};
    case ValueKind::Shots:
        return checkRange(v, 0, 255, "a shot count");
    case ValueKind::Movement:
        return checkRange(v, -128, 127, "a movement");
    }
    return {};
}

// The press events a row may name, by their names in lower case: every named key, the modifiers and
// the mouse buttons. A name that two events share ("Win") names none of them alone.
const std::map<std::string, std::vector<std::uint16_t>>& pressesByName() {
    static const std::map<std::string, std::vector<std::uint16_t>> kByName = [] {
        std::map<std::string, std::vector<std::uint16_t>> m;
        const auto add = [&m](const MacroRow& row) {
            if (!row.name.empty()) m[foldCase(row.name)].push_back(row.code);
        };
        for (unsigned key = 1; key <= 0xFF; ++key)
            if (!keyUsageName(static_cast<std::uint8_t>(key)).empty())
                add(MacroRow::keyEvent(macro::kKeyDown, static_cast<std::uint8_t>(key)));
        for (unsigned bit = 1; bit <= 0x80; bit <<= 1)
            add(MacroRow::keyEvent(macro::kModifierDown, static_cast<std::uint8_t>(bit)));
        for (std::uint8_t button : {0xA1, 0xA2, 0xA4, 0xA8, 0xB0}) add(MacroRow::mouseButton(button));
        return m;
    }();
    return kByName;
}

// The press event a name stands for alone.
std::optional<std::uint16_t> pressNamed(std::string_view name) {
    const auto it = pressesByName().find(foldCase(trimmed(name)));
    if (it == pressesByName().end() || it->second.size() != 1) return std::nullopt;
    return it->second.front();
}

// A press or release row by its event bytes.
MacroRow eventRow(std::uint16_t code) {
    return (code >> 8) == 0
               ? MacroRow::mouseButton(static_cast<std::uint8_t>(code))
               : MacroRow::keyEvent(static_cast<std::uint8_t>(code >> 8), static_cast<std::uint8_t>(code));
}

// A row in words: "delay 20", "press Left Ctrl", "release A", "move -3 5"; a key whose name does not
// tell it from another keeps its event bytes ("press Win CODE:82E7").
std::string rowWords(const MacroRow& row) {
    switch (row.kind) {
    case MacroRow::Kind::Delay:
        return "delay " + std::to_string(row.delayMs);
    case MacroRow::Kind::Move:
        return "move " + std::to_string(row.x) + " " + std::to_string(row.y);
    case MacroRow::Kind::Press:
    case MacroRow::Kind::Release: {
        const bool press = row.kind == MacroRow::Kind::Press;
        const std::uint16_t pressCode = (row.code >> 8) == 0 ? static_cast<std::uint16_t>(row.code | 0x80)
                                                             : static_cast<std::uint16_t>(row.code | 0x8000);
        std::string out = std::string(press ? "press " : "release ") + row.name;
        if (pressNamed(row.name) != pressCode) {
            char code[8];
            std::snprintf(code, sizeof code, "%04X", static_cast<unsigned>(row.code));
            out += std::string(" CODE:") + code;
        }
        return out;
    }
    }
    return {};
}

// "1 A CODE:8204" and its kin, as MacroRow::text() writes them and the macro page shows them, or the
// words rowWords() writes.
std::optional<MacroRow> parseRow(std::string_view text, std::string& problem) {
    text = trimmed(text);
    const auto word = [&text](std::string_view w) {
        return text.size() > w.size() && sameWord(text.substr(0, w.size()), w) &&
               std::isspace(static_cast<unsigned char>(text[w.size()]));
    };
    if (word("delay")) {
        std::string_view ms = trimmed(text.substr(5));
        if (ms.size() > 2 && sameWord(ms.substr(ms.size() - 2), "ms"))
            ms = trimmed(ms.substr(0, ms.size() - 2));
        if (const auto n = settingNumber(ms, 0, macro::kMaxDelayMs))
            return MacroRow::delay(static_cast<std::uint16_t>(*n));
        problem = "a delay row is \"delay MS\" with MS 0..65535";
        return std::nullopt;
    }
    if (word("move")) {
        const std::string_view xy = trimmed(text.substr(4));
        const auto blank = xy.find_first_of(" \t");
        const auto x =
            blank == std::string_view::npos ? std::nullopt : settingNumber(xy.substr(0, blank), -128, 127);
        const auto y =
            blank == std::string_view::npos ? std::nullopt : settingNumber(xy.substr(blank), -128, 127);
        if (x && y) return MacroRow::move(*x, *y);
        problem = "a move row is \"move X Y\" with X and Y -128..127";
        return std::nullopt;
    }
    if ((word("press") || word("release")) && text.find(" CODE:") == std::string_view::npos) {
        const bool press = word("press");
        const std::string_view name = trimmed(text.substr(press ? 5 : 7));
        const auto code = pressNamed(name);
        if (!code) {
            const auto it = pressesByName().find(foldCase(name));
            problem = it == pressesByName().end()
                          ? "no key, modifier or mouse button is named '" + std::string(name) + "'"
                          : "'" + std::string(name) + "' names " + std::to_string(it->second.size()) +
                                " keys: add the one meant as CODE:HHHH";
            return std::nullopt;
        }
        return eventRow(press               ? *code
                        : (*code >> 8) == 0 ? static_cast<std::uint16_t>(*code & 0x7F)
                                            : static_cast<std::uint16_t>(*code & 0x7FFF));
    }
    // "press NAME CODE:HHHH" reads as the macro page's "1 NAME CODE:HHHH".
    std::string numbered;
    if (word("press") || word("release")) {
        numbered = (word("press") ? "1 " : "2 ") + std::string(trimmed(text.substr(word("press") ? 5 : 7)));
        text = numbered;
    }
    const auto hexValue = [](std::string_view h) -> std::optional<unsigned> {
        if (h.empty() || !std::all_of(h.begin(), h.end(), [](char c) {
                return std::isxdigit(static_cast<unsigned char>(c)) != 0;
            }))
            return std::nullopt;
        return static_cast<unsigned>(std::stoul(std::string(h), nullptr, 16));
    };
    if (text.starts_with("0 ")) {
        if (const auto ms = settingNumber(text.substr(2), 0, macro::kMaxDelayMs))
            return MacroRow::delay(static_cast<std::uint16_t>(*ms));
        problem = "a delay row is \"0 MS\" with MS 0..65535";
        return std::nullopt;
    }
    if (text.starts_with("3 ")) {
        const std::string_view move = trimmed(text.substr(2));
        const auto v = move.size() == 6 && move.starts_with("04") ? hexValue(move) : std::nullopt;
        if (v)
            return MacroRow::move(static_cast<std::int8_t>(*v >> 8 & 0xFF),
                                  static_cast<std::int8_t>(*v & 0xFF));
        problem = "a move row is \"3 04XXYY\" (X and Y signed hex bytes)";
        return std::nullopt;
    }
    if (text.starts_with("1 ") || text.starts_with("2 ")) {
        const bool press = text.front() == '1';
        const auto at = text.rfind(" CODE:");
        const auto code = at == std::string_view::npos ? std::nullopt : hexValue(text.substr(at + 6));
        if (!code || text.size() - (at + 6) != 4) {
            problem = "a key row is \"1 NAME CODE:HHHH\" (pressed) or \"2 NAME CODE:HHHH\" (released)";
            return std::nullopt;
        }
        const std::string_view name = trimmed(text.substr(2, at - 2));
        const auto first = static_cast<std::uint8_t>(*code >> 8),
                   second = static_cast<std::uint8_t>(*code & 0xFF);
        std::optional<MacroRow> row;
        if (first == 0 && macroEventSize(second) == 1 && second != macro::kEnd && second != macro::kRepeatEnd)
            row = MacroRow::mouseButton(second);
        else if ((first & 0x7F) == macro::kKeyUp)
            row = MacroRow::keyEvent(first, second);
        else if ((first & 0x7F) == macro::kModifierUp && MacroRow::keyEvent(first, second).name != "")
            row = MacroRow::keyEvent(first, second);
        if (!row) {
            problem =
                "CODE:" + std::string(text.substr(at + 6)) + " is no key, modifier or mouse button event";
            return std::nullopt;
        }
        if ((row->kind == MacroRow::Kind::Press) != press) {
            problem = "CODE:" + std::string(text.substr(at + 6)) + (press ? " is a release" : " is a press") +
                      ", not a " + (press ? "press (row 1)" : "release (row 2)");
            return std::nullopt;
        }
        if (!sameWord(row->name, name)) {
            problem = "CODE:" + std::string(text.substr(at + 6)) + " is " + row->name + ", not " +
                      std::string(name);
            return std::nullopt;
        }
        return row;
    }
    problem = "a row is \"press KEY\", \"release KEY\", \"delay MS\" or \"move X Y\"";
    return std::nullopt;
}

// Section comments: what the values of a section are, their ranges and what they do.
const std::map<std::string, std::vector<std::string>>& sectionNotes() {
    static const std::map<std::string, std::vector<std::string>> kNotes = {
        {std::string(settings::kMouse),
         {"variant: the chip of the mouse this file was exported from; a file for the other chip is",
          "refused before anything is sent. profile: the current profile (1 Office Mode, 2 Game Mode,",
          "3 Third Mode), made current last, as the window's profile buttons do"}},
        {std::string(settings::kPerformance),
         {"levels: how many DPI levels are on (1..8); current-level: the one in use, a level that is on;",
          "level1..level8: the DPI of each level that is on, one of", dpiValueList() + ";",
          "level1-colour..level8-colour: #rrggbb; report-rate: 125, 250, 500 or 1000 Hz (the mouse",
          "restarts when it changes); sniper: the DPI every AIM Key button drops to, one of the above"}},
        {std::string(settings::kComboKeys),
         {"the nine combo keys, in the words of the buttons (a button takes part in combo key N by",
          "its option \"combo key N\")"}},
        {std::string(settings::kLighting),
         {"type is the mouse's own LED type (a file for another type is refused); mode by name or number;",
          "speed 1..10 (MCU LEDs: 1..8, with brightness full or half); the colour table, colour1..colour10"}},
        {std::string(settings::kMacros),
         {"the mouse's macros in slot order. This list replaces them: a macro left out is deleted, and an",
          "empty [macros] deletes every macro (without the section they stay as they are). Each is",
          "\"macro = NAME\" (up to 8 characters), \"repeat = N\" (1..254) or \"until-released\" when it",
          "repeats, then its rows in order: \"press KEY\", \"release KEY\", \"delay MS\", \"move X Y\"",
          "(KEY as the macro page names it: A, 5, F5, Left Ctrl, Space bar, Shift, LeftKey, Backward ...)"}},
        {std::string(settings::kFire),
         {"fire-key slots 1..3: -repeat shots per press (1..16), -interval ms between them, -continue yes",
          "to fire for as long as the button is held. The gun presets' fire macros: -shots per run (0: for",
          "as long as the button is held), -x and -y the move per shot with their -offset (together",
          "-128..127), -interval ms; a fire macro's LED colour is the [lighting] colour of its number"}},
    };
    return kNotes;
}

std::vector<std::string> profileNotes(int profile) {
    const char* const modes[] = {"Office Mode", "Game Mode: the only profile whose buttons fire guns",
                                 "Third Mode"};
    std::vector<std::string> notes = {"profile " + std::to_string(profile) + ", " +
                                      modes[std::clamp(profile, 1, 3) - 1]};
    if (profile != 1) {
        notes.back() += "; values as in [profile.1]";
        return notes;
    }
    notes.insert(
        notes.end(),
        {"button1..button12: what each button does; the comment names it by what it does from the",
         "factory. A value is a function as `krmctl functions` names it, with options after",
         "commas (\"combo key N\"; for guns \"keep left button\", \"N stages\"; for profile switches",
         "\"return to zero\", \"adjust XY\", \"change colour\", \"colour N\", \"user colour\",",
         "\"offset 0xHH\"), a gun (M4 Fire), a key combination (Ctrl+Shift+F5), \"macro NAME\", or",
         "the 8-hex-digit code where no words rebuild it"});
    return notes;
}

class Reader {
public:
    explicit Reader(SettingsFile& out) : out_(out) {}

    void read(std::string_view text) {
        const std::vector<IniLine> lines = iniLines(text);
        for (const IniLine& line : lines) {
            switch (line.kind) {
            case IniLine::Kind::Section:
                section(line);
                break;
            case IniLine::Kind::Entry:
                entry(line);
                break;
            case IniLine::Kind::Other:
                problem(line.number,
                        "'" + std::string(line.text) + "' is neither a [section] nor a key = value");
                break;
            }
        }
        // A file cut short (a copy that stopped, a full disk) most often ends inside its last line: a value
        // may have lost digits that no rule can miss ("6" from "60").
        const std::size_t lastBreak = text.find_last_of("\r\n");
        const std::string_view lastLine =
            lastBreak == std::string_view::npos ? text : text.substr(lastBreak + 1);
        if (!lines.empty() && lines.back().kind == IniLine::Kind::Entry && !trimmed(lastLine).empty() &&
            lines.back().text.data() >= lastLine.data())
            out_.warnings.push_back(
                {lines.back().number,
                 printable("the file ends inside this line, with no line end after '" +
                           std::string(lines.back().text) +
                           "': if the file was cut short there, its value is not whole")});
    }

private:
    // Messages quote the file: whatever in it a terminal would act on is escaped.
    void problem(int line, const std::string& message) {
        out_.problems.push_back({line, printable(message)});
    }

    void section(const IniLine& line) {
        section_ = foldCase(line.name);
        skipping_ = true;
        if (!line.closed)
            return problem(line.number, "the section name '" + std::string(line.name) + "' lacks its ']'");
        if (!knownSection(section_))
            return problem(line.number,
                           "unknown section [" + std::string(line.name) +
                               "] (sections: mouse, performance, profile.1, profile.2, profile.3, "
                               "combo-keys, lighting, macros, fire)");
        if (const auto it = sectionLines_.find(section_); it != sectionLines_.end())
            return problem(line.number, "[" + section_ + "] appears twice (first on line " +
                                            std::to_string(it->second) + ")");
        sectionLines_[section_] = line.number;
        skipping_ = false;
        if (section_ == settings::kMacros) {
            out_.macros.emplace();
            out_.macrosLine = line.number;
        }
    }

    void entry(const IniLine& line) {
        if (section_.empty()) return problem(line.number, "a setting before the first [section]");
        if (skipping_) return; // the section's own line said what is wrong with it
        const std::string key = foldCase(line.key);
        const auto value = valueOf(line.value);
        if (!value) return problem(line.number, key + ": a quoted value ends with its closing '\"'");
        if (section_ == settings::kMacros) return macroEntry(line.number, key, *value);

        const KnownKey* known = findKey(section_, key);
        if (!known)
            return problem(line.number, "unknown key '" + std::string(line.key) + "' in [" + section_ + "]");
        const std::string where = section_ + "/" + key;
        if (const auto it = keyLines_.find(where); it != keyLines_.end())
            return problem(line.number, key + " is set twice in [" + section_ + "] (first on line " +
                                            std::to_string(it->second) + ")");
        keyLines_[where] = line.number;
        const Checked checked = checkValue(known->kind, *value);
        if (!checked.text) return problem(line.number, key + ": '" + *value + "' is not " + checked.problem);
        out_.settings.push_back({section_, key, *checked.text, {}, {}, line.number, {}});
    }

    void macroEntry(int number, const std::string& key, const std::string& value) {
        auto& list = *out_.macros;
        if (key == "macro") {
            if (value.empty()) return problem(number, "macro: a macro needs a name");
            if (utf16Length(value) > macro::kNameSize / 2)
                return problem(number, "macro: the name '" + value + "' is longer than 8 characters");
            list.push_back({value, {}, {}, number});
            repeatLine_ = 0;
            return;
        }
        if (key != "repeat" && key != "row")
            return problem(number, "unknown key '" + key + "' in [macros] (keys: macro, repeat, row)");
        if (list.empty()) return problem(number, key + ": comes before the first \"macro = NAME\"");
        MacroSetting& m = list.back();
        if (key == "repeat") {
            if (repeatLine_ != 0)
                return problem(number, "repeat is set twice for macro '" + m.name + "' (first on line " +
                                           std::to_string(repeatLine_) + ")");
            repeatLine_ = number;
            if (sameWord(value, "until-released")) {
                m.repeat = {RepeatOption::Kind::UntilReleased, 1};
            } else if (const auto n = settingNumber(value, 1, macro::kMaxCycles)) {
                m.repeat = {RepeatOption::Kind::Cycles, *n};
            } else {
                problem(number, "repeat: '" + value + "' is not a count 1..254 or until-released");
            }
            return;
        }
        std::string why;
        if (const auto row = parseRow(value, why))
            m.rows.push_back(*row);
        else
            problem(number, "row: '" + value + "': " + why);
    }

    SettingsFile& out_;
    std::string section_;
    bool skipping_ = false;
    std::map<std::string, int> sectionLines_;
    std::map<std::string, int> keyLines_;
    int repeatLine_ = 0;
};

} // namespace

std::optional<int> dpiStepOf(std::string_view text) {
    // A DPI value is a number like any other ("01600" is 1600).
    const auto value = parseDecimal(text);
    if (!value) return std::nullopt;
    for (int s = 0; s < 12; ++s)
        if (parseDecimal(dpiStepText(s)) == value) return s;
    return std::nullopt;
}

std::optional<int> settingNumber(std::string_view text, int low, int high) {
    // Every number of the file by one rule: decimal digits with an optional sign, leading zeros allowed.
    return parseDecimalIn(text, low, high);
}

const Setting* SettingsFile::find(std::string_view section, std::string_view key) const {
    for (const Setting& s : settings)
        if (s.section == section && s.key == key) return &s;
    return nullptr;
}

SettingsFile parseSettings(std::string_view text) {
    SettingsFile out;
    Reader(out).read(text);
    return out;
}

std::string formatSettings(const SettingsFile& file, const std::vector<std::string>& header) {
    std::string out;
    for (const std::string& line : header) out += "; " + line + "\n";
    auto entry = [&](const std::string& key, const std::string& text, const std::string& comment) {
        std::string line = key + " = " + quotedIfNeeded(text);
        if (!comment.empty()) {
            constexpr std::size_t kCommentColumn = 32;
            line.resize(std::max(line.size() + 2, kCommentColumn), ' ');
            line += "; " + comment;
        }
        out += line + "\n";
    };
    auto sectionHead = [&](const std::string& name, const std::vector<std::string>& notes) {
        out += "\n[" + name + "]\n";
        for (const std::string& note : notes) out += "; " + note + "\n";
    };
    std::string current;
    auto writeSettings = [&](auto keep) {
        for (const Setting& s : file.settings) {
            if (!keep(s)) continue;
            if (s.section != current) {
                current = s.section;
                std::vector<std::string> notes;
                if (const auto it = sectionNotes().find(current); it != sectionNotes().end())
                    notes = it->second;
                for (int p = 1; p <= codes::kProfileCount; ++p)
                    if (current == settings::profileSection(p)) notes = profileNotes(p);
                sectionHead(current, notes);
            }
            if (!s.note.empty()) out += "; " + s.note + "\n";
            entry(s.key, s.text, s.comment);
        }
    };
    // Everything but [fire] first, then the macros, then [fire]: the order a reader goes through the pages.
    writeSettings([](const Setting& s) { return s.section != settings::kFire; });
    if (file.macros) {
        sectionHead(std::string(settings::kMacros), sectionNotes().at(std::string(settings::kMacros)));
        for (const MacroSetting& m : *file.macros) {
            entry("macro", m.name, {});
            if (m.repeat.kind == RepeatOption::Kind::UntilReleased) entry("repeat", "until-released", {});
            if (m.repeat.kind == RepeatOption::Kind::Cycles)
                entry("repeat", std::to_string(m.repeat.cycles), {});
            for (const MacroRow& row : m.rows) entry("row", rowWords(row), {});
        }
    }
    writeSettings([](const Setting& s) { return s.section == settings::kFire; });
    return out;
}

} // namespace krm
