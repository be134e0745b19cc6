#include "buttons/MenuLayout.h"

#include <gtest/gtest.h>

namespace krm {
namespace {

TEST(MenuLayout, SizesFollowThePageAndBranding) {
    struct Case {
        MenuPage page;
        MenuBranding branding;
        MenuSizes sizes;
    };
    const MenuBranding plain{}, be{false, true}, gd{true, false}, gdBe{true, true};
    const MenuBranding noThird{false, false, true, false}, noGame{false, false, false, false};
    const Case cases[] = {
        {MenuPage::OfficeMode, plain, {170, 218, 98, 217, 289}},
        {MenuPage::OfficeMode, be, {170, 242, 98, 289, 217}},
        {MenuPage::ThirdMode, gdBe, {170, 242, 98, 289, 217}},
        {MenuPage::GameMode, plain, {170, 218, 98, 217, 289}},
        {MenuPage::GameMode, gd, {194, 290, 98, 217, 289}},
        {MenuPage::GameMode, gdBe, {194, 314, 98, 217, 289}},
        {MenuPage::GameMode, noThird, {170, 218, 50, 217, 289}},
        {MenuPage::OfficeMode, noGame, {170, 218, 0, 217, 289}},
        {MenuPage::GameMode, noGame, {170, 218, 50, 217, 289}},
        {MenuPage::Engineering, noGame, {194, 314, 98, 217, 289}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(&c - cases));
        EXPECT_EQ(menuSizes(c.page, c.branding), c.sizes);
    }
}

TEST(MenuLayout, PlacesTheMenuInsideTheWindow) {
    const MenuRect window{0, 0, 800, 600};
    const MenuSize menu{150, 194};
    // Corner at the label's middle; flipped left and up near the right and bottom edges.
    EXPECT_EQ(placeMenuAtLabel({100, 100, 60, 20}, menu, window), (MenuPoint{130, 110}));
    EXPECT_EQ(placeMenuAtLabel({600, 400, 50, 20}, menu, window), (MenuPoint{625 - 150, 410 - 194}));
    EXPECT_EQ(placeMenuAtLabel({590, 386, 60, 20}, menu, window), (MenuPoint{620 - 150, 396 - 194}))
        << "exactly reaching the edge flips";

    // Table buttons: 10 px right of the left edge, or right-aligned 10 px past the right edge.
    EXPECT_EQ(placeMenuAtTableButton({20, 30, 80, 25}, {0, 40}, 100, 700, menu),
              (MenuPoint{30, 100 + 40 + 30 + 38 - 194}));
    EXPECT_EQ(placeMenuAtTableButton({560, 30, 80, 25}, {0, 40}, 100, 700, menu),
              (MenuPoint{560 + 80 + 10 - 150, 14}));
    EXPECT_EQ(placeMenuAtTableButton({20, 30, 80, 25}, {500, 40}, 100, 700, menu), (MenuPoint{530, 14}));
    EXPECT_EQ(placeMenuAtTableButton({100, 30, 80, 25}, {500, 40}, 100, 700, menu),
              (MenuPoint{600 + 80 + 10 - 150, 14}))
        << "the group box's left counts";

    // Submenus: right of the item while the whole cascade fits, else left of the parent; raised at the
    // bottom.
    const MenuRect parent{100, 100, 150, 194}, item{0, 25, 150, 24};
    EXPECT_EQ(placeSubmenu(parent, item, {150, 218}, 100, 450, window), (MenuPoint{252, 125}));
    EXPECT_EQ(placeSubmenu(parent, item, {150, 218}, 400, 450, window), (MenuPoint{-50, 125}));
    EXPECT_EQ(placeSubmenu({100, 400, 150, 194}, item, {150, 218}, 100, 450, window),
              (MenuPoint{252, 449 - 218}));
}

// A window partly off its screen: the menus open in the part that shows.
TEST(MenuLayout, PlacesTheMenuOnTheScreenPartOfTheWindow) {
    const MenuSize menu{150, 194};
    const struct {
        const char* what;
        MenuRect room, label;
        MenuPoint expected;
    } cases[] = {
        {"right edge off the screen: flipped left", {0, 0, 400, 600}, {200, 100, 100, 20}, {100, 110}},
        {"bottom off the screen: flipped up", {0, 0, 800, 300}, {100, 200, 60, 20}, {130, 210 - 194}},
        {"left part off the screen: not flipped past it",
         {300, 0, 500, 600},
         {620, 100, 100, 20},
         {520, 110}},
        {"room too narrow to flip: at its left edge", {300, 0, 200, 600}, {310, 100, 100, 20}, {300, 110}},
        {"top off the screen: not raised past it", {0, 250, 800, 200}, {100, 300, 60, 20}, {130, 250}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(placeMenuAtLabel(c.label, menu, c.room), c.expected);
    }
    const MenuRect parent{100, 100, 150, 194}, item{0, 25, 150, 24};
    // The cascade from x 100 (450 wide) does not fit a room ending at 500: the submenu opens left.
    EXPECT_EQ(placeSubmenu(parent, item, {150, 218}, 100, 450, {0, 0, 500, 600}), (MenuPoint{-50, 125}));
    // A room ending at y 300 raises it, but not above the room's top.
    EXPECT_EQ(placeSubmenu(parent, item, {150, 218}, 100, 450, {0, 50, 800, 250}), (MenuPoint{252, 50}));
}

TEST(MenuCascade, ShowsOneBranchAtATime) {
    MenuCascade menu;
    menu.open();
    menu.enter(MenuPanel::Main, 2);
    menu.enter(MenuPanel::Special, 7);
    EXPECT_TRUE(menu.isShown(MenuPanel::Special));
    EXPECT_TRUE(menu.isShown(MenuPanel::CPIKey));

    menu.enter(MenuPanel::Special, 10);
    EXPECT_FALSE(menu.isShown(MenuPanel::CPIKey));
    EXPECT_TRUE(menu.isShown(MenuPanel::Profile));

    menu.enter(MenuPanel::Special, 1000); // a leaf of Pnl_Special closes the third level only
    EXPECT_FALSE(menu.isShown(MenuPanel::Profile));
    EXPECT_TRUE(menu.isShown(MenuPanel::Special));

    menu.enter(MenuPanel::Main, 6, false); // an empty macro list does not open
    EXPECT_FALSE(menu.isShown(MenuPanel::Special));
    EXPECT_FALSE(menu.isShown(MenuPanel::MacroList));
    menu.enter(MenuPanel::Main, 6, true);
    EXPECT_TRUE(menu.isShown(MenuPanel::MacroList));

    menu.enter(MenuPanel::Main, 0); // a leaf of Pnl_Main closes every submenu
    EXPECT_FALSE(menu.isShown(MenuPanel::MacroList));
    EXPECT_TRUE(menu.isShown(MenuPanel::Main));
    menu.hideAll();
    EXPECT_FALSE(menu.isShown(MenuPanel::Main));
}

} // namespace
} // namespace krm
