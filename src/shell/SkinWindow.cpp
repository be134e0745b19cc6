#include "shell/SkinPass.h"

#include <array>

namespace krm {

namespace {

constexpr std::array kSizeKeys = {"Size_A", "Size_B", "Size_C", "Size_D", "Size_E", "Size_F",
                                  "Size_G", "Size_I", "Size_J", "Size_L", "Size_M"};

constexpr std::array kColourFamilies = {"Color_A",
                                        "Color_B",
                                        "Color_C",
                                        "Color_D",
                                        "Color_E",
                                        "Color_F",
                                        "Color_G",
                                        "Color_I",
                                        "Color_K",
                                        "Color_L",
                                        "Color_M",
                                        "Color_D_Selected",
                                        "Color_D_notSelected",
                                        "Color_D_Back",
                                        "Color_D_Border",
                                        "Color_G_Back",
                                        "Color_G_Border",
                                        "Color_G_SF",
                                        "Color_G_SP",
                                        "Color_F_LBack",
                                        "Color_F_LBorder",
                                        "Color_F_Font",
                                        "Color_F_Back",
                                        "Color_F_I",
                                        "Color_MACRO",
                                        "Color_J_Font",
                                        "Color_J_Back",
                                        "Color_J_Border",
                                        "Color_K_AK",
                                        "Color_L_MN",
                                        "Color_M_MN",
                                        "Color_BG_Slider"};

// A button that exists once on each of the five user pages.
struct PageButton {
    std::string_view keyPrefix; // "Btn_B1"
    std::string_view role;      // "Main": Img_Main_n with the label Btn_Main_n
    std::string_view picture;
    bool inset; // page buttons: the label is inset by Btn_Space_F / Btn_Space_B
    // The engineering button: krmconfig --engineering shows it where the skin puts it, so its position is
    // read even while the skin hides it.
    bool placedWhenHidden = false;
};

constexpr std::array kPageButtons = {
    PageButton{"Btn_A2", "Confirm1", "BtnS_01", false},
    PageButton{"Btn_A3", "Confirm2", "BtnS_01", false},
    PageButton{"Btn_A5", "Confirm3", "BtnS_01", false},
    PageButton{"Btn_A4", "Exit", "ExitS_01", false},
    PageButton{"Btn_A6", "Mini", "MiniS_01", false},
    PageButton{"Btn_B1", "Main", "SetS_03", true},
    PageButton{"Btn_B2", "Switch", "SetS_01", true},
    PageButton{"Btn_B3", "Fixed", "SetS_01", true},
    PageButton{"Btn_B4", "Adv", "SetS_01", true},
    PageButton{"Btn_B5", "Breath", "SetS_01", true},
    PageButton{"Btn_B6", "Save", "SetS_01", true},
    PageButton{"Btn_B7", "Load", "SetS_01", true},
    PageButton{"Btn_B8", "Lang1", "SetS_03", true},
    PageButton{"Btn_B9", "Lang2", "SetS_01", true},
    PageButton{"Btn_B10", "Lang3", "SetS_01", true},
    PageButton{"Btn_B11", "Macro", "SetS_01", true},
    PageButton{"Btn_B12", "Update", "SetS_01", true},
    PageButton{"Btn_B13", "Engineer", "SetS_01", true, true},
};

void placePageButton(SkinPass& pass, const PageButton& b, int spaceF, int spaceB) {
    const std::optional<bool> shown = pass.enabled(b.keyPrefix);
    if (b.keyPrefix == "Btn_B2" && shown) pass.layout.flags.profile2Button = *shown;
    if (b.keyPrefix == "Btn_B3" && shown) pass.layout.flags.profile3Button = *shown;
    const bool groupA = b.keyPrefix[4] == 'A';
    const bool readPositions = shown.value_or(true) || b.placedWhenHidden;
    std::optional<int> x, y;
    if (readPositions) {
        x = pass.keys.getInt(concat(b.keyPrefix, "_X"));
        y = pass.keys.getInt(concat(b.keyPrefix, "_Y"));
    }
    for (int copy = 1; copy <= 5; ++copy) {
        const auto page = static_cast<SkinPage>(copy);
        const std::string suffix = concat("_", copy);
        Placement& picture = pass.picture(concat(concat("Img_", b.role), suffix), page, b.picture);
        Placement& label = pass.control(concat(concat("Btn_", b.role), suffix), page, SkinKind::Label);
        if (shown) picture.visible = label.visible = *shown;
        const int left = b.inset ? spaceF : 0;
        if (x) picture.x = *x, label.x = *x + left;
        if (y) picture.y = label.y = *y;
        label.width = picture.width - (b.inset ? spaceF + spaceB : 0);
        label.height = picture.height;
        pass.setText(label, groupA ? "Size_A" : "Size_B", groupA ? "Color_A" : "Color_B");
    }
}

} // namespace

void applyRegionValues(SkinPass& pass) {
    for (const char* key : kSizeKeys) pass.keys.readSize(key);
    for (const char* family : kColourFamilies) pass.keys.readColour(family);
}

void applyWindowControls(SkinPass& pass) {
    // Backgrounds: the look's background on all six page bases; its size is the window's.
    const std::string background = pass.look("BackGround");
    const PictureSize size = pass.pictures(background);
    if (size.width > 0 && size.height > 0) {
        pass.layout.windowWidth = size.width;
        pass.layout.windowHeight = size.height;
    }
    for (int page = 1; page <= 6; ++page) {
        Placement& base = pass.picture(concat("Img_Base_", page), static_cast<SkinPage>(page), background);
        base.x = base.y = 0;
    }

    const int spaceF = pass.keys.getInt("Btn_Space_F").value_or(0);
    const int spaceB = pass.keys.getInt("Btn_Space_B").value_or(0);
    for (const PageButton& b : kPageButtons) placePageButton(pass, b, spaceF, spaceB);

    // Page pictures.
    const std::array<std::string, 6> pictures = {pass.look("Back1"),    pass.look("Back2"),
                                                 pass.look("Back3"),    pass.look("Back4"),
                                                 std::string("Update"), pass.look("Back5")};
    for (int n = 1; n <= 6; ++n) {
        Placement& p = pass.picture(concat("Img_P", n), static_cast<SkinPage>(n), pictures[n - 1]);
        pass.moveTo(p, concat("P", n));
    }
}

void applyKeyPage(SkinPass& pass) {
    // The twelve button-function labels: the skin numbers them by screen position, the controls by slot.
    const auto keyWidth = pass.keys.getInt("Key_Width");
    for (int index = 1; index <= 12; ++index) {
        const int slot = keySlotForSkinIndex(index);
        const std::string prefix = concat("Key", index);
        Placement& picture = pass.picture(concat("Img_Key", slot), SkinPage::Keys, "KeyS_01");
        Placement& label = pass.control(concat("Key", slot), SkinPage::Keys, SkinKind::Label);
        const std::optional<bool> shown = pass.enabled(prefix);
        if (shown) picture.visible = label.visible = *shown;
        if (shown.value_or(true)) {
            pass.moveTo(picture, prefix);
            pass.moveTo(label, prefix);
        }
        if (keyWidth) picture.width = *keyWidth;
        label.width = picture.width;
        label.height = picture.height;
        pass.setText(label, "Size_C", "Color_C");
    }

    // Mode-switch options: a check box with its label beside it.
    const auto labelWidth = pass.keys.getInt("Combox_Width");
    const auto fontSize = pass.keys.getInt("Combox_Font_Size");
    const int dx = pass.keys.getInt("ComboxKey_X_Offset").value_or(0);
    const int dy = pass.keys.getInt("ComboxKey_Y_Offset").value_or(0);
    for (int n = 1; n <= 8; ++n) {
        const std::string prefix = concat("ComboKey", n);
        Placement& box = pass.picture(concat("Img_ComboKey", n), SkinPage::Keys, "CbS_D");
        Placement& label = pass.control(concat("IB_ComboKey", n), SkinPage::Keys, SkinKind::Text);
        const std::optional<bool> shown = pass.enabled(prefix);
        if (shown) box.visible = label.visible = *shown;
        if (n == 8 && shown) pass.layout.flags.gunModeSwitch = *shown;
        if (shown.value_or(true)) {
            pass.moveTo(box, prefix);
            pass.moveTo(label, prefix, dx, dy);
        }
        if (labelWidth) label.width = *labelWidth;
        pass.setText(label, "Size_C", "Color_C");
        if (fontSize) label.fontSize = *fontSize;
        label.height = textHeight(label.fontSize);
    }

    // Assignment menus.
    if (auto w = pass.keys.getInt("M_L_W")) pass.layout.menus.main = *w;
    if (auto w = pass.keys.getInt("SP_L_W")) pass.layout.menus.second = *w;
    if (auto w = pass.keys.getInt("O_L_W")) pass.layout.menus.third = *w;
}

} // namespace krm
