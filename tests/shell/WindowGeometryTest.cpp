#include "shell/WindowGeometry.h"

#include <gtest/gtest.h>

namespace krm {

TEST(WindowGeometry, CentresWithIntegerDivisionTowardZero) {
    struct Case {
        int screen, window, offset;
    } cases[] = {{1920, 1030, 445}, {1921, 1030, 445}, {1030, 1030, 0}, {800, 1030, -115}, {801, 1030, -114}};
    for (const auto& c : cases) EXPECT_EQ(centredOffset(c.screen, c.window), c.offset) << c.screen;
}

} // namespace krm
