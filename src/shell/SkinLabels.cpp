#include "shell/SkinPass.h"

#include <array>

namespace krm {

namespace {

// Which of <base>_Lable_X/_Y, _Width, _Size and _R/_G/_B a text label reads.
enum Reads : unsigned {
    kPos = 1,
    kWidth = 2,
    kSize = 4,
    kColour = 8,
    kAll = kPos | kWidth | kSize | kColour
};

struct LabelRow {
    std::string_view base;
    std::string_view control; // empty: "<base>_Lable"
    SkinPage page;
    unsigned reads = kAll;
    std::string_view parent = {};
    // Where the values the label does not read come from.
    std::string_view sizeFrom = {};   // a size key, e.g. "LED_Mode_Option_Lable_Size"
    std::string_view colourFrom = {}; // a colour family, e.g. "Color_E"
    std::string_view widthFrom = {};  // another label, e.g. "Gun_Marco_Y_Offset_Lable"
};

constexpr SkinPage kD = SkinPage::Performance;
constexpr SkinPage kE = SkinPage::Lighting;
constexpr SkinPage kF = SkinPage::Macro;
constexpr SkinPage kJ = SkinPage::Gun;

constexpr std::array kLabels = {
    LabelRow{"Fire_Key", {}, kD},
    LabelRow{"Fire_Key1", {}, kD},
    LabelRow{"Fire_Key2", {}, kD},
    LabelRow{"Fire_Key3", {}, kD},
    LabelRow{"Fire_Key_Count", {}, kD},
    LabelRow{"Fire_Key_Time", {}, kD},
    LabelRow{"Fire_Key_Continue", {}, kD},
    LabelRow{"Mouse_Speed", {}, kD},
    LabelRow{"Mouse_IsControl", "lbl_IsControl", kD},
    LabelRow{"Mouse_Double_Click", {}, kD},
    LabelRow{"Mouse_Roller_Speed", {}, kD},
    LabelRow{"Mouse_Roll_All_Screen", "lbl_IsScreen", kD},
    LabelRow{"DPI_Setting", {}, kD},
    LabelRow{"DPI_Count", {}, kD},
    LabelRow{"DPI_Value", {}, kD},
    LabelRow{"Rating_Setting", {}, kD},
    LabelRow{"Rating_Value_1", "lbl_Rep1", kD},
    LabelRow{"Rating_Value_2", "lbl_Rep2", kD},
    LabelRow{"Rating_Value_3", "lbl_Rep3", kD},
    LabelRow{"Rating_Value_4", "lbl_Rep4", kD},

    LabelRow{"LED_Effect_Setting", {}, kE},
    LabelRow{"LED_Effect_Slow", {}, kE},
    LabelRow{"LED_Effect_Fast", {}, kE},
    LabelRow{"LED_Mode", {}, kE},
    LabelRow{"LED_Mode_Light_All", "lbl_MCULED3Control", kE, kPos | kWidth | kSize, {}, {}, "Color_E"},
    LabelRow{"LED_Mode_Light_Half", "lbl_MCULED6Control", kE, kPos | kWidth | kSize, {}, {}, "Color_E"},
    LabelRow{"LED_Light", {}, kE},
    LabelRow{"LED_Color", {}, kE},

    LabelRow{"Marco_List", {}, kF},
    LabelRow{"Marco_Content", {}, kF},
    LabelRow{"Marco_Mouse_List", {}, kF},
    LabelRow{"Marco_Record_Delay", "lbl_Record_Delay", kF, kAll, "Gb_Delay"},
    LabelRow{"Marco_Delay_Setting", "lbl_Delay_Setting", kF, kAll, "Gb_Delay"},
    LabelRow{"Marco_No_Delay", "lbl_No_Delay", kF, kAll, "Gb_Delay"},
    LabelRow{"Marco_MS", "lbl_MS", kF, kAll, "Gb_Delay"},
    LabelRow{"Marco_Stop_Enter", "lbl_ReleaseStopEnter", kF, kAll, "Gb_Delay"},
    LabelRow{"Marco_Stop_Count", "lbl_ReleaseStopCount", kF, kAll, "Gb_Delay"},

    LabelRow{"Gun_Marco_Fire_Count", {}, kJ},
    LabelRow{"Gun_Marco_Fire_X", {}, kJ},
    LabelRow{"Gun_Marco_Y_Offset", {}, kJ},
    LabelRow{"Gun_Marco_X_Offset",
             {},
             kJ,
             kPos | kColour,
             {},
             "Gun_Marco_Y_Offset_Lable_Size",
             {},
             "Gun_Marco_Y_Offset_Lable"},
    LabelRow{"Gun_Marco_Fire_Y", {}, kJ},
    LabelRow{"Gun_Marco_Fire_Delay", {}, kJ},
    LabelRow{"Gun_Marco_Keep_Left", "lbl_FireSelLeft", kJ},
    LabelRow{"Gun_Marco_Color", {}, kJ},
};

void placeLabel(SkinPass& pass, const LabelRow& row, std::string_view base, std::string_view control) {
    const std::string prefix = concat(base, "_Lable");
    Placement& p =
        pass.control(control.empty() ? prefix : std::string(control), row.page, SkinKind::Text, row.parent);
    if (row.reads & kPos) pass.moveTo(p, prefix);
    if (row.reads & kWidth) {
        if (auto w = pass.keys.getInt(concat(prefix, "_Width"))) p.width = *w;
    } else if (const Placement* other = pass.layout.find(row.widthFrom)) {
        p.width = other->width;
    }
    std::string sizeKey(row.sizeFrom);
    if (row.reads & kSize) {
        sizeKey = concat(prefix, "_Size");
        pass.keys.readSize(sizeKey);
    }
    std::string colourFamily(row.colourFrom);
    if (row.reads & kColour) {
        colourFamily = prefix;
        pass.keys.readColour(colourFamily);
    }
    if (const int size = pass.layout.fontSize(sizeKey); size > 0) p.fontSize = size;
    p.colour = pass.layout.colour(colourFamily);
    p.height = textHeight(p.fontSize);
}

} // namespace

void applyTextLabels(SkinPass& pass, SkinPage page) {
    for (const LabelRow& row : kLabels)
        if (row.page == page) placeLabel(pass, row, row.base, row.control);

    if (page != SkinPage::Lighting) return;
    // The lighting-mode option labels take size and colour from LED_Mode_Option; the R230B layout has keys
    // of its own.
    pass.keys.readSize("LED_Mode_Option_Lable_Size");
    pass.keys.readColour("LED_Mode_Option_Lable");
    const bool r210 = pass.branding.icConfigType == 1;
    for (int k = 1; k <= 7; ++k) {
        const std::string base = r210 ? concat("LED_Mode_", k) : concat("LED_Mode_", k, "_R230");
        const LabelRow row{{},
                           {},
                           SkinPage::Lighting,
                           kPos | kWidth,
                           {},
                           "LED_Mode_Option_Lable_Size",
                           "LED_Mode_Option_Lable"};
        placeLabel(pass, row, base, concat("lbl_LED", k));
    }
}

} // namespace krm
