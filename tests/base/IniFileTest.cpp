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

TEST(IniFile, LinesKeepTheirNumbers) {
    // CRLF, CR and LF each end one line; blank lines and comments count but are not returned.
    const char* text = "; comment\r\n"
                       "[a]\r\n"
                       "\r\n"
                       " key = v = w \r"
                       "// note\n"
                       "[open\n"
                       "stray text";
    const auto lines = iniLines(text);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].kind, IniLine::Kind::Section);
    EXPECT_EQ(lines[0].number, 2);
    EXPECT_EQ(lines[0].name, "a");
    EXPECT_EQ(lines[1].kind, IniLine::Kind::Entry);
    EXPECT_EQ(lines[1].number, 4);
    EXPECT_EQ(lines[1].key, "key");
    EXPECT_EQ(lines[1].value, "v = w");
    EXPECT_EQ(lines[2].number, 6);
    EXPECT_EQ(lines[2].name, "open");
    EXPECT_FALSE(lines[2].closed);
    EXPECT_EQ(lines[3].kind, IniLine::Kind::Other);
    EXPECT_EQ(lines[3].number, 7);
    EXPECT_EQ(lines[3].text, "stray text");
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
