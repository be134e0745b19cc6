#include "shell/TextRolling.h"

#include <gtest/gtest.h>

namespace krm {

TEST(TextRolling, RollsByCharacterWithOneGap) {
    struct Case {
        const char* caption;
        int ticks;
        const char* shown;
    } cases[] = {
        {"A", 1, "    A"},
        {"Game", 1, "ame    G"},
        {"Game", 2, "me    Ga"},
        {"Game", 8, "Game    "},
        {"Game", 9, "ame    G"},                                         // round again, without a second gap
        {"\xE6\xB8\xB8\xE6\x88\x8F", 1, "\xE6\x88\x8F    \xE6\xB8\xB8"}, // two CJK characters
    };
    for (const Case& c : cases) {
        TextRolling r;
        r.enter(c.caption);
        for (int i = 0; i < c.ticks; ++i) r.tick();
        EXPECT_EQ(r.rolled(), c.shown) << c.caption << " after " << c.ticks;
    }
}

TEST(TextRolling, TickCounterWrapsWithoutAddingAnotherGap) {
    TextRolling r;
    r.enter("Macro");
    for (int i = 0; i < 20; ++i) r.tick();
    EXPECT_EQ(r.ticks(), 20);
    r.tick();
    EXPECT_EQ(r.ticks(), 2);
    // 21 moves over a 9-character cycle ("Macro" plus four spaces): three characters in.
    EXPECT_EQ(r.rolled(), "ro    Mac");
}

TEST(TextRolling, LeavingGivesTheCaptionBackAndResetTakesANewOne) {
    TextRolling r;
    EXPECT_EQ(r.leave(), "");
    r.enter("English");
    r.tick();
    r.reset("Spanish");
    EXPECT_EQ(r.rolled(), "Spanish");
    r.tick();
    EXPECT_EQ(r.rolled(), "panish    S");
    EXPECT_EQ(r.leave(), "Spanish");
    EXPECT_FALSE(r.active());
    EXPECT_EQ(r.tick(), ""); // nothing rolls after leaving
}

} // namespace krm
