#include "shell/EngineeringCaptions.h"
#include "shell/EngineeringLocale.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace krm {

TEST(EngineeringCaptions, TableHasEveryRowInEnglishAndChinese) {
    const auto& table = engineeringCaptionTable();
    for (int row = 0; row < kEngineeringCaptionRows; ++row) {
        const TTerm& term = table[static_cast<std::size_t>(row)];
        EXPECT_EQ(term.id, row);
        EXPECT_FALSE(term.text[0].empty()) << row;
        EXPECT_TRUE(term.text[1].empty()) << row;
        EXPECT_FALSE(term.text[2].empty()) << row;
    }
    struct Case {
        int row;
        const char* english;
        const char* chinese;
    } cases[] = {
        {0, "Office Mode", "办公模式"},
        {56, "Fire Key", "连击键"},
        {62, "Continue", "按住持续连发"},
        {99, "Color10 B:", "颜色10 B:"},
        {110, "Switch Mouse Gaming Mode:", "滑鼠游戏模式切换方式:"},
        {116, "'Back'+'Right Key'", "'后退'+'右键'组合键"},
        {118, "Enable Gun Key Switch Gaimg Mode", "使能枪键进行游戏模式切换"},
        {148, "Fire Key X/Y Offset", "压枪幅度X/Y偏移量"},
        {154, "Delect Fire Key", "删除枪键"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(engineeringCaption(c.row, 0), c.english);
        EXPECT_EQ(engineeringCaption(c.row, 2), c.chinese);
    }
    EXPECT_EQ(engineeringCaption(160, 0), "");
    EXPECT_EQ(engineeringCaption(-1, 0), "");
    EXPECT_EQ(engineeringCaption(0, 3), "");
}

TEST(EngineeringCaptions, LocaleChoosesTheColumn) {
    struct Case {
        const char* name;
        int column;
    } cases[] = {{"zh_CN.UTF-8", 2},
                 {"zh_CN", 2},
                 {"zh_CN.GB18030@stroke", 2},
                 {"zh_TW.UTF-8", 0},
                 {"zh_SG.UTF-8", 0},
                 {"en_US.UTF-8", 0},
                 {"C.UTF-8", 0},
                 {"", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(captionColumnForLocaleId(localeIdFromName(c.name)), c.column) << c.name;
    EXPECT_EQ(captionColumnForLocaleId(2052), 2);
    EXPECT_EQ(captionColumnForLocaleId(1033), 0);

    // LC_ALL before LC_MESSAGES before LANG; empty values do not count.
    std::map<std::string, std::string> env;
    auto lookup = [&env](const char* name) -> const char* {
        auto it = env.find(name);
        return it == env.end() ? nullptr : it->second.c_str();
    };
    EXPECT_EQ(messagesLocaleName(lookup), "");
    env["LANG"] = "en_US.UTF-8";
    EXPECT_EQ(messagesLocaleName(lookup), "en_US.UTF-8");
    env["LC_MESSAGES"] = "zh_CN.UTF-8";
    EXPECT_EQ(messagesLocaleName(lookup), "zh_CN.UTF-8");
    env["LC_ALL"] = "";
    EXPECT_EQ(messagesLocaleName(lookup), "zh_CN.UTF-8");
    env["LC_ALL"] = "de_DE.UTF-8";
    EXPECT_EQ(messagesLocaleName(lookup), "de_DE.UTF-8");

    EXPECT_EQ(engineeringFontFamily(0), "DejaVu Sans");
    EXPECT_EQ(engineeringFontFamily(2), "WenQuanYi Micro Hei");
}

} // namespace krm
