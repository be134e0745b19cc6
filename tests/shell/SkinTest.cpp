#include "shell/Skin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace krm {
namespace {

struct Rect {
    int x, y, w, h;
    bool operator==(const Rect&) const = default;
};

Rect rectOf(const SkinLayout& layout, const std::string& name) {
    const Placement* p = layout.find(name);
    EXPECT_NE(p, nullptr) << name;
    return p ? Rect{p->x, p->y, p->width, p->height} : Rect{};
}

bool shown(const SkinLayout& layout, const std::string& name) {
    const Placement* p = layout.find(name);
    EXPECT_NE(p, nullptr) << name;
    return p && p->visible;
}

SkinLayout pass(const std::string& body, SkinBranding branding = {}) {
    SkinLayout layout;
    applySkin(IniFile::parse("[org1]\n" + body), 1, branding, PictureSizes::listed(), layout);
    return layout;
}

TEST(SkinRules, KeyLabelsArePlacedBySkinIndexButNamedBySlot) {
    const SkinLayout layout = pass("Key_Width=140\n"
                                   "Key2_Enable=1\nKey2_X=300\nKey2_Y=120\n"
                                   "Key4_Enable=1\nKey4_X=40\nKey4_Y=60\n"
                                   "Key9_Enable=0\nKey9_X=500\nKey9_Y=500\n");
    // Key2_ places slot 4; Key4_ places slot 2; the label takes its picture's height.
    EXPECT_EQ(rectOf(layout, "Img_Key4"), (Rect{300, 120, 140, 30}));
    EXPECT_EQ(rectOf(layout, "Key4"), (Rect{300, 120, 140, 30}));
    EXPECT_EQ(rectOf(layout, "Key2"), (Rect{40, 60, 140, 30}));
    // A disabled label is hidden with its picture, and its position is not taken.
    EXPECT_FALSE(shown(layout, "Key9"));
    EXPECT_FALSE(shown(layout, "Img_Key9"));
    EXPECT_EQ(rectOf(layout, "Key9").x, 0);
}

TEST(SkinRules, PageButtonsInsetTheirLabelsAndDisablingProfileTwoCollapsesTheProfileKeyMenu) {
    const SkinLayout layout = pass("Btn_Space_F=8\nBtn_Space_B=4\nSize_B=10\n"
                                   "Color_B_R=1\nColor_B_G=2\nColor_B_B=3\n"
                                   "Btn_B1_Enable=1\nBtn_B1_X=20\nBtn_B1_Y=80\n"
                                   "Btn_B2_Enable=0\nBtn_B2_X=20\nBtn_B2_Y=116\n"
                                   "Btn_B3_Enable=1\nBtn_B3_X=20\nBtn_B3_Y=152\n"
                                   "Btn_A4_Enable=1\nBtn_A4_X=996\nBtn_A4_Y=18\n");
    for (int copy = 1; copy <= 5; ++copy) {
        const std::string n = std::to_string(copy);
        EXPECT_EQ(rectOf(layout, "Img_Main_" + n), (Rect{20, 80, 111, 30}));
        EXPECT_EQ(rectOf(layout, "Btn_Main_" + n), (Rect{28, 80, 99, 30}));
        EXPECT_FALSE(shown(layout, "Img_Switch_" + n));
        EXPECT_FALSE(shown(layout, "Btn_Switch_" + n));
        EXPECT_EQ(rectOf(layout, "Btn_Exit_" + n), (Rect{996, 18, 20, 20})); // not inset
    }
    const Placement& label = *layout.find("Btn_Main_3");
    EXPECT_EQ(label.page, SkinPage::Lighting);
    EXPECT_EQ(label.fontSize, 10);
    EXPECT_EQ(label.colour, 1u + 256u * 2u + 65536u * 3u);

    EXPECT_FALSE(layout.flags.profile2Button);
    EXPECT_EQ(profileKeyMenuHeight(layout.flags, 1), 0);
    EXPECT_EQ(profileKeyMenuHeight(layout.flags, 3), 98);
    EXPECT_EQ(profileKeyMenuHeight(SkinFlags{true, false, false}, 1), 50);
    EXPECT_EQ(profileKeyMenuHeight(SkinFlags{false, false, false}, 2), 50);
}

TEST(SkinRules, StepBarsRunRightOrStackUpward) {
    struct Case {
        int orientation;
        Rect step3;
    };
    for (const Case& c : {Case{1, {100 + 2 * 22, 300, 20, 16}}, Case{0, {100, 300 - 36, 20, 16}}}) {
        const SkinLayout layout = pass("DPI_Orientation=" + std::to_string(c.orientation) +
                                       "\nDPI1_Steps_X=100\nDPI1_Steps_Y=300\nDPI1_Steps_D=2\n");
        EXPECT_EQ(rectOf(layout, "Img_DPI1_1"), (Rect{100, 300, 20, 16})) << c.orientation;
        EXPECT_EQ(rectOf(layout, "Img_DPI1_3"), c.step3) << c.orientation;
        EXPECT_EQ(layout.find("Img_DPI1_1")->picture, "Bar2_E");
        EXPECT_EQ(layout.find("Img_DPI1_2")->picture, "Bar2_D");
    }
    // Pointer bars: eleven steps of the 26-pixel picture.
    const SkinLayout layout = pass("Spd_X=10\nSpd_Y=20\nSpd_D=4\n");
    EXPECT_EQ(rectOf(layout, "Img_Spd11"), (Rect{10 + 10 * 30, 20, 26, 18}));
}

TEST(SkinRules, BrandingChoosesSlidersOrStepsNumberLabelsAndTheLightingLayout) {
    const std::string skin =
        "DPI_Orientation=1\nDPI1_Steps_X=100\nDPI1_Steps_Y=300\nDPI1_Steps_D=2\nSize_D=9\n"
        "LEDMode1_X=10\nLEDMode1_Y=20\nLEDMode1_R230_X=210\nLEDMode1_R230_Y=220\n"
        "LED_Mode_1_Lable_X=30\nLED_Mode_1_Lable_Y=18\nLED_Mode_1_Lable_Width=90\n"
        "LED_Mode_1_R230_Lable_X=230\nLED_Mode_1_R230_Lable_Y=218\n"
        "LED_Mode_1_R230_Lable_Width=70\nLED_Mode_Option_Lable_Size=10\n";
    const SkinLayout sliders = pass(skin, {1, 1, 1});
    EXPECT_FALSE(shown(sliders, "Img_DPI1_5"));
    EXPECT_TRUE(shown(sliders, "slider_DPI1"));
    EXPECT_EQ(rectOf(sliders, "slider_DPI1"), (Rect{100, 300, 12 * 20 + 11 * 2, 25}));
    EXPECT_FALSE(shown(sliders, "lbl_DPI1Num1"));
    EXPECT_EQ(rectOf(sliders, "Img_LED1"), (Rect{10, 20, 15, 15}));
    EXPECT_EQ(rectOf(sliders, "lbl_LED1"), (Rect{30, 18, 90, 20}));

    for (int icType : {0, 2}) {
        const SkinLayout steps = pass(skin, {icType, 0, 0});
        EXPECT_TRUE(shown(steps, "Img_DPI1_5"));
        EXPECT_FALSE(shown(steps, "slider_DPI1"));
        // Number labels sit at the step's left + 4 and 24 below it, in ascending order.
        EXPECT_TRUE(shown(steps, "lbl_DPI1Num3"));
        EXPECT_EQ(rectOf(steps, "lbl_DPI1Num3"), (Rect{100 + 2 * 22 + 4, 324, 20, 18}));
        EXPECT_EQ(rectOf(steps, "Img_LED1"), (Rect{210, 220, 15, 15})) << icType;
        EXPECT_EQ(rectOf(steps, "lbl_LED1"), (Rect{230, 218, 70, 20})) << icType;
    }
}

TEST(SkinRules, TextLabelsModeSwitchOptionsMenusAndDialogs) {
    const SkinLayout layout = pass("Fire_Key_Lable_X=175\nFire_Key_Lable_Y=462\nFire_Key_Lable_Width=240\n"
                                   "Fire_Key_Lable_Size=11\nFire_Key_Lable_R=235\nFire_Key_Lable_G=64\n"
                                   "Fire_Key_Lable_B=80\n"
                                   "ComboKey8_Enable=1\nComboKey8_X=600\nComboKey8_Y=580\nCombox_Width=380\n"
                                   "Combox_Font_Size=9\nComboxKey_X_Offset=24\nComboxKey_Y_Offset=-2\n"
                                   "M_L_W=190\nSP_L_W=200\nO_L_W=180\n");
    const Placement& title = *layout.find("Fire_Key_Lable");
    EXPECT_EQ((Rect{title.x, title.y, title.width, title.height}), (Rect{175, 462, 240, 22}));
    EXPECT_EQ(title.colour, skinColour(235, 64, 80));
    EXPECT_EQ(title.page, SkinPage::Performance);
    EXPECT_EQ(rectOf(layout, "Img_ComboKey8"), (Rect{600, 580, 16, 16}));
    EXPECT_EQ(rectOf(layout, "IB_ComboKey8"), (Rect{624, 578, 380, 18}));
    EXPECT_TRUE(layout.flags.gunModeSwitch);
    EXPECT_EQ(layout.menus.main + layout.menus.second + layout.menus.third, 570);

    SkinLayout dialog;
    applyDialogSkin(IniFile::parse("[org2]\nSize_J=9\nSize_K=30\nAKT_X=24\nAKT_Y=14\nAKC_X=40\nAKC_Y=58\n"
                                   "AKC_W=450\nAK_Cfm_X=153\nAK_Cfm_Y=150\nMK_W_X=390\nMK_W_Y=104\n"),
                    2, SkinDialog::KeyCombination, PictureSizes::listed(), dialog);
    // The key-combination dialog sizes its texts from Size_J: title +5, key box +3, buttons +1.
    EXPECT_EQ(dialog.find("lbl_Title")->fontSize, 14);
    EXPECT_EQ(dialog.find("Edt_Assembly")->fontSize, 12);
    EXPECT_EQ(rectOf(dialog, "Edt_Assembly").w, 450);
    EXPECT_EQ(rectOf(dialog, "IB_Confirm"), (Rect{153, 150, 101, 30}));
    EXPECT_EQ(dialog.find("IB_Confirm")->fontSize, 10);
    EXPECT_EQ(rectOf(dialog, "CB_Win").x, 390);
    EXPECT_EQ(dialog.windowWidth, 530);
}

TEST(SkinRules, MissingOrNonNumericKeysKeepThePreviousPlacement) {
    const PictureSizes pictures = PictureSizes::listed();
    SkinLayout layout;
    applySkin(IniFile::parse("[org1]\nKey2_Enable=1\nKey2_X=300\nKey2_Y=120\nSize_C=9\n"
                             "DPI_Orientation=1\nDPI1_Steps_X=100\nDPI1_Steps_Y=300\nDPI1_Steps_D=2\n"),
              1, {}, pictures, layout);
    const Rect slot4 = rectOf(layout, "Key4");
    const Rect step3 = rectOf(layout, "Img_DPI1_3");

    // The second section lacks Key2_X, has no number in Key2_Y and DPI1_Steps_D, and moves the bar.
    applySkin(IniFile::parse("[org1]\nKey2_Enable=1\nKey2_Y=abc\nDPI1_Steps_X=200\nDPI1_Steps_D=\n"), 1, {},
              pictures, layout);
    EXPECT_EQ(rectOf(layout, "Key4"), slot4);
    EXPECT_EQ(layout.find("Key4")->fontSize, 9);
    // The bar moves by X alone: the remembered gap and Y still apply.
    EXPECT_EQ(rectOf(layout, "Img_DPI1_3"), (Rect{step3.x + 100, step3.y, 20, 16}));
    const auto& missing = layout.missingKeys();
    for (const char* key : {"Key2_X", "Key2_Y", "DPI1_Steps_D"})
        EXPECT_NE(std::find(missing.begin(), missing.end(), key), missing.end()) << key;
}

} // namespace
} // namespace krm
