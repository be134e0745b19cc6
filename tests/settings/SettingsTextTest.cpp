#include "settings/SettingsText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace krm {

namespace {

std::string problemsOf(const SettingsFile& f) {
    std::string out;
    for (const SettingsProblem& p : f.problems) out += std::to_string(p.line) + ": " + p.message + "\n";
    return out;
}

} // namespace

TEST(SettingsText, EveryProblemIsNamedOnItsLine) {
    const struct {
        const char* name;
        const char* text;
        int line;
        const char* says;
    } cases[] = {
        {"unknown key", "[performance]\nlevle2 = 800\n", 2, "unknown key 'levle2' in [performance]"},
        {"no DPI value", "[performance]\n\nlevel2 = 1700\n", 3, "'1700' is not a DPI value: one of 200, 400"},
        {"out of range", "[performance]\nlevels = 9\n", 2, "'9' is not a level 1..8"},
        {"movement out of range", "[fire]\nfire-macro3-x = 128\n", 2, "a movement -128..127"},
        {"repeat out of range", "[fire]\nslot1-repeat = 17\n", 2, "a repeat count 1..16"},
        {"not a colour", "[lighting]\ncolour3 = #12345\n", 2, "'#12345' is not a colour #rrggbb"},
        {"no function", "[profile.2]\nbutton1 = Left Clik\n", 2, "a function as `krmctl functions` names it"},
        {"section twice", "[lighting]\nspeed = 2\n; again\n[Lighting]\n", 4,
         "[lighting] appears twice (first on line 1)"},
        {"key twice", "[fire]\nslot1-repeat = 2\nSLOT1-repeat = 3\n", 3,
         "slot1-repeat is set twice in [fire]"},
        {"unknown section", "[profile.4]\nbutton1 = Left Click\n", 1, "unknown section [profile.4]"},
        {"stray line", "[lighting]\nspeed 2\n", 2, "'speed 2' is neither a [section] nor a key = value"},
        {"before any section", "speed = 2\n", 1, "a setting before the first [section]"},
        {"unclosed section", "[lighting\n", 1, "lacks its ']'"},
        {"unclosed quote", "[macros]\nmacro = \"Jump\n", 2, "ends with its closing '\"'"},
        {"row before a macro", "[macros]\nrow = 0 10\n", 2, "comes before the first \"macro = NAME\""},
        {"long macro name", "[macros]\nmacro = NineChars\n", 2, "longer than 8 characters"},
        {"repeat twice", "[macros]\nmacro = A\nrepeat = 2\nrepeat = 3\n", 4, "repeat is set twice"},
        {"repeat out of range", "[macros]\nmacro = A\nrepeat = 255\n", 3, "a count 1..254 or until-released"},
        {"row name and code disagree", "[macros]\nmacro = A\nrow = 1 B CODE:8204\n", 3,
         "CODE:8204 is A, not B"},
        {"release code in a press row", "[macros]\nmacro = A\nrow = 1 A CODE:0204\n", 3, "is a release"},
        {"unknown modifier", "[macros]\nmacro = A\nrow = 1 X CODE:8110\n", 3, "is no key, modifier or mouse"},
        {"delay out of range", "[macros]\nmacro = A\nrow = 0 65536\n", 3, "MS 0..65535"},
        {"move without its event", "[macros]\nmacro = A\nrow = 3 05FF01\n", 3, "\"3 04XXYY\""},
        {"no row kind", "[macros]\nmacro = A\nrow = 4 x\n", 3, "a row is \"press KEY\", \"release KEY\""},
        {"a key no name gives", "[macros]\nmacro = A\nrow = press Hyper\n", 3,
         "no key, modifier or mouse button is named 'Hyper'"},
        {"a name two keys share", "[macros]\nmacro = A\nrow = release Win\n", 3,
         "'Win' names 2 keys: add the one meant as CODE:HHHH"},
        {"a move out of range", "[macros]\nmacro = A\nrow = move 0 200\n", 3, "X and Y -128..127"},
        {"an option the function lacks", "[profile.1]\nbutton2 = Right Click, combo key 2\n", 2,
         "'combo key 2' is no option of this function (it takes none)"},
        {"a combo key past 8", "[profile.1]\nbutton2 = Backward, combo key 9\n", 2,
         "'combo key 9' is no option of this function (combo key N)"},
        {"a gun stage it does not have", "[profile.2]\nbutton3 = M4 Fire, 2 stages\n", 2,
         "is no option of a gun (keep left button, combo key N, 1 stage)"},
        {"a third key", "[combo-keys]\nkey1 = Ctrl+A+B+C\n", 2, "a key combination such as Ctrl+Shift+F5"},
        {"a variant no mouse has", "[mouse]\nvariant = R999B\n", 2, "a chip variant: R210B or R230B"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SettingsFile f = parseSettings(c.text);
        ASSERT_EQ(f.problems.size(), 1u) << problemsOf(f);
        EXPECT_EQ(f.problems[0].line, c.line);
        EXPECT_NE(f.problems[0].message.find(c.says), std::string::npos) << f.problems[0].message;
    }
}

TEST(SettingsText, ValuesReadInTheFormExportWritesThem) {
    const SettingsFile f = parseSettings("[PERFORMANCE]\r\n"
                                         "Level1-Colour = FF7F00     ; no '#' needed\r\n"
                                         "report-rate = 500;no blank before it: not a comment\r\n"
                                         "levels = 4\r\n"
                                         "[profile.1]\n"
                                         "button2 = middle CLICK\n"
                                         "button3 = 0692003c\n"
                                         "button4 = \"macro a;b \"\"c\"\"\" ; quoted\n"
                                         "[fire]\n"
                                         "slot1-continue = YES\n"
                                         "[macros]\n");
    EXPECT_EQ(problemsOf(f), "3: report-rate: '500;no blank before it: not a comment' is not a report rate: "
                             "125, 250, 500 or 1000\n");
    std::vector<std::string> got;
    for (const Setting& s : f.settings) got.push_back(s.section + " " + s.key + " = " + s.text);
    EXPECT_EQ(got,
              (std::vector<std::string>{"performance level1-colour = #ff7f00", "performance levels = 4",
                                        "profile.1 button2 = Middle Click", "profile.1 button3 = 0692003C",
                                        "profile.1 button4 = macro a;b \"c\"", "fire slot1-continue = yes"}));
    ASSERT_TRUE(f.macros);
    EXPECT_TRUE(f.macros->empty()) << "an empty [macros] asks for a mouse without macros";
    EXPECT_FALSE(parseSettings("[fire]\n").macros) << "a file without [macros] leaves them as they are";
}

TEST(SettingsText, FormattedTextReadsBackAsItWasWritten) {
    SettingsFile f;
    f.settings = {{"performance", "level1", "800", {}, {}, 0, {}},
                  {"profile.1", "button4", "macro Semi; \"Q\" ", "10020000", {}, 0, {}},
                  {"fire", "fire-macro6-shots", "3", {}, "gun 6, 5.56 Fire", 0, {}}};
    MacroSetting m{"Reload", {RepeatOption::Kind::UntilReleased, 1}, {}, 0};
    m.rows = {MacroRow::keyEvent(0x81, 0x02), MacroRow::keyEvent(0x82, 0x2C), MacroRow::delay(65535),
              MacroRow::keyEvent(0x02, 0x2C), MacroRow::keyEvent(0x01, 0x02), MacroRow::mouseButton(0xB0),
              MacroRow::mouseButton(0x30),    MacroRow::move(-128, 127)};
    MacroSetting n{"B", {RepeatOption::Kind::Cycles, 254}, {MacroRow::delay(0)}, 0};
    f.macros = std::vector<MacroSetting>{m, n};

    const std::string text = formatSettings(f, {"a header"});
    EXPECT_TRUE(text.starts_with("; a header\n\n[performance]\n")) << text;
    EXPECT_NE(text.find("button4 = \"macro Semi; \"\"Q\"\" \"  ; 10020000\n"), std::string::npos) << text;
    EXPECT_NE(text.find("; gun 6, 5.56 Fire\nfire-macro6-shots = 3\n"), std::string::npos) << text;
    EXPECT_NE(text.find("row = press Space bar\nrow = delay 65535\n"), std::string::npos) << text;
    EXPECT_LT(text.find("[macros]"), text.find("[fire]")) << "the macros come before the fire keys";

    const SettingsFile back = parseSettings(text);
    EXPECT_EQ(problemsOf(back), "");
    ASSERT_EQ(back.settings.size(), f.settings.size());
    for (std::size_t i = 0; i < f.settings.size(); ++i) EXPECT_EQ(back.settings[i].text, f.settings[i].text);
    ASSERT_TRUE(back.macros);
    EXPECT_EQ(*back.macros, *f.macros);
}

} // namespace krm
