#include "shell/SkinPass.h"

namespace krm {

namespace {

// Sizes the skin does not give: edit fields, drop-down lists and the value labels of the pages.
constexpr int kEditHeight = 22;
constexpr int kComboHeight = 24;
constexpr int kValueLabelWidth = 64;
constexpr int kSwatch = 18;
// The delay box holds the delay choices and, beside them, the repeat choices.
constexpr int kDelayBoxWidth = 560;

Placement& edit(SkinPass& pass, std::string_view name, SkinPage page, std::string_view prefix, int width,
                std::string_view sizeKey, std::string_view colour, std::string_view parent = {}) {
    Placement& p = pass.control(name, page, SkinKind::Edit, parent);
    pass.moveTo(p, prefix);
    p.width = width;
    p.height = kEditHeight;
    pass.setText(p, sizeKey, colour);
    return p;
}

Placement& valueLabel(SkinPass& pass, std::string_view name, SkinPage page, std::string_view prefix,
                      std::string_view sizeKey, std::string_view colour) {
    Placement& p = pass.control(name, page, SkinKind::Text);
    pass.moveTo(p, prefix);
    p.width = kValueLabelWidth;
    pass.setText(p, sizeKey, colour);
    p.height = textHeight(p.fontSize);
    return p;
}

// A colour swatch: the swatch, its frame picture and a click label, all on one square.
void swatch(SkinPass& pass, std::string_view prefix, std::string_view swatchName, std::string_view frameName,
            std::string_view labelName, SkinPage page) {
    Placement& frame = pass.picture(frameName, page, "Col_F");
    pass.moveTo(frame, prefix);
    for (std::string_view name : {swatchName, labelName}) {
        if (name.empty()) continue;
        Placement& p = pass.control(name, page, name == swatchName ? SkinKind::Picture : SkinKind::Label);
        p.x = frame.x;
        p.y = frame.y;
        p.width = frame.width > 0 ? frame.width : kSwatch;
        p.height = frame.height > 0 ? frame.height : kSwatch;
    }
}

// A picture with a transparent click label of its size on top (Img_<role> and Btn_<role>).
void pictureButton(SkinPass& pass, std::string_view role, std::string_view prefix, std::string_view picture,
                   SkinPage page, std::string_view sizeKey, std::string_view colour,
                   std::string_view parent = {}, std::string_view labelPrefix = "Btn_") {
    Placement& img = pass.picture(concat("Img_", role), page, picture, parent);
    pass.moveTo(img, prefix);
    Placement& label = pass.control(concat(labelPrefix, role), page, SkinKind::Label, parent);
    label.x = img.x;
    label.y = img.y;
    label.width = img.width;
    label.height = img.height;
    pass.setText(label, sizeKey, colour);
}

} // namespace

void placeStepBar(SkinPass& pass, const StepBar& bar) {
    const auto x = pass.keys.getInt(concat(bar.keyPrefix, "_X"));
    const auto y = pass.keys.getInt(concat(bar.keyPrefix, "_Y"));
    const auto gap =
        pass.keys.getInt(bar.gapKey.empty() ? concat(bar.keyPrefix, "_D") : std::string(bar.gapKey));
    const PictureSize step = pass.pictures(bar.pictureOff);
    const bool pictures = pass.branding.barConfigType != 1;
    const bool numbers = pass.branding.numOrder == 0;
    const std::string_view sizeKey = bar.page == SkinPage::Lighting ? "Size_E" : "Size_D";
    const std::string_view colour = bar.page == SkinPage::Lighting ? "Color_E" : "Color_D";

    for (int k = 1; k <= bar.steps; ++k) {
        Placement& p =
            pass.picture(concat(bar.stepName, k), bar.page, k == 1 ? bar.pictureOn : bar.pictureOff);
        p.visible = pictures;
        if (x && y && gap) {
            if (bar.upward) {
                p.x = *x;
                p.y = *y - (k - 1) * (step.height + *gap);
            } else {
                p.x = *x + (k - 1) * (step.width + *gap);
                p.y = *y;
            }
        }
        Placement& number = pass.control(concat(bar.numberName, k), bar.page, SkinKind::Text);
        number.visible = numbers;
        number.x = p.x + 4;
        number.y = p.y + 24;
        number.width = step.width;
        pass.setText(number, sizeKey, colour);
        number.height = textHeight(number.fontSize);
    }

    Placement& slider = pass.control(bar.sliderName, bar.page, SkinKind::Slider);
    slider.visible = !pictures;
    if (x && y && gap) {
        const int span = bar.steps * (bar.upward ? step.height : step.width) + (bar.steps - 1) * *gap;
        const int thumb = pass.pictures("Slider_Thumb").height;
        slider.x = *x;
        if (bar.upward) {
            slider.y = *y + step.height - span;
            slider.width = thumb;
            slider.height = span;
        } else {
            slider.y = *y;
            slider.width = bar.sliderWidth > 0 ? bar.sliderWidth : span;
            slider.height = thumb;
        }
    }
}

void applyPerformancePage(SkinPass& pass) {
    constexpr SkinPage kPage = SkinPage::Performance;
    // Fire keys: repeat, interval and continue of each of the three slots.
    for (int k = 1; k <= 3; ++k) {
        edit(pass, concat("Edt_Repeat", k), kPage, concat("FK", k, "Cnt"), 44, "Size_D", "Color_D");
        edit(pass, concat("Edt_DelayTime", k), kPage, concat("FK", k, "Delay"), 56, "Size_D", "Color_D");
        Placement& box = pass.picture(concat("Img_Fire", k, "Continue"), kPage, "CbS_D");
        pass.moveTo(box, concat("FK", k, "Continue"));
        Placement& label = pass.control(concat("lbl_Fire", k, "Continue"), kPage, SkinKind::Label);
        label.x = box.x, label.y = box.y, label.width = box.width, label.height = box.height;
    }
    // Report rate options.
    for (int k = 1; k <= 4; ++k)
        pass.moveTo(pass.picture(concat("Img_Rep", k), kPage, "RdS_D"), concat("Rep", k));

    // Pointer settings: three bars of eleven steps and the two switches.
    placeStepBar(pass, {"Spd", "Img_Spd", "slider_Spd", "lbl_SpdNum", 11, "Bar1_D", "Bar1_E", kPage});
    placeStepBar(pass, {"DbSpd", "Img_DbSpd", "slider_DbSpd", "lbl_DbSpdNum", 11, "Bar1_D", "Bar1_E", kPage});
    placeStepBar(pass,
                 {"ScrSpd", "Img_ScrSpd", "slider_SrcSpd", "lbl_ScrSpdNum", 11, "Bar1_D", "Bar1_E", kPage});
    pass.moveTo(pass.picture("Img_IsControl", kPage, "CbS_D"), "IsControl");
    pass.moveTo(pass.picture("Img_IsScreen", kPage, "CbS_D"), "IsScreen");

    // DPI levels: selector, level label, value text, twelve steps and colour, then the sniper row.
    const bool upward = pass.keys.getInt("DPI_Orientation").value_or(1) == 0;
    Placement& count = pass.control("combox_dpi_count", kPage, SkinKind::Combo);
    pass.moveTo(count, "DPI_Count");
    count.width = 64;
    count.height = kComboHeight;
    pass.setText(count, "Size_D", "Color_D");
    for (int n = 1; n <= 8; ++n) {
        const std::string row = concat("DPI", n);
        pass.moveTo(pass.picture(concat("Img_DPI", n), kPage, "CbS_D"), concat(row, "_Check"));
        valueLabel(pass, concat("lbl_DPI", n), kPage, row, "Size_D", "Color_D_Selected");
        valueLabel(pass, concat("lbl_DPI", n, "Value"), kPage, concat(row, "_Value"), "Size_D", "Color_D");
        const std::string steps = concat(row, "_Steps");
        const std::string stepName = concat("Img_DPI", n, "_");
        const std::string sliderName = concat("slider_DPI", n);
        const std::string numberName = concat("lbl_DPI", n, "Num");
        placeStepBar(pass, {steps, stepName, sliderName, numberName, 12, "Bar2_D", "Bar2_E", kPage, upward});
        swatch(pass, concat(row, "_Color"), concat("cs_DPI", n, "Col"), concat("Img_DPI", n, "Col"),
               concat("lbl_DPI", n, "Col"), kPage);
    }
    valueLabel(pass, "lbl_AIMDPI", kPage, "AIMDPI", "Size_D", "Color_D");
    valueLabel(pass, "lbl_AIMDPIValue", kPage, "AIMDPI_Value", "Size_D", "Color_D");
    placeStepBar(pass, {"AIMDPI_Steps", "Img_AIMDPI_", "slider_AIM", "lbl_AIMDPINum", 12, "Bar2_D", "Bar2_E",
                        kPage, upward});
}

void applyLightingPage(SkinPass& pass) {
    constexpr SkinPage kPage = SkinPage::Lighting;
    // Speed: ten steps; the MCU LED speed (eight steps) takes the same place, only one of them is shown.
    const int sliderWidth = pass.keys.getInt("StepTime_Width").value_or(0);
    placeStepBar(pass, {"StepTime", "Img_Fall", "slider_RGB_Speed", "lbl_FallNum", 10, "Bar1_D", "Bar1_E",
                        kPage, false, sliderWidth});
    placeStepBar(pass, {"StepTime", "Img_MCULEDStep_", "slider_MCULED_Speed", "lbl_MCULEDStepNum", 8,
                        "Bar1_D", "Bar1_E", kPage});

    // Lighting-mode options: the R210B layout or the R230B one.
    const bool r210 = pass.branding.icConfigType == 1;
    for (int k = 1; k <= 7; ++k) {
        const std::string prefix = r210 ? concat("LEDMode", k) : concat("LEDMode", k, "_R230");
        pass.moveTo(pass.picture(concat("Img_LED", k), kPage, "RdS_D"), prefix);
    }
    // Brightness of the MCU LEDs: full and half.
    pass.moveTo(pass.picture("Img_MCULED3Control", kPage, "RdS_E"), "LED3Control");
    pass.moveTo(pass.picture("Img_MCULED6Control", kPage, "RdS_D"), "LED6Control");

    // The colour table.
    for (int k = 1; k <= 10; ++k)
        swatch(pass, concat("LED_Color_", k, "_Lable"), concat("cs_Col", k), concat("Img_Col", k),
               concat("lbl_Col", k), kPage);
}

void applyMacroPage(SkinPass& pass) {
    constexpr SkinPage kPage = SkinPage::Macro;
    if (auto h = pass.keys.getInt("MacroNameHeight")) pass.layout.macroItemHeight = *h;
    if (auto w = pass.keys.getInt("Edit_PCMarco_Width")) pass.layout.pcMacroEditWidth = *w;

    struct ListBox {
        std::string_view name, prefix;
    };
    for (const ListBox& l : {ListBox{"LB_PCMacroName", "PCMacroName"}, ListBox{"LB_macro", "MacroContent"},
                             ListBox{"LB_MacroName", "MseMacroName"}}) {
        Placement& p = pass.control(l.name, kPage, SkinKind::List);
        pass.moveTo(p, l.prefix);
        if (auto h = pass.keys.getInt(concat(l.prefix, "_H"))) p.height = *h;
        if (auto w = pass.keys.getInt(concat(l.prefix, "_W"))) p.width = *w;
        pass.setText(p, "Size_F", "Color_F");
    }

    pictureButton(pass, "New", "BtnNew", "MacroS_01", kPage, "Size_F", "Color_F");
    pictureButton(pass, "Delete", "BtnDelete", "MacroS_01", kPage, "Size_F", "Color_F", {}, "btn_");
    pictureButton(pass, "Add_Mouse", "BtnAddMouse", "MacroS_01", kPage, "Size_F", "Color_F");
    pictureButton(pass, "delete_mouse", "BtnDeleteMouse", "MacroS_01", kPage, "Size_F", "Color_F");
    pictureButton(pass, "Start", "BtnStart", "MacroS_01", kPage, "Size_F", "Color_F");

    // The delay box and, in its place while a row is inserted, the insert box. Their controls are placed
    // relative to the box.
    const PictureSize boxSize = pass.pictures("InsertDelayBase");
    Placement& delayBox = pass.control("Gb_Delay", kPage, SkinKind::Box);
    pass.moveTo(delayBox, "DelayTime");
    delayBox.width = kDelayBoxWidth;
    delayBox.height = boxSize.height;
    const std::string_view inDelay = "Gb_Delay";
    pass.moveTo(pass.picture("IB_RecDelay", kPage, "RdS_E", inDelay), "RecDelay");
    pass.moveTo(pass.picture("IB_DelayTime", kPage, "RdS_D", inDelay), "DelaySetting");
    pass.moveTo(pass.picture("IB_NoDelay", kPage, "RdS_D", inDelay), "NoDelay");
    edit(pass, "Edt_Delay", kPage, "DelayEdit", 56, "Size_F", "Color_F", inDelay);
    pass.moveTo(pass.picture("Img_ReleaseStopEnter", kPage, "RdS_D", inDelay), "ReleaseStopEnter");
    pass.moveTo(pass.picture("Img_ReleaseStopCount", kPage, "RdS_D", inDelay), "ReleaseStopCount");
    edit(pass, "Edt_StopCount", kPage, "EditStopCount", 44, "Size_F", "Color_F", inDelay);

    Placement& insertBox = pass.picture("Gb_Insert", kPage, "InsertDelayBase");
    insertBox.kind = SkinKind::Box;
    pass.moveTo(insertBox, "Insert");
    const std::string_view inInsert = "Gb_Insert";
    Placement& list = pass.control("CB_Insert", kPage, SkinKind::Combo, inInsert);
    pass.moveTo(list, "InsertList");
    list.width = boxSize.width - 2 * list.x;
    list.height = kComboHeight;
    pass.setText(list, "Size_F", "Color_F");
    // The three delay choices of key inserts, one row each, `_D` pixels apart.
    const auto rowX = pass.keys.getInt("InsertRecDelay_X");
    const auto rowY = pass.keys.getInt("InsertRecDelay_Y");
    const auto rowGap = pass.keys.getInt("InsertRecDelay_D");
    int row = 0;
    for (std::string_view role : {"InsertRecDelay", "InsertDelayTime", "InsertNoDelay"}) {
        Placement& mark = pass.picture(concat("Img_", role), kPage, row == 0 ? "RdS_E" : "RdS_D", inInsert);
        Placement& text = pass.control(concat("IB_", role), kPage, SkinKind::Text, inInsert);
        if (rowX && rowY && rowGap) {
            mark.x = *rowX;
            mark.y = *rowY + row * *rowGap;
        }
        pass.setText(text, "Size_F", "Color_F");
        text.height = textHeight(text.fontSize);
        text.x = mark.x + mark.width + 6;
        text.y = mark.y + (mark.height - text.height) / 2;
        text.width = boxSize.width - text.x - 8;
        ++row;
    }
    // Delay of delay inserts, with its caption on the left.
    Placement& delay =
        edit(pass, "Edt_InsertDelay", kPage, "InsertDelayEdit", 64, "Size_F", "Color_F", inInsert);
    Placement& delayCaption = pass.control("lbl_Delay", kPage, SkinKind::Text, inInsert);
    pass.setText(delayCaption, "Size_F", "Color_F");
    delayCaption.height = textHeight(delayCaption.fontSize);
    delayCaption.x = 10;
    delayCaption.y = delay.y + (delay.height - delayCaption.height) / 2;
    delayCaption.width = delay.x - 16;
    // X and Y of movement inserts, one above the other, each with its caption.
    Placement& xEdit =
        edit(pass, "edt_XAxisValue", kPage, "InsertAxisEdit", 64, "Size_F", "Color_F", inInsert);
    Placement& yEdit =
        edit(pass, "edt_YAxisValue", kPage, "InsertAxisEdit", 64, "Size_F", "Color_F", inInsert);
    yEdit.y = xEdit.y + kEditHeight + 8;
    for (const auto& [name, field] :
         {std::pair<std::string_view, const Placement*>{"lbl_XAxisValue", &xEdit},
          std::pair<std::string_view, const Placement*>{"lbl_YAxisValue", &yEdit}}) {
        Placement& caption = pass.control(name, kPage, SkinKind::Text, inInsert);
        pass.setText(caption, "Size_F", "Color_F");
        caption.height = textHeight(caption.fontSize);
        caption.x = 10;
        caption.y = field->y + (field->height - caption.height) / 2;
        caption.width = field->x - 16;
    }
    pictureButton(pass, "InsertStart", "InsertBtnStart", "MacroS_01", kPage, "Size_F", "Color_F", inInsert);
    pictureButton(pass, "OK", "InsertBtnOK", "MacroBtnS_01", kPage, "Size_F", "Color_F", inInsert);
    pictureButton(pass, "Cancel", "InsertBtnCancel", "MacroBtnS_01", kPage, "Size_F", "Color_F", inInsert);
}

void applyUpdateAndGunPages(SkinPass& pass) {
    {
        constexpr SkinPage kPage = SkinPage::Update;
        Placement& path = pass.control("lbl_BINPath", kPage, SkinKind::Text);
        pass.moveTo(path, "lbl_BINPath");
        path.width = 520;
        pass.setText(path, "Size_I", "Color_I");
        path.height = textHeight(path.fontSize);
        Placement& caption = pass.control("lbl_LoadBin", kPage, SkinKind::Text);
        pass.moveTo(caption, "lbl_LoadBin");
        caption.width = 300;
        pass.setText(caption, "Size_I", "Color_I");
        caption.height = textHeight(caption.fontSize);
        pictureButton(pass, "LoadBIN", "Btn_LoadBin", "KeyS_01", kPage, "Size_I", "Color_I");
        pictureButton(pass, "Program", "Btn_Program", "KeyS_01", kPage, "Size_I", "Color_I");
    }

    constexpr SkinPage kPage = SkinPage::Gun;
    for (int g = 1; g <= 7; ++g) {
        const std::string picture = concat("Gun", g, g == 1 ? "_02" : "_01");
        pictureButton(pass, concat("Fire", g), concat("Fire", g), picture, kPage, "Size_J", "Color_J_Font");
    }
    for (int k = 1; k <= 5; ++k)
        pass.moveTo(pass.picture(concat("Img_GunMode", k), kPage, concat("GunMode", k)),
                    concat("GunMode", k));
    Placement& keepLeft = pass.picture("Img_FireSelLeft", kPage, "CbS_E");
    pass.moveTo(keepLeft, "IsHasLK");
    for (int s = 1; s <= 3; ++s) {
        edit(pass, concat("Edt_FireCnt", s), kPage, concat("FireCnt", s), 60, "Size_J", "Color_J_Font");
        edit(pass, concat("Edt_FireX", s), kPage, concat("FireX", s), 60, "Size_J", "Color_J_Font");
        edit(pass, concat("Edt_FireX", s, "Offset"), kPage, concat("FireX", s, "_Offset"), 60, "Size_J",
             "Color_J_Font");
        edit(pass, concat("Edt_FireY", s), kPage, concat("FireY", s), 60, "Size_J", "Color_J_Font");
        edit(pass, concat("Edt_FireY", s, "Offset"), kPage, concat("FireY", s, "_Offset"), 60, "Size_J",
             "Color_J_Font");
        edit(pass, concat("Edt_FireTime", s), kPage, concat("FireTime", s), 60, "Size_J", "Color_J_Font");
        swatch(pass, concat("FireColor", s), concat("cs_FireColor", s), concat("Img_FireColor", s),
               concat("IB_FireColor", s), kPage);
    }
    pictureButton(pass, "FireConfirm", "FireConfirm", "BtnS_01", kPage, "Size_J", "Color_J_Font");
    pictureButton(pass, "FireExit", "FireCancel", "BtnS_01", kPage, "Size_J", "Color_J_Font");
}

} // namespace krm
