#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace krm {

// A colour as the skin sections give it: R + 256·G + 65536·B (each part 0..255).
using SkinColour = std::uint32_t;

constexpr SkinColour skinColour(int r, int g, int b) {
    return static_cast<SkinColour>((r & 0xFF) | (g & 0xFF) << 8 | (b & 0xFF) << 16);
}
constexpr int colourRed(SkinColour c) {
    return static_cast<int>(c & 0xFF);
}
constexpr int colourGreen(SkinColour c) {
    return static_cast<int>(c >> 8 & 0xFF);
}
constexpr int colourBlue(SkinColour c) {
    return static_cast<int>(c >> 16 & 0xFF);
}

// Where a control lives. Buttons that exist on every user page come in five copies, copy n on page n
// (1 key page .. 5 update page).
enum class SkinPage : std::uint8_t {
    Keys = 1,
    Performance = 2,
    Lighting = 3,
    Macro = 4,
    Update = 5,
    Gun = 6,
    KeyDialog,   // key-combination dialog
    ValueDialog, // macro-name, key and delay dialogs
    XYDialog,
};

enum class SkinKind : std::uint8_t {
    Picture, // shows a picture; its size is the picture's
    Label,   // transparent click label lying on a picture (Btn_..., IB_..., lbl_... over an Img_...)
    Text,    // text label; its height is twice its font size
    Edit,    // edit field
    Combo,   // drop-down list
    List,    // list box
    Slider,  // slider with "Slider_Thumb" and "Slider_Ruler"
    Box,     // group whose children are placed relative to it
};

// Where and how one control is shown. Coordinates are pixels from the top left of the window (of the
// dialog for dialog controls, of the parent box when `parent` is set).
struct Placement {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool visible = true;
    int fontSize = 0;      // 0: the skin gives this control no text
    SkinColour colour = 0; // font colour when fontSize > 0
    SkinPage page = SkinPage::Keys;
    SkinKind kind = SkinKind::Picture;
    std::string parent;  // name of the box this control lies in, or empty
    std::string picture; // first picture of a Picture control, e.g. "SetS_01", "L2_Back1"
};

// Flags the skin sets besides placements.
struct SkinFlags {
    bool profile2Button = true; // Btn_B2_Enable
    bool profile3Button = true; // Btn_B3_Enable
    bool gunModeSwitch = false; // ComboKey8_Enable: profile 2 may show the gun mode-switch option
};

// Widths of the three levels of the assignment menus and their entries (M_L_W, SP_L_W, O_L_W).
struct MenuWidths {
    int main = 0;
    int second = 0;
    int third = 0;
};

// The result of the skin pass: every control's placement plus the region values. It lives as long as the
// window and is updated in place by every pass, so that a key a section lacks (or holds no number for)
// keeps what the previous pass gave. Placements never move in memory once created: a view may keep
// pointers to them and re-apply them after each pass.
class SkinLayout {
public:
    // The placement of a control, created with default values when it is new.
    Placement& at(std::string_view name);
    const Placement* find(std::string_view name) const;
    const std::unordered_map<std::string, Placement>& placements() const { return placements_; }

    // Region font sizes by key ("Size_A" .. "Size_M") and colours by family ("Color_A", "Color_D_Selected",
    // "Color_MACRO", "Color_BG_Slider", ...); 0 when the skin has never given the value.
    int fontSize(std::string_view key) const;
    SkinColour colour(std::string_view family) const;

    SkinFlags flags;
    MenuWidths menus;
    int macroItemHeight = 0;  // MacroNameHeight: row height of the macro lists
    int pcMacroEditWidth = 0; // Edit_PCMarco_Width
    int windowWidth = 1030;   // the background picture's size
    int windowHeight = 662;

    // Keys the last pass asked for but found missing or not a number (it used the remembered value or left
    // the control as it was).
    const std::vector<std::string>& missingKeys() const { return missing_; }

private:
    friend class SkinKeys;
    std::unordered_map<std::string, Placement> placements_;
    std::unordered_map<std::string, int> sizes_;
    std::unordered_map<std::string, SkinColour> colours_;
    std::unordered_map<std::string, long> remembered_; // lower-case key -> last numeric value seen
    std::vector<std::string> missing_;
};

} // namespace krm
