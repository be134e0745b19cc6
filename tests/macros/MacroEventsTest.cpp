#include "macros/MacroEvents.h"

#include <gtest/gtest.h>

#include <vector>

namespace krm {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Kind = RepeatOption::Kind;

const MacroRow kAPress = MacroRow::keyEvent(0x82, 0x04);
const MacroRow kARelease = MacroRow::keyEvent(0x02, 0x04);

TEST(MacroRows, CompileToTheStoredBytes) {
    struct Case {
        const char* what;
        std::vector<MacroRow> rows;
        RepeatOption repeat;
        Bytes bytes;
    };
    const std::vector<Case> cases = {
        {"A recorded with no delay", {kAPress, kARelease}, {}, {0x82, 0x04, 0x02, 0x04, 0x00}},
        {"three cycles",
         {kAPress, kARelease},
         {Kind::Cycles, 3},
         {0xFD, 0x03, 0x82, 0x04, 0x02, 0x04, 0xFC, 0x00}},
        {"until released",
         {kAPress, kARelease},
         {Kind::UntilReleased, 1},
         {0xFD, 0x00, 0x82, 0x04, 0x02, 0x04, 0xFC, 0x00}},
        {"delay, click, move",
         {MacroRow::delay(300), MacroRow::mouseButton(0xA1), MacroRow::mouseButton(0x21),
          MacroRow::move(-1, 5)},
         {},
         {0xFE, 0x01, 0x2C, 0xA1, 0x21, 0x04, 0xFF, 0x05, 0x00}},
        {"Ctrl",
         {MacroRow::keyEvent(0x81, 0x01), MacroRow::keyEvent(0x01, 0x01)},
         {},
         {0x81, 0x01, 0x01, 0x01, 0x00}},
        {"no rows", {}, {}, {0x00}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto compiled = compileMacroRows(c.rows, c.repeat);
        ASSERT_TRUE(compiled);
        EXPECT_EQ(*compiled, c.bytes);
        const MacroRows back = buildMacroRows(*compiled);
        EXPECT_EQ(back.rows, c.rows);
        if (c.repeat.kind == Kind::Cycles) {
            EXPECT_EQ(back.repeat, c.repeat);
        } else {
            EXPECT_EQ(back.repeat.kind, c.repeat.kind);
        }
    }
}

TEST(MacroRows, TextsAreTheEditorsRowTexts) {
    EXPECT_EQ(kAPress.text(), "1 A CODE:8204");
    EXPECT_EQ(kARelease.text(), "2 A CODE:0204");
    EXPECT_EQ(MacroRow::keyEvent(0x81, 0x01).text(), "1 Ctrl CODE:8101");
    EXPECT_EQ(MacroRow::mouseButton(0x30).text(), "2 Backward CODE:0030");
    EXPECT_EQ(MacroRow::mouseButton(0xA8).text(), "1 Forward CODE:00A8");
    EXPECT_EQ(MacroRow::delay(20).text(), "0 20");
    EXPECT_EQ(MacroRow::move(-1, 5).text(), "3 04FF05");
    EXPECT_EQ(MacroRow::move(-1, 5).caption(), "X: -1  Y: 5");
}

TEST(MacroRows, AStreamTooLongForTheBufferIsRefused) {
    std::vector<MacroRow> rows(85, MacroRow::delay(1)); // 255 bytes + terminator: fits
    EXPECT_TRUE(compileMacroRows(rows, {}));
    EXPECT_FALSE(compileMacroRows(rows, {Kind::Cycles, 2}));
}

TEST(MacroRows, BuildingSkipsMarkersAndUnknownModifiersAndReadsTheDelayMode) {
    const Bytes events = {0xFD, 0x07, 0x81, 0x40, 0xFE, 0x00, 0x1E, 0x82, 0x04, 0xFC, 0x00};
    const MacroRows r = buildMacroRows(events);
    ASSERT_EQ(r.rows.size(), 2u); // the modifier bit 0x40 names no key
    EXPECT_EQ(r.rows[1], kAPress);
    EXPECT_EQ(r.repeat, (RepeatOption{Kind::Cycles, 7}));

    struct Case {
        std::vector<std::uint16_t> delays;
        DelayMode mode;
        std::uint16_t fixed;
    };
    for (const Case& c : std::vector<Case>{{{30, 30, 30, 30, 90}, DelayMode::Fixed, 30},
                                           {{30, 40}, DelayMode::Recorded, 0},
                                           {{25}, DelayMode::Fixed, 25},
                                           {{0, 0}, DelayMode::None, 0},
                                           {{}, DelayMode::None, 0}}) {
        std::vector<MacroRow> rows;
        for (auto d : c.delays) rows.push_back(MacroRow::delay(d)), rows.push_back(kAPress);
        const MacroRows built = buildMacroRows(*compileMacroRows(rows, {}));
        EXPECT_EQ(built.delayMode, c.mode) << c.delays.size();
        EXPECT_EQ(built.fixedDelay, c.fixed);
    }
}

TEST(MacroRows, RepeatOptionGoesIntoAnExistingStream) {
    const Bytes a = {0x82, 0x04, 0x02, 0x04, 0x00};
    EXPECT_EQ(*applyRepeatOption(a, {Kind::Cycles, 3}),
              (Bytes{0xFD, 0x03, 0x82, 0x04, 0x02, 0x04, 0xFC, 0x00}));
    const Bytes repeated = {0xFD, 0x03, 0x82, 0x04, 0x02, 0x04, 0xFC, 0x00};
    EXPECT_EQ(*applyRepeatOption(repeated, {Kind::UntilReleased, 1}),
              (Bytes{0xFD, 0x00, 0x82, 0x04, 0x02, 0x04, 0xFC, 0x00}));
    Bytes full(255, 0xA1);
    full.push_back(0x00);
    EXPECT_FALSE(applyRepeatOption(full, {Kind::Cycles, 2}));
}

TEST(MacroEventScan, EndsOnEveryInput) {
    // A byte that starts no event ends the macro there; a stream without terminator stops at 256.
    const Bytes unknown = {0x82, 0x04, 0x55, 0x02, 0x04, 0x00};
    EXPECT_EQ(scanEvents(unknown).end, EventScan::End::Unknown);
    EXPECT_EQ(terminatedEvents(unknown), (Bytes{0x82, 0x04, 0x00}));
    const Bytes endless(600, 0xA1);
    EXPECT_EQ(scanEvents(endless).end, EventScan::End::Missing);
    EXPECT_EQ(scanEvents(endless).length, 256u);
    EXPECT_EQ(terminatedEvents(endless).size(), 256u);
    const Bytes cut = {0xFE, 0x01}; // a delay whose bytes run out
    EXPECT_EQ(scanEvents(cut).length, 0u);
    EXPECT_EQ(terminatedEvents(cut), Bytes{0x00});
}

TEST(MacroNames, AreUtf16HighByteFirst) {
    const MacroName ab = macroNameBytes("AB");
    const MacroName expected{0x00, 0x41, 0x00, 0x42};
    EXPECT_EQ(ab, expected);
    EXPECT_EQ(macroNameText(ab), "AB");
    EXPECT_EQ(macroNameText(macroNameBytes("Zürich宏")), "Zürich宏");
    EXPECT_EQ(macroNameText(macroNameBytes("123456789")), "12345678");
    // A character outside the BMP is not cut in half.
    EXPECT_EQ(macroNameText(macroNameBytes("1234567\U0001F600")), "1234567");
    EXPECT_EQ(utf16Length("1234567\U0001F600"), 9u);
}

TEST(MacroRows, DeletingARowTakesItsPartner) {
    const std::vector<MacroRow> rows = {
        MacroRow::keyEvent(0x81, 0x01),
        MacroRow::delay(10),
        kAPress,
        MacroRow::delay(10),
        kARelease,
        MacroRow::keyEvent(0x01, 0x01),
        MacroRow::keyEvent(0x82, 0x05),
    };
    EXPECT_EQ(*rowsDeletedWith(rows, 0), (std::vector<std::size_t>{0, 5})); // Ctrl press and release
    EXPECT_EQ(*rowsDeletedWith(rows, 4), (std::vector<std::size_t>{2, 4})); // A release and press
    EXPECT_EQ(*rowsDeletedWith(rows, 1), (std::vector<std::size_t>{1}));
    EXPECT_FALSE(rowsDeletedWith(rows, 6)); // B is never released: "Macro Content Error"
}

} // namespace
} // namespace krm
