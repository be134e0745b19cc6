#include "fire/FireFields.h"
#include "fire/FireMacroLines.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace krm {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(FireFields, FieldRulesClampToTheNearestAllowedValue) {
    struct Case {
        const char* what;
        std::function<std::string(std::string_view)> rule;
        const char* typed;
        const char* shown;
    };
    const auto movementWith = [](int other) {
        return [other](std::string_view t) { return fire::movementField(t, other); };
    };
    const Case cases[] = {
        {"repeat 1 while typing", fire::repeatWhileTyping, "1", "1"},
        {"repeat 1 left", fire::repeatOnLeave, "1", "1"},
        {"repeat 0 left", fire::repeatOnLeave, "0", "1"},
        {"repeat 16, the image's largest", fire::repeatWhileTyping, "16", "16"},
        {"repeat 17", fire::repeatWhileTyping, "17", "16"},
        {"repeat 17 left", fire::repeatOnLeave, "17", "16"},
        {"repeat empty", fire::repeatWhileTyping, "", "1"},
        {"user interval 0", fire::userInterval, "0", "1"},
        {"user interval 5000", fire::userInterval, "5000", "4094"},
        {"engineering interval 5000", fire::engineeringInterval, "5000", "4094"},
        {"engineering interval 0", fire::engineeringInterval, "0", "0"},
        {"count 300", fire::countField, "300", "255"},
        {"count empty", fire::countField, "", "0"},
        {"stage interval 70000", fire::stageIntervalField, "70000", "65535"},
        {"stage interval of many digits", fire::stageIntervalField, "99999999999999", "65535"},
        {"X 100 with adjustment 50", movementWith(50), "100", "77"},
        {"X -100 with adjustment -50", movementWith(-50), "-100", "-78"},
        {"a lone minus while typing", movementWith(0), "-", "-"},
        {"X 200", movementWith(0), "200", "127"},
        {"X -300", movementWith(0), "-300", "-128"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.rule(c.typed), c.shown) << c.what;
}

TEST(FireFields, CodesOfSlotsAndGuns) {
    EXPECT_EQ(fire::fireKeyCode(15, 4094, true), (CodeBytes{0x06, 0x9E, 0x0F, 0xFE}));
    EXPECT_EQ(fire::fireKeyCode(3, 60, false), (CodeBytes{0x06, 0x12, 0x00, 0x3C}));
    EXPECT_EQ(fire::gunCode(7, 2, true, 0x08), (CodeBytes{0x0B, 0x17, 0x02, 0x08}));
    EXPECT_EQ(fire::gunCode(6, 3, false, 0x00), (CodeBytes{0x0B, 0x05, 0x02, 0x00}))
        << "gun 6 owns two macros";
    EXPECT_EQ(fire::gunCode(3, 2, false, 0x02), (CodeBytes{0x0B, 0x02, 0x01, 0x02}));
}

TEST(FireFields, ParsingABodyFindsCountMovementAndInterval) {
    // The R210B factory body: press, 1 ms, repeat { move 0,+1; 40 ms }, release, 1 ms.
    const Bytes factory{0xA1, 0xFE, 0x00, 0x01, 0xFD, 0x00, 0x04, 0x00, 0x01, 0xFE, 0x00, 0x28,
                        0xFC, 0x21, 0xFE, 0x00, 0x01, 0,    0,    0,    0,    0,    0,    0};
    const auto p = fire::parseBody(factory);
    EXPECT_EQ(p.at.count, 5u);
    EXPECT_EQ(p.at.x, 7u);
    EXPECT_EQ(p.at.y, 8u);
    EXPECT_EQ(p.at.interval, 10u) << "the first delay after the movement, not the 1 ms before it";
    EXPECT_EQ(p.y, 1);
    EXPECT_EQ(p.interval, 40);

    const auto empty = fire::parseBody(Bytes(32, 0));
    EXPECT_FALSE(empty.at.count || empty.at.x || empty.at.y || empty.at.interval);

    // A movement cut off by the body's end is not read past it.
    Bytes cut(24, 0);
    cut[22] = 0x04;
    cut[23] = 0x05;
    EXPECT_FALSE(fire::parseBody(cut).at.x);
}

InputEvent left(bool down, std::uint64_t ms) {
    InputEvent e;
    e.kind = down ? InputEvent::Kind::ButtonDown : InputEvent::Kind::ButtonUp;
    e.timeMs = ms;
    return e;
}

TEST(FireMacroRecorder, RecordsLeftButtonTimingIntoABody) {
    FireMacroRecorder rec;
    rec.start(FireMacroRecorder::Mode::RealTime, 0, 23);
    InputEvent key;
    key.kind = InputEvent::Kind::KeyDown;
    rec.feed(key);
    rec.feed(left(true, 1000));
    rec.feed(left(false, 1040));
    EXPECT_EQ(fire_lines::toBody(rec.lines()), (Bytes{0xA1, 0xFE, 0x00, 0x28, 0x21, 0x00}));

    rec.start(FireMacroRecorder::Mode::Fixed, 70000, 23);
    rec.feed(left(true, 0));
    rec.feed(left(false, 5));
    EXPECT_EQ(fire_lines::toBody(rec.lines()), (Bytes{0xA1, 0xFE, 0xFF, 0xFF, 0x21, 0x00}));

    // A body of 24 bytes holds 23 and the terminator: five press/release pairs with delays fill it.
    rec.start(FireMacroRecorder::Mode::RealTime, 0, 23);
    bool stopped = false;
    for (int i = 0; i < 12 && !stopped; ++i) stopped = rec.feed(left(i % 2 == 0, 10u * i));
    EXPECT_TRUE(stopped);
    EXPECT_LE(fire_lines::toBody(rec.lines()).size(), 24u);
}

TEST(FireMacroLines, BodyToLinesAndBack) {
    const Bytes body{0xFD, 0x05, 0xA1, 0x21, 0x04, 0xFB, 0x06, 0xFE, 0x00, 0x01, 0xFC, 0x00, 0x00, 0x00};
    const auto lines = fire_lines::fromBody(body);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0].text(), "7 FD05");
    EXPECT_EQ(lines[3].text(), "3 04FB06");
    EXPECT_EQ(lines[4].text(), "0 1");
    EXPECT_EQ(fire_lines::toBody(lines), Bytes(body.begin(), body.end() - 2));
}

TEST(FireMacroLines, DeletingKeepsPressAndReleaseTogether) {
    using K = FireLine::Kind;
    auto make = [] {
        return std::vector<FireLine>{{K::Press},          {K::Delay, 40},     {K::Release},
                                     {K::RepeatStart, 3}, {K::Move, 0, 1, 2}, {K::RepeatStop}};
    };
    struct Case {
        int index;
        bool removed;
        std::size_t left;
        int selection;
    };
    const Case cases[] = {
        {0, true, 4, 0},  // the press with its release
        {2, true, 4, 0},  // the release with its press
        {1, true, 5, 0},  // a delay alone
        {5, true, 5, 4},  // a repeat stop alone
        {3, false, 6, 3}, // a repeat start would leave its stop alone: nothing
    };
    for (const auto& c : cases) {
        auto lines = make();
        const auto r = fire_lines::remove(lines, c.index);
        EXPECT_EQ(r.removed, c.removed) << c.index;
        EXPECT_EQ(lines.size(), c.left) << c.index;
        EXPECT_EQ(r.selection, c.selection) << c.index;
        EXPECT_EQ(r.error.empty(), c.removed) << c.index;
    }
    std::vector<FireLine> unpaired{{K::Delay, 5}, {K::Press}, {K::Press}, {K::Release}};
    const auto r = fire_lines::remove(unpaired, 1);
    EXPECT_EQ(r.error, "Macro Content Error");
    EXPECT_EQ(unpaired.size(), 4u) << "a press whose nearest partner is another press removes nothing";
}

TEST(FireMacroLines, InsertedValuesAreClamped) {
    std::vector<FireLine> lines{{FireLine::Kind::Press}};
    EXPECT_EQ(fire_lines::insert(lines, 0, fire_lines::Insert::DelayAfter, 0), 1);
    EXPECT_EQ(lines[1].value, 1);
    fire_lines::insert(lines, 0, fire_lines::Insert::DelayBefore, 70000);
    EXPECT_EQ(lines[0].value, 65535);
    fire_lines::insert(lines, 0, fire_lines::Insert::MoveBefore, 0, 300, -300);
    EXPECT_EQ(lines[0].text(), "3 047F80");
    std::vector<FireLine> none;
    EXPECT_EQ(fire_lines::insert(none, 3, fire_lines::Insert::RepeatStopAfter, 0), 0);
}

} // namespace
} // namespace krm
