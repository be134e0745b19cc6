#pragma once

#include "macros/MacroEvents.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace krm {

// The text form of a mouse's settings: an INI file a user can read, diff and keep. One section per
// area, one key per setting, values as krmctl's commands take them:
//
//   [mouse]         variant (checked, never written), profile (the current one, 1..3)
//   [performance]   levels, current-level, level1..8 (a DPI value), level1..8-colour (#rrggbb),
//                   report-rate (Hz), sniper (a DPI value)
//   [profile.1..3]  button1..12: a function in words (settings/FunctionWords.h) or an 8-hex-digit code
//   [combo-keys]    key1..9, the same values
//   [lighting]      type (checked, never written), mode (name or number), speed, brightness (MCU LEDs),
//                   colour1..10
//   [macros]        the mouse's macros in slot order: "macro = NAME", "repeat = N|until-released",
//                   then "row = ..." lines: "press KEY", "release KEY", "delay MS", "move X Y" (the
//                   macro page's "1 KEY CODE:HHHH" form is read too)
//   [fire]          slot1..3-repeat/-interval/-continue, fire-macro1..10-shots/-x/-x-offset/-y/
//                   -y-offset/-interval
//
// A ';' or '#' at the start of a line, or after a blank inside one, starts a comment (a '#' that
// starts a value is a colour's); a value may be put in double quotes (a quote inside doubled) to keep
// such a ';' or outer blanks. A UTF-8 byte-order mark and CRLF line ends are taken as they come. Every
// number is decimal digits with an optional sign, leading zeros allowed. Keys, section names and the
// words of values ignore letter case.
namespace settings {
inline constexpr std::string_view kMouse = "mouse";
inline constexpr std::string_view kPerformance = "performance";
inline constexpr std::string_view kComboKeys = "combo-keys";
inline constexpr std::string_view kLighting = "lighting";
inline constexpr std::string_view kMacros = "macros";
inline constexpr std::string_view kFire = "fire";
// "profile.1" .. "profile.3".
std::string profileSection(int profile);
} // namespace settings

// One setting as the file holds it.
struct Setting {
    std::string section; // lower case, as above
    std::string key;     // lower case
    std::string text;    // the value, in the form export writes (a name in the catalogue's case)
    std::string comment; // what export writes after it (a code's name, a range); not read back
    std::string note;    // a comment line export writes before it (a gun's name); not read back
    int line = 0;        // its line in the file; 0 for a setting read from the mouse
    // What the value stands for, compared to tell whether the mouse must change: the code of a
    // button, the number of a lighting mode, otherwise the text. Filled by whoever knows the mouse.
    std::string meaning;
};

// One device macro of [macros].
struct MacroSetting {
    std::string name; // UTF-8, at most 8 UTF-16 units
    RepeatOption repeat;
    std::vector<MacroRow> rows;
    int line = 0; // its "macro =" line
    bool operator==(const MacroSetting& o) const {
        return name == o.name && repeat == o.repeat && rows == o.rows;
    }
};

// A problem of a settings file, on the line it names (0: the file as a whole).
struct SettingsProblem {
    int line = 0;
    std::string message;
};

struct SettingsFile {
    std::vector<Setting> settings;                   // file order (export: the order of the key table)
    std::optional<std::vector<MacroSetting>> macros; // present when the file has a [macros] section
    int macrosLine = 0;                              // the line of [macros]
    std::vector<SettingsProblem> problems;           // empty when the text reads cleanly
    std::vector<SettingsProblem> warnings; // what may be wrong but does not stop it (a cut last line)

    const Setting* find(std::string_view section, std::string_view key) const;
};

// Reads settings text. Every line is looked at: unknown sections and keys, a section or key given
// twice, values of the wrong form or out of range, rows that name no event, are problems with their
// line number; the settings that read well are kept. Names a value may hold (functions, lighting
// modes, macros) are only checked against the mouse (settings/SettingsPlan.h).
SettingsFile parseSettings(std::string_view text);

// The text of `file`: `header` (comment lines, each given without its "; "), then every section that
// has a setting, the settings in their order with their comments, each section with a comment that
// says what its values are.
std::string formatSettings(const SettingsFile& file, const std::vector<std::string>& header);

// The DPI step 0..11 a value text ("1600") names.
std::optional<int> dpiStepOf(std::string_view text);
// The whole number a value text holds ("-3", "40"), within low..high.
std::optional<int> settingNumber(std::string_view text, int low, int high);

} // namespace krm
