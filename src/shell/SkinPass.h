#pragma once

// Building blocks shared by the parts of the skin pass (not for use outside the skin code).

#include "shell/Skin.h"

#include <optional>
#include <string>
#include <string_view>

namespace krm {

// Reads numeric keys of one skin section. A key that is missing or holds no number yields the value the
// same key had in an earlier pass (so derived placements stay as they were) and is noted as missing.
class SkinKeys {
public:
    SkinKeys(const IniFile& ini, std::string section, SkinLayout& layout);

    std::optional<long> get(std::string_view key);
    std::optional<int> getInt(std::string_view key);

    // Size_<g> or <base>_Size into the layout's font sizes.
    void readSize(std::string_view key);
    // <family>_R, _G, _B into the layout's colours.
    void readColour(std::string_view family);

    SkinLayout& layout() { return layout_; }

private:
    const IniFile& ini_;
    std::string section_;
    SkinLayout& layout_;
};

struct SkinPass {
    SkinKeys& keys;
    SkinLayout& layout;
    const PictureSizes& pictures;
    int language;
    SkinBranding branding;

    // The placement of a control, with its page and kind set.
    Placement& control(std::string_view name, SkinPage page, SkinKind kind, std::string_view parent = {});
    // A picture control showing `picture` first; it takes the picture's size.
    Placement& picture(std::string_view name, SkinPage page, std::string_view picture,
                       std::string_view parent = {});
    // The look's own picture name, e.g. "Back1" -> "L2_Back1".
    std::string look(std::string_view name) const { return lookPicture(language, name); }

    // <prefix>_Enable: true when the control is to be shown (1), false when hidden (any other number);
    // nothing when the key is missing, in which case the control keeps its visibility.
    std::optional<bool> enabled(std::string_view prefix);
    // Moves a control to <prefix>_X, <prefix>_Y plus an offset; a coordinate without a value stays.
    void moveTo(Placement& p, std::string_view prefix, int dx = 0, int dy = 0);
    void setText(Placement& p, std::string_view sizeKey, std::string_view colourFamily, int sizeDelta = 0);
};

// Height of one line of skinned text: twice the font size.
constexpr int textHeight(int fontSize) {
    return 2 * fontSize;
}

std::string concat(std::string_view a, std::string_view b);
std::string concat(std::string_view a, int n, std::string_view b = {});

// Parts of the pass.
void applyRegionValues(SkinPass& pass);
void applyWindowControls(SkinPass& pass); // backgrounds, window and page buttons, page pictures
void applyKeyPage(SkinPass& pass);        // key labels, mode-switch options, menus
void applyPerformancePage(SkinPass& pass);
void applyLightingPage(SkinPass& pass);
void applyMacroPage(SkinPass& pass);
void applyUpdateAndGunPages(SkinPass& pass);
void applyTextLabels(SkinPass& pass, SkinPage page);

// A bar of `steps` step pictures with its slider and number labels.
struct StepBar {
    std::string_view keyPrefix;  // "Spd", "DPI3_Steps", ...
    std::string_view stepName;   // step k is stepName + k, e.g. "Img_Spd" or "Img_DPI3_"
    std::string_view sliderName; // "slider_Spd"
    std::string_view numberName; // number label k is numberName + k
    int steps;
    std::string_view pictureOff; // "Bar1_D"
    std::string_view pictureOn;  // "Bar1_E", shown on step 1 first
    SkinPage page;
    bool upward = false;          // stacked upward instead of left to right
    int sliderWidth = 0;          // 0: the width of the steps
    std::string_view gapKey = {}; // key of the gap when it is not <keyPrefix>_D
};
void placeStepBar(SkinPass& pass, const StepBar& bar);

} // namespace krm
