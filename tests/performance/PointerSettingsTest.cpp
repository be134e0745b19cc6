#include "performance/PointerSettings.h"

#include <gtest/gtest.h>

namespace krm {
namespace {

TEST(PointerSteps, TablesAndReverseMaps) {
    struct Case {
        int step, speed, doubleClick;
    };
    for (const Case& c :
         {Case{1, 1, 900}, Case{2, 2, 830}, Case{6, 10, 550}, Case{7, 12, 480}, Case{11, 20, 200}}) {
        SCOPED_TRACE(c.step);
        EXPECT_EQ(speedForStep(c.step), c.speed);
        EXPECT_EQ(doubleClickForStep(c.step), c.doubleClick);
        EXPECT_EQ(stepForSpeed(c.speed), c.step);
        EXPECT_EQ(stepForDoubleClick(c.doubleClick), c.step);
    }
    struct Back {
        int value, step;
    };
    for (const Back& b : {Back{0, 1}, Back{3, 2}, Back{9, 5}, Back{10, 6}, Back{11, 6}, Back{13, 7},
                          Back{19, 10}, Back{21, 6}, Back{-4, 6}})
        EXPECT_EQ(stepForSpeed(b.value), b.step) << "speed " << b.value;
    for (const Back& b :
         {Back{5000, 1}, Back{900, 1}, Back{899, 2}, Back{830, 2}, Back{829, 3}, Back{500, 7}, Back{480, 7},
          Back{479, 8}, Back{270, 10}, Back{269, 11}, Back{0, 11}, Back{-30, 11}})
        EXPECT_EQ(stepForDoubleClick(b.value), b.step) << "double-click " << b.value;
    for (const Back& b : {Back{0, 3}, Back{3, 3}, Back{1, 1}, Back{9, 9}, Back{10, 10}, Back{11, 11},
                          Back{12, 10}, Back{-5, 10}})
        EXPECT_EQ(stepForScrollLines(b.value), b.step) << "lines " << b.value;
    for (const Back& b : {Back{-30, 1}, Back{-7, 1}, Back{19, 1}, Back{20, 2}, Back{45, 2}, Back{46, 3},
                          Back{279, 11}, Back{300, 11}})
        EXPECT_EQ(pointerSliderStep(b.value), b.step) << "x " << b.value;
}

class PointerPanelTest : public ::testing::Test {
protected:
    MemoryPointerSettings desktop_;
    PointerPanel panel_{desktop_};
};

TEST_F(PointerPanelTest, UnreadableValuesTakeTheirDefaults) {
    ASSERT_TRUE(panel_.load());
    EXPECT_EQ(panel_.speedStep(), 11);
    EXPECT_FALSE(panel_.precision());
    EXPECT_EQ(panel_.doubleClickStep(), 7);
    EXPECT_EQ(panel_.scrollStep(), 2);
    EXPECT_FALSE(panel_.oneScreen());
    EXPECT_TRUE(desktop_.applied.empty());

    desktop_.reading.reset();
    EXPECT_FALSE(panel_.load());
    EXPECT_FALSE(panel_.loaded());
}

TEST_F(PointerPanelTest, EveryEditAppliesAllFourValues) {
    desktop_.reading = PointerReading{10, AccelTriple{0, 6, 0}, 500, 0};
    ASSERT_TRUE(panel_.load());
    EXPECT_EQ(panel_.speedStep(), 6);
    EXPECT_TRUE(panel_.precision());
    EXPECT_EQ(panel_.doubleClickStep(), 7);
    EXPECT_EQ(panel_.scrollStep(), 3);

    panel_.setSpeedStep(6);
    panel_.setDoubleClickStep(7);
    panel_.togglePrecision();
    panel_.setScrollStep(pointerSliderStep(20));
    EXPECT_EQ(desktop_.applied, (std::vector<PointerValues>{{10, kPrecisionOn, 480, 3},
                                                            {10, kPrecisionOn, 480, 3},
                                                            {10, kPrecisionOff, 480, 3},
                                                            {10, kPrecisionOff, 480, 2}}));
}

TEST_F(PointerPanelTest, OneScreenModeRemembersTheScrollStep) {
    // Started in one-screen mode: switching it off gives one line.
    desktop_.reading = PointerReading{20, kPrecisionOn, 900, kOneScreen};
    ASSERT_TRUE(panel_.load());
    EXPECT_TRUE(panel_.oneScreen());
    panel_.toggleOneScreen();
    EXPECT_EQ(desktop_.applied.back().scrollLines, 1);
    // A step chosen, one-screen on and off again: the step comes back.
    panel_.setScrollStep(8);
    panel_.toggleOneScreen();
    EXPECT_EQ(desktop_.applied.back().scrollLines, kOneScreen);
    EXPECT_EQ(panel_.scrollStep(), 8);
    panel_.toggleOneScreen();
    EXPECT_EQ(desktop_.applied.back().scrollLines, 8);
}

} // namespace
} // namespace krm
