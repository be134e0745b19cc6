#include "settings/SettingsText.h"

#include "base/IniFile.h"
#include "buttons/FunctionCatalogue.h"
#include "image/FunctionCode.h"
#include "image/ImageFields.h"
#include "image/SectionDefaults.h"

#include <algorithm>
#include <cctype>
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
    Level,      // 1..8
    DpiValue,   // "200" .. "6400"
    Colour,     // #rrggbb
    Rate,       // 125, 250, 500, 1000
    Function,   // a function name, "macro NAME" or 8 hex digits
    LedType,    // RGB, Sync, NT, MCULED
    Mode,       // a lighting mode's name or number (judged against the mouse)
    Speed,      // 1..10 (MCU LEDs 1..8, judged against the mouse)
    Brightness, // full, half
    Repeat,     // 1..16
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

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

// The value of an entry: a quoted value up to its closing quote, otherwise the text up to a ';' that
// starts the value or follows a blank. Nothing when a quote is not closed or text follows it.
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
        if (!rest.empty() && rest.front() != ';') return std::nullopt;
        return out;
    }
    for (std::size_t i = 0; i < raw.size(); ++i)
        if (raw[i] == ';' && (i == 0 || std::isspace(static_cast<unsigned char>(raw[i - 1]))))
            return std::string(trimmed(raw.substr(0, i)));
    return std::string(raw);
}

// A value as export writes it: in quotes when it would not read back as it is.
std::string quotedIfNeeded(const std::string& text) {
    const bool plain = !text.empty() && !std::isspace(static_cast<unsigned char>(text.front())) &&
                       !std::isspace(static_cast<unsigned char>(text.back())) && text.front() != '"' &&
                       text.find(';') == std::string::npos;
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
    case ValueKind::Level:
        return checkRange(v, 1, 8, "a level");
    case ValueKind::DpiValue:
        if (dpiStepOf(v)) return {std::string(v), {}};
        return {std::nullopt, "a DPI value: one of " + dpiValueList()};
    case ValueKind::Colour:
        if (const auto c = parseRgbText(v)) return {rgbText(*c), {}};
        return {std::nullopt, "a colour #rrggbb"};
    case ValueKind::Rate:
        for (const char* hz : {"125", "250", "500", "1000"})
            if (v == hz) return {std::string(v), {}};
        return {std::nullopt, "a report rate: 125, 250, 500 or 1000"};
    case ValueKind::Function: {
        if (const auto code = parseCodeText(v)) return {codeText(*code), {}};
        if (v.size() > 6 && sameWord(v.substr(0, 6), "macro "))
            return {"macro " + std::string(v.substr(6)), {}};
        for (const CatalogueEntry& e : functionCatalogue())
            if (sameWord(e.englishName, v)) return {std::string(e.englishName), {}};
        return {std::nullopt,
                "a function as `krmctl functions` names it, \"macro NAME\" or an 8-hex-digit code"};
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
        return checkRange(v, 1, 16, "a repeat count");
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

// "1 A CODE:8204" and its kin, as MacroRow::text() writes them.
std::optional<MacroRow> parseRow(std::string_view text, std::string& problem) {
    text = trimmed(text);
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
    problem = "a row starts with 0 (delay), 1 (press), 2 (release) or 3 (move)";
    return std::nullopt;
}

// Section comments: what the values of a section are.
const std::map<std::string, std::vector<std::string>>& sectionNotes() {
    static const std::map<std::string, std::vector<std::string>> kNotes = {
        {std::string(settings::kPerformance),
         {"DPI levels switched on (1..8) and the current one; each level's value and colour (#rrggbb),",
          "the report rate in Hz, and the sniper value of every AIM Key button"}},
        {std::string(settings::kComboKeys), {"the nine combo keys, named like the buttons"}},
        {std::string(settings::kLighting),
         {"type is the mouse's own LED type (a file for another type is refused); mode by name or number;",
          "speed 1..10 (MCU LEDs: 1..8, with brightness full or half); the colour table"}},
        {std::string(settings::kMacros),
         {"the mouse's macros in slot order, each \"macro = NAME\", \"repeat = N\" (1..254) or",
          "\"until-released\" when it repeats, then its rows as the macro page shows them: \"0 MS\" a delay,",
          "\"1 KEY CODE:HHHH\" a press, \"2 KEY CODE:HHHH\" a release, \"3 04XXYY\" a move"}},
        {std::string(settings::kFire),
         {"fire-key slots: repeat 1..16, interval in ms, continue yes or no; then the gun presets' fire",
          "macros: shots, X and Y per shot with their offsets, interval in ms (a fire macro's LED colour",
          "is the colour of the same number in [lighting])"}},
    };
    return kNotes;
}

std::string profileNote(int profile) {
    return "profile " + std::to_string(profile) +
           ": a function as `krmctl functions` names it, \"macro NAME\" or an 8-hex-digit code";
}

class Reader {
public:
    explicit Reader(SettingsFile& out) : out_(out) {}

    void read(std::string_view text) {
        for (const IniLine& line : iniLines(text)) {
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
    }

private:
    void problem(int line, std::string message) { out_.problems.push_back({line, std::move(message)}); }

    void section(const IniLine& line) {
        section_ = foldCase(line.name);
        skipping_ = true;
        if (!line.closed)
            return problem(line.number, "the section name '" + std::string(line.name) + "' lacks its ']'");
        if (!knownSection(section_))
            return problem(line.number, "unknown section [" + std::string(line.name) +
                                            "] (sections: performance, profile.1, profile.2, profile.3, "
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
    for (int s = 0; s < 12; ++s)
        if (!text.empty() && dpiStepText(s) == text) return s;
    return std::nullopt;
}

std::optional<int> settingNumber(std::string_view text, int low, int high) {
    text = trimmed(text);
    // Plain digits only: "+5", "05" and "5.0" are not how the file writes numbers, but "-3" is.
    if (text.empty() || text == "-" || text.starts_with('+')) return std::nullopt;
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
                    if (current == settings::profileSection(p)) notes = {profileNote(p)};
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
            for (const MacroRow& row : m.rows) entry("row", row.text(), {});
        }
    }
    writeSettings([](const Setting& s) { return s.section == settings::kFire; });
    return out;
}

} // namespace krm
