#include "shell/LanguageTableReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace krm {

namespace {
// UTF-16LE bytes of a text given as code units, with the byte-order mark in front.
std::vector<std::uint8_t> utf16(std::u16string_view text, bool bom = true) {
    std::vector<std::uint8_t> out;
    if (bom) out = {0xFF, 0xFE};
    for (char16_t u : text) {
        out.push_back(static_cast<std::uint8_t>(u & 0xFF));
        out.push_back(static_cast<std::uint8_t>(u >> 8));
    }
    return out;
}
} // namespace

TEST(LanguageTableReader, ConvertsUtf16ToUtf8AndReplacesMalformedUnits) {
    struct Case {
        std::vector<std::uint8_t> bytes;
        std::string utf8;
    } cases[] = {
        {utf16(u"Left Click", false), "Left Click"},
        {utf16(u"\u00B7\u81F3\u5C11", false), "\u00B7\u81F3\u5C11"}, // two- and three-byte forms
        {utf16(u"\xD83D\xDDB1", false), "\U0001F5B1"},               // surrogate pair
        {utf16(u"a\xD83D\x0062", false), "a\uFFFDb"},                // high surrogate alone
        {utf16(u"a\xDDB1", false), "a\uFFFD"},                       // low surrogate alone
        {utf16(u"a\xD83D", false), "a\uFFFD"},                       // high surrogate at the end
        {{'a', 0, 'b'}, "a\uFFFD"},                                  // odd trailing byte
        {{}, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(utf16LeToUtf8(c.bytes), c.utf8) << c.utf8;
}

TEST(LanguageTableReader, SplitsItemsOnBlanksAndKeepsQuotedRunsWhole) {
    using Items = std::vector<std::string>;
    EXPECT_EQ(splitLanguageItems("[lang1]\r\n\r\n\"Str210=Left Click\"\r\n\"Str101=\"\r\n"),
              (Items{"[lang1]", "Str210=Left Click", "Str101="}));
    EXPECT_EQ(splitLanguageItems("  a=b\tc=d e  "), (Items{"a=b", "c=d", "e"}));
    EXPECT_EQ(splitLanguageItems("\"Str700=Press \"\"Middle\"\" Key\" \"x=\"\"\""),
              (Items{"Str700=Press \"Middle\" Key", "x=\""}))
        << "a doubled quote inside a quoted run is one quote";
    EXPECT_EQ(splitLanguageItems("\"Str1=open to the end"), (Items{"Str1=open to the end"}));
}

TEST(LanguageTableReader, ParsesSectionsAndSplitsEntriesAtTheFirstEquals) {
    auto table = parseLanguageTable(utf16(u"\"Str001=before any section\"\r\n"
                                          u"[lang2]\r\n"
                                          u"\"Str101=\"\r\n"
                                          u"\"Str704=Press 'CPI -' 3s Switch Mode A/B\"\r\n"
                                          u"\"Str500=a=b \"\"c\"\"\"\r\n"
                                          u"no-equals-sign\r\n"
                                          u"\"Str294=\u81F3\u5C11\u4FDD\u7559\u4E00\u4E2A\u5DE6\u952E\"\r\n"
                                          u"\"Str101=second copy is ignored\"\r\n"));
    EXPECT_EQ(table.text("lang2", "Str101"), "");
    EXPECT_EQ(table.text("lang2", "Str704"), "Press 'CPI -' 3s Switch Mode A/B");
    EXPECT_EQ(table.text("lang2", "Str500"), "a=b \"c\"");
    EXPECT_EQ(table.text("lang2", "Str294"), "\u81F3\u5C11\u4FDD\u7559\u4E00\u4E2A\u5DE6\u952E");
    EXPECT_EQ(table.keys("lang2"), (std::vector<std::string>{"Str101", "Str704", "Str500", "Str294"}));
    EXPECT_FALSE(table.hasSection(""));

    // Without a byte-order mark the first two bytes are skipped all the same.
    auto noMark = parseLanguageTable(utf16(u"x[lang1] \"Str1=a\"", false));
    EXPECT_EQ(noMark.text("lang1", "Str1"), "a");
    EXPECT_TRUE(parseLanguageTable(std::vector<std::uint8_t>{0xFF}).keys("lang1").empty());
}

} // namespace krm
