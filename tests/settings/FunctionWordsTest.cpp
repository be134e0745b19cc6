#include "settings/FunctionWords.h"

#include "shell/LanguageTables.h"

#include <gtest/gtest.h>

#include <string>

namespace krm {

namespace {

struct English {
    English() { tables.setLanguage(1); }
    LanguageTables tables;
};

Naming naming(const TextSource& english) {
    Naming n;
    n.english = &english;
    DeviceMacro reload;
    reload.name = macroNameBytes("Reload");
    n.macros.append(reload);
    n.macros.pack();
    return n;
}

} // namespace

TEST(FunctionWords, CodesAreWrittenInWordsThatReadBackAsTheSameCode) {
    const English english;
    const Naming n = naming(english.tables);
    const struct {
        const char* code;
        bool combo;
        const char* words; // nullptr: no words rebuild the code, it stays as it is
    } cases[] = {
        {"01080000", false, "Backward"},
        {"01080002", false, "Backward, combo key 2"},
        {"090100A0", false, "DPI Up, combo key 6, combo key 8"},
        {"02033E00", false, "Ctrl+Shift+F5"},
        {"020F0405", false, "Ctrl+Shift+Alt+Win+A+B"},
        {"02080700", false, "Desktop"},
        {"0200E000", false, "Left Ctrl"},
        {"0B120108", false, "M4 Fire, keep left button, combo key 4"},
        {"0B070300", false, "7.62 Fire, 3 stages"},
        {"0781F000", false, "Game Mode"},
        {"07D1F018", false, "Game Mode, return to zero, change colour, offset 0x18"},
        {"07D1F018", true, "Game Mode, return to zero, change colour"},
        {"07A23123", false, "Third Mode, adjust XY, colour 4, offset 0x123"},
        {"10020000", false, "macro Reload"},
        // No words for these: a byte the names do not hold, a key two names share, an unknown gun.
        {"01040200", false, nullptr},
        {"0200E700", false, nullptr},
        {"0B090100", false, nullptr},
        {"07830000", false, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.code) + (c.combo ? " on a combo key" : ""));
        const WrittenCode w = writtenCode(n, c.code, c.combo);
        if (!c.words) {
            EXPECT_FALSE(w.inWords);
            EXPECT_EQ(w.text, c.code);
            continue;
        }
        EXPECT_TRUE(w.inWords);
        EXPECT_EQ(w.text, c.words);
        EXPECT_EQ(w.comment, c.code);
        std::string why;
        EXPECT_EQ(codeOf(n, c.words, c.combo, why), std::optional<std::string>(c.code)) << why;
    }
}

TEST(FunctionWords, WordsAsAPersonTypesThem) {
    const English english;
    const Naming n = naming(english.tables);
    const struct {
        const char* words;
        const char* code;
    } cases[] = {
        {"ctrl+shift+f5", "02033E00"},
        {"  Backward ,combo key 2 ", "01080002"},
        {"game mode, User Colour, offset 20", "0781F020"},
        {"Office Mode, colour 3", "07802000"},
        {"5.56 Fire, keep left button, 2 stages", "0B150200"},
        {"0b8f0000", "0B8F0000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.words);
        std::string why;
        EXPECT_EQ(codeOf(n, c.words, false, why), std::optional<std::string>(c.code)) << why;
    }
}

} // namespace krm
