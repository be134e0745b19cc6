#include "shell/LanguageTables.h"
#include "shell/LanguageSlots.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace krm {

namespace {
std::string strId(int n) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "Str%03d", n);
    return buf;
}

// The code points of a UTF-8 text (the tables' texts after reading).
std::u32string codePoints(std::string_view text) {
    std::u32string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t cp = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (std::size_t k = 1; k < length && i + k < text.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        out.push_back(cp);
        i += length;
    }
    return out;
}

// Written (partly) in Chinese characters: the CJK unified ideographs and their compatibility block.
bool hasHan(std::string_view text) {
    const std::u32string cps = codePoints(text);
    return std::any_of(cps.begin(), cps.end(), [](char32_t c) {
        return (c >= 0x3400 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF);
    });
}

bool hasLatinLetter(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); });
}

// The ids each shipped table must hold, besides Title and FontName.
std::set<std::string> expectedIds(int language) {
    // The last range: the window's menu and the companion's settings, what a screen reader hears, the
    // colour chooser.
    const std::vector<std::pair<int, int>> common = {
        {1, 16},    {20, 22},   {100, 110}, {200, 208}, {210, 214}, {220, 223}, {230, 233}, {240, 243},
        {250, 254}, {260, 277}, {280, 286}, {290, 293}, {300, 311}, {400, 418}, {420, 422}, {430, 430},
        {432, 435}, {440, 442}, {450, 451}, {454, 458}, {500, 502}, {510, 512}, {520, 526}, {600, 606},
        {610, 619}, {620, 622}, {700, 707}, {800, 810}, {812, 830}, {834, 847}, {849, 859}, {900, 937}};
    std::set<std::string> ids;
    for (auto [first, last] : common)
        for (int n = first; n <= last; ++n) ids.insert(strId(n));
    // Every table carries the refusal messages, the lighting, repeat and fire-macro captions and why a
    // desktop pointer setting is switched off and who holds the mouse:
    // an empty message box or an empty caption is no text at all.
    ids.insert({"Str294", "Str295"});
    for (int n : {860, 861, 862, 863, 864, 866, 867, 868, 869, 870, 871, 872,
                  873, 874, 875, 876, 940, 941, 942, 943, 944, 945, 946})
        ids.insert(strId(n));
    if (language == 3) ids.insert({"Str312", "Str313"});
    return ids;
}

std::vector<std::uint8_t> bytesOf(std::u16string_view text) {
    std::vector<std::uint8_t> out{0xFF, 0xFE};
    for (char16_t u : text) {
        out.push_back(static_cast<std::uint8_t>(u & 0xFF));
        out.push_back(static_cast<std::uint8_t>(u >> 8));
    }
    return out;
}

// Three small tables built from text, for rules the shipped tables do not show.
LanguageTables fixtureTables(std::array<std::u16string, 3> texts) {
    return LanguageTables([texts](int language) -> std::optional<std::vector<std::uint8_t>> {
        return bytesOf(texts[static_cast<std::size_t>(language - 1)]);
    });
}
} // namespace

TEST(LanguageTables, ShippedTablesHoldExactlyTheirIds) {
    LanguageTables tables;
    for (int language = 1; language <= 3; ++language) {
        SCOPED_TRACE("table " + std::to_string(language));
        std::set<std::string> ids;
        for (const std::string& key : tables.table(language).keys("lang" + std::to_string(language)))
            if (key.starts_with("Str")) ids.insert(key);
        EXPECT_EQ(ids, expectedIds(language));
        EXPECT_EQ(tables.lookup(language, "FontName"), language == 2 ? "WenQuanYi Micro Hei" : "DejaVu Sans");
        EXPECT_FALSE(tables.lookup(language, "Title").empty());
        EXPECT_FALSE(tables.contains(language, "Str865"));
        for (const std::string& id : ids)
            if (id != "Str101") {
                EXPECT_FALSE(tables.lookup(language, id).empty()) << id;
            }
    }
}

TEST(LanguageTables, ShippedTextsDifferPerTableWhereTheProductSaysSo) {
    struct Case {
        const char* id;
        std::array<const char*, 3> text;
    } cases[] = {
        {"Str210", {"Left Click", "左键", "Left Key"}},
        {"Str605", {"5.56 Fire", "5.56 压枪", "TOMPSON Fire"}},
        {"Str100", {"Waiting for the device reconnect", "正在等待设备重新连接", "No Device Found"}},
        {"Str101", {"\u00B7", "", "Please check your device is attached to USB port"}},
        {"Str012", {"简体中文", "简体中文", "简体中文"}},
        {"Str512", {"Cancel", "取消", "Clear"}},
        {"Str294",
         {"Keep at least one left button", "\u81F3\u5C11\u4FDD\u7559\u4E00\u4E2A\u5DE6\u952E",
          "Keep at least one left button"}},
        {"Str312", {"", "", "8000"}},
        {"Str865", {"", "", ""}},
        {"Str999", {"", "", ""}},
    };
    for (const auto& c : cases)
        for (int language = 1; language <= 3; ++language)
            EXPECT_EQ(lookupText(language, c.id), c.text[static_cast<std::size_t>(language - 1)])
                << c.id << " in table " << language;
    EXPECT_EQ(lookupText(0, "Str210"), "");
    EXPECT_EQ(lookupText(4, "Str210"), "");
}

TEST(LanguageTables, ReverseLookupRetextsFunctionNamesOnly) {
    LanguageTables tables;
    struct Case {
        const char* label;
        std::optional<std::string> id;
        std::array<const char*, 3> inTable;
    } cases[] = {
        {"Left Click", "Str210", {"Left Click", "左键", "Left Key"}},
        {"Left Key", "Str210", {"Left Click", "左键", "Left Key"}},
        {"左键", "Str210", {"Left Click", "左键", "Left Key"}},
        {"Volume Up", "Str274", {"Volume Up", "音量加", "Volume +"}},
        // Str004 shares it, but three digits never form.
        {"Office Mode", "Str251", {"Office Mode", "办公模式", "Office Mode"}},
        // Str271, Str284 (table 1) and Str401: the last wins.
        {"Stop", "Str401", {"Stop", "停止", "Stop"}},
        {"网页停止", "Str284", {"Stop", "网页停止", "WWW Stop"}},
        {"MyMacro", std::nullopt, {"MyMacro", "MyMacro", "MyMacro"}}, // a macro name keeps its text
        {"Ctrl+Shift+A", std::nullopt, {"Ctrl+Shift+A", "Ctrl+Shift+A", "Ctrl+Shift+A"}},
        {"Fire Macro3", std::nullopt, {"Fire Macro3", "Fire Macro3", "Fire Macro3"}},
        {"DPI Mode", std::nullopt, {"DPI Mode", "DPI Mode", "DPI Mode"}}, // Str815 lies beyond 800
        {"", std::nullopt, {"", "", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(tables.findTextId(c.label), c.id);
        for (int language = 1; language <= 3; ++language)
            EXPECT_EQ(tables.retext(c.label, language), c.inTable[static_cast<std::size_t>(language - 1)]);
    }
    EXPECT_EQ(findTextId("Left Click"), "Str210");
}

TEST(LanguageTables, ReverseLookupTakesTheHighestIdOfAnyTable) {
    auto tables =
        fixtureTables({u"[lang1] \"Str250=Fire\" \"Str500=Shot\" \"Str801=Fire\"",
                       u"[lang2] \"Str240=Fire\" \"Str250=Feuer\"",
                       u"[lang3] \"Str230=Fire\" \"Str240=Fuego\" \"Str250=Disparo\" \"Str30=Fire\""});
    // Str250 matches in table 1 only, Str240 in table 2, Str230 in table 3: the highest id wins
    // whichever table holds it, and Str801 lies beyond the search.
    EXPECT_EQ(tables.findTextId("Fire"), "Str250");
    EXPECT_EQ(tables.retext("Fire", 2), "Feuer");
    EXPECT_EQ(tables.retext("Fire", 3), "Disparo");
    // A table that cannot be read looks empty.
    LanguageTables broken([](int) -> std::optional<std::vector<std::uint8_t>> { return std::nullopt; });
    EXPECT_EQ(broken.lookup(1, "Str210"), "");
    EXPECT_EQ(broken.retext("Left Click", 2), "Left Click");
}

TEST(LanguageTables, LanguageButtonsNameTheLanguageEachTableHolds) {
    LanguageTables tables;
    const std::array<std::string, 3> buttons{"Str011", "Str012", "Str013"};
    auto isCaption = [&](const std::string& key) {
        return std::find(buttons.begin(), buttons.end(), key) != buttons.end();
    };
    // The language a table holds, read from its texts rather than from its captions: Chinese when any
    // of them is written in Chinese characters, English otherwise.
    std::array<bool, 3> chinese{};
    for (int language = 1; language <= 3; ++language)
        for (const std::string& key : tables.table(language).keys("lang" + std::to_string(language)))
            if (!isCaption(key) && hasHan(tables.lookup(language, key)))
                chinese[static_cast<std::size_t>(language - 1)] = true;
    EXPECT_EQ(chinese, (std::array<bool, 3>{false, true, false}));

    for (int language = 1; language <= 3; ++language) {
        SCOPED_TRACE("table " + std::to_string(language));
        std::set<std::string> captions;
        for (std::size_t b = 0; b < buttons.size(); ++b) {
            const std::string caption = tables.lookup(language, buttons[b]);
            captions.insert(caption);
            // Each language is named in itself and alike in every table, so that a reader lost in
            // another language finds their own.
            EXPECT_EQ(caption, tables.lookup(1, buttons[b])) << buttons[b];
            if (chinese[b])
                EXPECT_EQ(caption, "简体中文") << buttons[b];
            else
                EXPECT_TRUE(caption.starts_with("English")) << buttons[b] << " reads " << caption;
        }
        EXPECT_EQ(captions.size(), buttons.size()) << "the three buttons read alike";
    }
    EXPECT_EQ(tables.lookup(1, "Str011"), "English") << "table 1 is the plain English one";
}

TEST(LanguageTables, TableTwoIsChineseWhereverTableOneHasWords) {
    LanguageTables tables;
    // Names stay as they are: the font and the English tables' own names on their buttons.
    const std::set<std::string> names{"FontName", "Str011", "Str013"};
    for (const std::string& key : tables.table(1).keys("lang1")) {
        const std::string english = tables.lookup(1, key);
        const std::string chinese = tables.lookup(2, key);
        // Numbers, symbols and abbreviations ("200", "*", the stray dot of Str101, "DPI") need no
        // translation.
        const bool abbreviation =
            std::none_of(english.begin(), english.end(), [](char c) { return c >= 'a' && c <= 'z'; });
        if (names.contains(key) || !hasLatinLetter(english) || abbreviation) continue;
        EXPECT_TRUE(hasHan(chinese)) << key << ": \"" << english << "\" is \"" << chinese << "\" in table 2";
    }
}

TEST(LanguageTables, ActiveLanguageFeedsTheTextSlots) {
    LanguageTables tables;
    LanguageSlots slots;
    tables.setLanguage(3);
    tables.setLanguage(7); // ignored
    EXPECT_EQ(tables.language(), 3);
    slots.refresh(tables);
    EXPECT_EQ(slots.leftClick, "Left Key");
    EXPECT_EQ(slots.dpiKeys[1], "DPI +");
    EXPECT_EQ(slots.gunNames[6], "UZI Fire");
    EXPECT_EQ(slots.dpiValues[11], "6400");
    EXPECT_EQ(slots.rgbLedModes[0], "Off");
    EXPECT_EQ(slots.rgbLedModes[6], "") << "Str865 is in no table";
    EXPECT_FALSE(slots.leftKeyRules[0].empty());
    EXPECT_EQ(slots.fontName, "DejaVu Sans");

    tables.setLanguage(1);
    slots.refresh(tables);
    EXPECT_EQ(slots.leftClick, "Left Click");
    EXPECT_EQ(slots.messages[1], "\u00B7");
    EXPECT_EQ(slots.mcuLedModes, (std::array<std::string, 6>{"DPI Mode", "Colorful Light", "Rainbow",
                                                             "Flow Light", "Waltz", "4-Seasons"}));
    EXPECT_EQ(slots.rgbLedModes[5], "DPI Color");
}

} // namespace krm
