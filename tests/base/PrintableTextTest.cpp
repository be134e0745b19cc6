#include "base/PrintableText.h"

#include <gtest/gtest.h>

namespace krm {

TEST(PrintableText, WhatATerminalWouldActOnIsEscaped) {
    const struct {
        const char* name;
        std::string text;
        const char* shown;
    } cases[] = {
        {"printable ASCII", "level2 = 1600 ; a \"comment\"", "level2 = 1600 ; a \"comment\""},
        {"a Windows path keeps its backslashes", "C:\\Games\\x.exe", "C:\\Games\\x.exe"},
        {"UTF-8 text", "游戏模式 é", "游戏模式 é"},
        {"a retitle and a clear", "\x1B]0;owned\x07\x1B[2J", "\\x1B]0;owned\\x07\\x1B[2J"},
        {"line ends and tabs", "a\r\nb\tc", "a\\r\\nb\\tc"},
        {"DEL", "\x7F", "\\x7F"},
        {"a C1 control starts a sequence too",
         "\xC2\x9B"
         "31m",
         "\\u009B31m"},
        {"bytes that are no UTF-8", "\xFF\xFE\xC3", "\\xFF\\xFE\\xC3"},
        {"an overlong encoding", "\xC0\xAF", "\\xC0\\xAF"},
        {"a surrogate", "\xED\xA0\x80", "\\xED\\xA0\\x80"},
        {"text turned round",
         "abc\xE2\x80\xAE"
         "cba",
         "abc\\u202Ecba"},
        {"a byte-order mark", "\xEF\xBB\xBFx", "\\uFEFFx"},
    };
    for (const auto& c : cases) EXPECT_EQ(printable(c.text), c.shown) << c.name;
    EXPECT_EQ(printableMessage("one\n\ttwo\x1B[K\n"), "one\n\ttwo\\x1B[K\n")
        << "a message keeps its own lines";
    EXPECT_EQ(withoutByteOrderMark("\xEF\xBB\xBF[x]"), "[x]");
    EXPECT_EQ(withoutByteOrderMark("[x]"), "[x]");
}

} // namespace krm
