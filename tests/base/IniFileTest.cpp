#include "base/IniFile.h"

#include <gtest/gtest.h>

namespace krm {

TEST(IniFile, ReadsSectionsCommentsAndTrimmedEntries) {
    const char* text = "; comment\r\n"
                       "[org]\r\n"
                       "  Web_X = 9400  \r\n"
                       "// Gun6 Number(Num=1 or Num=2)\r\n"
                       "   ;Gun6_Num=9\r\n"
                       "Gun6_Num=2\r\n"
                       "Web=https://example.com/a=b\r\n"
                       "Gun6_Num=7\r\n"
                       "Path=\r\n"
                       "no equals sign\r\n"
                       "[other]\nWeb_X=1\n";
    IniFile ini = IniFile::parse(text);
    EXPECT_EQ(ini.integer("org", "Web_X"), 9400);
    EXPECT_EQ(ini.integer("ORG", "web_x"), 9400) << "lookups ignore letter case";
    EXPECT_EQ(ini.integer("org", "Gun6_Num"), 2) << "comments are skipped and the first key wins";
    EXPECT_EQ(ini.text("org", "Web"), "https://example.com/a=b") << "value split at the first '='";
    EXPECT_EQ(ini.text("org", "Path"), "");
    EXPECT_FALSE(ini.integer("org", "Path")) << "empty text is no number";
    EXPECT_FALSE(ini.text("org", "Missing"));
    EXPECT_EQ(ini.integer("other", "Web_X"), 1);
    EXPECT_EQ(ini.keys("org"), (std::vector<std::string>{"Web_X", "Gun6_Num", "Web", "Path"}));
}

TEST(IniFile, DecimalConversion) {
    struct Case {
        const char* text;
        std::optional<long> value;
    } cases[] = {{"0", 0},
                 {"-3", -3},
                 {"+5", 5},
                 {" 12 ", 12},
                 {"", std::nullopt},
                 {"1a", std::nullopt},
                 {"0x10", std::nullopt},
                 {"- 3", std::nullopt},
                 {"abc", std::nullopt}};
    for (const auto& c : cases) EXPECT_EQ(parseDecimal(c.text), c.value) << '"' << c.text << '"';
}

} // namespace krm
