#include "base/ResourceTable.h"
#include "base/PngImage.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace krm {

TEST(ResourceTable, FindsResourcesByNameIgnoringCase) {
    auto exact = ResourceTable::find("L1_BackGround");
    ASSERT_TRUE(exact);
    EXPECT_GT(exact->size(), 8u);
    auto folded = ResourceTable::find("l1_background");
    ASSERT_TRUE(folded);
    EXPECT_EQ(exact->data(), folded->data());
    EXPECT_FALSE(ResourceTable::find("NoSuchPicture"));
}

TEST(ResourceTable, EmbedsTheChosenBrandingAsOrg) {
    auto org = ResourceTable::find("org");
    ASSERT_TRUE(org);
    std::string text(org->begin(), org->end());
    EXPECT_NE(text.find("[org]"), std::string::npos);
    auto names = ResourceTable::names();
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
}

TEST(ResourceTable, BackgroundPictureGivesTheWindowSize) {
    PngImage background = PngImage::fromResource("L1_BackGround");
    ASSERT_FALSE(background.isNull()) << background.error();
    EXPECT_EQ(background.width(), 1030);
    EXPECT_EQ(background.height(), 662);
}

} // namespace krm
