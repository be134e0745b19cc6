#include "macros/DeviceMacros.h"

#include <gtest/gtest.h>

#include <vector>

namespace krm {
namespace {

using Bytes = std::vector<std::uint8_t>;

DeviceMacro macroOf(const char* name, Bytes events) {
    DeviceMacro m;
    m.name = macroNameBytes(name);
    m.events = std::move(events);
    return m;
}

// Events of `count` bytes before `tail`: 3-byte delays, then a click pair for the rest.
Bytes padded(std::size_t count, const Bytes& tail) {
    Bytes out;
    while (count >= 3 && count != 4) out.insert(out.end(), {0xFE, 0x00, 0x01}), count -= 3;
    while (count > 0) out.push_back(count % 2 ? 0xA1 : 0x21), --count;
    out.insert(out.end(), tail.begin(), tail.end());
    return out;
}

TEST(DeviceMacroBlock, EmptyOrErasedBlocksHoldNoMacros) {
    MacroBlock block{};
    EXPECT_EQ(DeviceMacroTable::parse(block).size(), 0u);
    block.fill(0xFF);
    EXPECT_EQ(DeviceMacroTable::parse(block).size(), 0u);
}

TEST(DeviceMacroBlock, RecordsLieBackToBackFromStartAddress512) {
    DeviceMacroTable t;
    t.append(macroOf("First", padded(23, {0x00}))); // 16 + 24 = 40 bytes
    t.append(macroOf("Empty", {0x00}));             // 17 bytes
    t.append(macroOf("AB", {0x82, 0x04, 0x02, 0x04, 0x00}));
    const auto block = t.pack();
    ASSERT_TRUE(block);
    EXPECT_EQ(t.entries()[0].startAddress, 512);
    EXPECT_EQ(t.entries()[1].startAddress, 552);
    EXPECT_EQ(t.entries()[2].startAddress, 569);
    EXPECT_EQ(t.totalLength(), 40u + 17u + 21u);
    const Bytes third(block->begin() + 57, block->begin() + 78);
    EXPECT_EQ(third,
              (Bytes{0, 0x41, 0, 0x42, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x82, 0x04, 0x02, 0x04, 0x00}));
    EXPECT_TRUE(std::all_of(block->begin() + 78, block->end(), [](auto b) { return b == 0; }));

    const DeviceMacroTable read = DeviceMacroTable::parse(*block);
    ASSERT_EQ(read.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(read.entries()[i].events, t.entries()[i].events);
        EXPECT_EQ(read.entries()[i].startAddress, t.entries()[i].startAddress);
    }
}

TEST(DeviceMacroBlock, PageFillerKeepsTwoByteEventsOnOnePage) {
    struct Case {
        const char* what;
        Bytes atOffset255; // the event that would start at block offset 255
        bool filler;
    };
    for (const Case& c : std::vector<Case>{{"key press", {0x82, 0x04}, true},
                                           {"modifier release", {0x01, 0x01}, true},
                                           {"delay", {0xFE, 0x00, 0x10}, true},
                                           {"move", {0x04, 0x01, 0x02}, false},
                                           {"repeat start", {0xFD, 0x00}, false}}) {
        SCOPED_TRACE(c.what);
        Bytes tail = c.atOffset255;
        tail.push_back(0x00);
        DeviceMacroTable t;
        t.append(macroOf("Long", padded(255 - 16, tail)));
        t.append(macroOf("Next", {0xA1, 0x21, 0x00}));
        const std::size_t length = t.entries()[0].recordLength();
        const auto block = t.pack();
        ASSERT_TRUE(block);
        EXPECT_EQ((*block)[255], c.filler ? 0xFC : c.atOffset255[0]);
        EXPECT_EQ((*block)[256], c.filler ? c.atOffset255[0] : c.atOffset255[1]);
        EXPECT_EQ(t.entries()[0].recordLength(), length + (c.filler ? 1 : 0));
        EXPECT_EQ(t.entries()[1].startAddress, 512 + t.entries()[0].recordLength());

        // A read keeps the filler inside the macro and packs back to the same block.
        DeviceMacroTable read = DeviceMacroTable::parse(*block);
        ASSERT_EQ(read.size(), 2u);
        EXPECT_EQ(read.entries()[0].events, t.entries()[0].events);
        EXPECT_EQ(read.pack(), block);
    }
}

TEST(DeviceMacroBlock, AnOperandByteAtOffset255IsNotSplitFromItsEvent) {
    // The high byte of a delay (0x82 = 33 280 ms) lands on 255: the delay stays whole.
    DeviceMacroTable t;
    t.append(macroOf("Slow", padded(254 - 16, {0xFE, 0x82, 0x00, 0x00})));
    const auto block = t.pack();
    ASSERT_TRUE(block);
    EXPECT_EQ((*block)[254], 0xFE);
    EXPECT_EQ((*block)[255], 0x82);
    EXPECT_EQ((*block)[256], 0x00);
}

TEST(DeviceMacroBlock, RecordsMustFitTheBlock) {
    DeviceMacroTable t;
    t.append(macroOf("One", padded(255, {0x00}))); // 272
    t.append(macroOf("Two", padded(223, {0x00}))); // 240: 512 in all
    ASSERT_TRUE(t.pack());
    t.append(macroOf("Three", {0x00})); // 529
    EXPECT_FALSE(t.pack());
    EXPECT_EQ(t.entries()[1].startAddress, 512 + 272); // nothing changed by the failed pack
}

TEST(DeviceMacroBlock, DamagedBlocksEndTheScan) {
    MacroBlock block{};
    const Bytes first = {0, 0x41, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x82, 0x04, 0x77, 0x02};
    std::copy(first.begin(), first.end(), block.begin());
    // 0x77 starts no event: it ends the first macro and the next record starts after it.
    const Bytes second = {0, 0x42, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xA1, 0x21, 0x00};
    std::copy(second.begin(), second.end(), block.begin() + 19);
    const DeviceMacroTable t = DeviceMacroTable::parse(block);
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t.entries()[0].events, (Bytes{0x82, 0x04, 0x00}));
    EXPECT_EQ(t.entries()[1].startAddress, 512 + 19);
    EXPECT_EQ(macroNameText(t.entries()[1].name), "B");

    // A record whose events never end: kept as far as it is whole, and the table ends there.
    MacroBlock endless;
    endless.fill(0xA1);
    const DeviceMacroTable e = DeviceMacroTable::parse(endless);
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e.entries()[0].events.size(), 256u);
    EXPECT_EQ(e.entries()[0].events.back(), 0x00);
}

TEST(DeviceMacroBlock, RunMacroCodeIsTenThenTheStartAddress) {
    EXPECT_EQ(runMacroCode(552), (std::array<std::uint8_t, 4>{0x10, 0x02, 0x28, 0x00}));
}

} // namespace
} // namespace krm
