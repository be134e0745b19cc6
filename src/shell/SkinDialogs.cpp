#include "shell/SkinPass.h"

namespace krm {

namespace {

struct DialogKeys {
    SkinPage page;
    std::string_view size;       // region of the dialog's text size
    std::string_view colour;     // text colour
    std::string_view editColour; // text colour of the value edits
    std::string_view confirm, clear, close;
};

// Title, value edit, Confirm, Clear and Close of the dialog's region.
void placeFrame(SkinPass& pass, const DialogKeys& keys) {
    const PictureSize msg = pass.pictures("MSG");
    pass.layout.windowWidth = msg.width;
    pass.layout.windowHeight = msg.height;
    Placement& background = pass.picture("Img_Msg", keys.page, "MSG");
    background.x = background.y = 0;

    struct Button {
        std::string_view role, prefix, picture;
    };
    for (const Button& b :
         {Button{"Confirm", keys.confirm, "BtnS_01"}, Button{"Cancel", keys.clear, "BtnS_01"},
          Button{"Close", keys.close, "ExitS_01"}}) {
        Placement& img = pass.picture(concat("Img_", b.role), keys.page, b.picture);
        pass.moveTo(img, b.prefix);
        Placement& label = pass.control(concat("IB_", b.role), keys.page, SkinKind::Label);
        label.x = img.x, label.y = img.y, label.width = img.width, label.height = img.height;
        pass.setText(label, keys.size, keys.colour, 1);
    }
}

Placement& title(SkinPass& pass, const DialogKeys& keys, std::string_view name, std::string_view prefix) {
    Placement& p = pass.control(name, keys.page, SkinKind::Text);
    pass.moveTo(p, prefix);
    pass.setText(p, keys.size, keys.colour, 5);
    p.height = textHeight(p.fontSize);
    p.width = pass.layout.windowWidth - p.x - 40;
    return p;
}

Placement& valueEdit(SkinPass& pass, const DialogKeys& keys, std::string_view name, std::string_view prefix) {
    Placement& p = pass.control(name, keys.page, SkinKind::Edit);
    pass.moveTo(p, prefix);
    if (auto w = pass.keys.getInt(concat(prefix, "_W"))) p.width = *w;
    pass.setText(p, keys.size, keys.editColour, 3);
    p.height = textHeight(p.fontSize) + 4;
    return p;
}

} // namespace

void applyDialogSkin(const IniFile& skin, int language, SkinDialog dialog, const PictureSizes& pictures,
                     SkinLayout& layout) {
    SkinKeys keys(skin, skinSectionName(language), layout);
    SkinPass pass{keys, layout, pictures, language, {}};

    switch (dialog) {
    case SkinDialog::KeyCombination: {
        // The key-combination dialog takes the gun page's text size.
        const DialogKeys k{SkinPage::KeyDialog, "Size_J",  "Color_K", "Color_K_AK", "AK_Cfm",
                           "AK_Clear",          "AK_Close"};
        keys.readSize(k.size);
        keys.readColour(k.colour);
        keys.readColour(k.editColour);
        placeFrame(pass, k);
        title(pass, k, "lbl_Title", "AKT");
        valueEdit(pass, k, "Edt_Assembly", "AKC");
        struct Box {
            std::string_view name, prefix;
        };
        for (const Box& b : {Box{"CB_Ctrl", "MK_C"}, Box{"CB_Shift", "MK_S"}, Box{"CB_Alt", "MK_A"},
                             Box{"CB_Win", "MK_W"}}) {
            Placement& p = pass.control(b.name, k.page, SkinKind::Text);
            pass.moveTo(p, b.prefix);
            pass.setText(p, k.size, k.colour);
            p.width = 80;
            p.height = textHeight(p.fontSize);
        }
        break;
    }
    case SkinDialog::Value: {
        const DialogKeys k{
            SkinPage::ValueDialog, "Size_L", "Color_L", "Color_L_MN", "MN_Cfm", "MN_Clear", "MN_Close"};
        keys.readSize(k.size);
        keys.readColour(k.colour);
        keys.readColour(k.editColour);
        placeFrame(pass, k);
        title(pass, k, "lbl_Title", "MNT");
        valueEdit(pass, k, "Edt_Value", "MNC");
        break;
    }
    case SkinDialog::XY: {
        // The X/Y dialog has the value dialogs' buttons.
        const DialogKeys k{SkinPage::XYDialog, "Size_M",   "Color_M", "Color_M_MN",
                           "MN_Cfm",           "MN_Clear", "MN_Close"};
        keys.readSize(k.size);
        keys.readColour(k.colour);
        keys.readColour(k.editColour);
        placeFrame(pass, k);
        Placement& x = title(pass, k, "lbl_XTitle", "NewX");
        Placement& y = title(pass, k, "lbl_YTitle", "NewY");
        Placement& xEdit = valueEdit(pass, k, "Edt_EditX", "NewXVal");
        Placement& yEdit = valueEdit(pass, k, "Edt_EditY", "NewYVal");
        // A caption ends where its edit begins.
        x.width = std::max(0, xEdit.x - x.x - 8);
        y.width = std::max(0, yEdit.x - y.x - 8);
        break;
    }
    }
}

} // namespace krm
