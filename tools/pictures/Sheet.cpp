// The contact sheet and the page previews.
#include "Pictures.h"

#include "shell/Skin.h"

#include <QDir>
#include <QFont>
#include <QFontMetrics>
#include <QHash>

#include <algorithm>
#include <vector>

namespace krm::pictures {

namespace {

void checkerboard(QPainter& p, const QRect& r) {
    p.save();
    p.setClipRect(r);
    p.setPen(Qt::NoPen);
    for (int y = r.top(); y < r.bottom(); y += 8)
        for (int x = r.left(); x < r.right(); x += 8) {
            p.setBrush(((x - r.left()) / 8 + (y - r.top()) / 8) % 2 ? QColor(62, 62, 66)
                                                                    : QColor(48, 48, 52));
            p.drawRect(x, y, 8, 8);
        }
    p.restore();
}

// Sheet order: the looks' pictures first, then the shared ones, then the busy animation.
int sheetGroup(const QString& name) {
    if (name.startsWith('L') && name.size() > 2 && name[2] == '_') return name[1].digitValue();
    if (name.startsWith(QStringLiteral("WaitGif"))) return 5;
    return 4;
}

QFont uiFont(int pointSize, bool bold = false) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSize(pointSize);
    f.setBold(bold);
    return f;
}

} // namespace

QImage contactSheet(const PictureSet& pictures) {
    std::vector<QString> names;
    for (const auto& [name, image] : pictures) names.push_back(name);
    std::stable_sort(names.begin(), names.end(),
                     [](const QString& a, const QString& b) { return sheetGroup(a) < sheetGroup(b); });

    constexpr int kColumns = 6, kCellW = 210, kCellH = 170, kPictureH = 134, kMargin = 16, kHeader = 44;
    const int rows = (static_cast<int>(names.size()) + kColumns - 1) / kColumns;
    QImage sheet =
        canvas(kMargin * 2 + kColumns * kCellW, kHeader + kMargin + rows * kCellH, QColor(24, 24, 28));
    QPainter p;
    beginPainter(p, sheet);
    p.setPen(QColor(230, 230, 235));
    p.setFont(uiFont(13, true));
    p.drawText(QRect(kMargin, 8, sheet.width(), 30), Qt::AlignVCenter,
               QStringLiteral("Pictures of resources/images (%1) - tools/pictures/generate_pictures.cpp")
                   .arg(names.size()));
    for (std::size_t i = 0; i < names.size(); ++i) {
        const QImage& image = pictures.at(names[i]);
        const int column = static_cast<int>(i) % kColumns, row = static_cast<int>(i) / kColumns;
        const QRect cell(kMargin + column * kCellW, kHeader + row * kCellH, kCellW - 10, kCellH - 10);
        const QRect area(cell.left(), cell.top(), cell.width(), kPictureH);
        checkerboard(p, area);
        const qreal scale =
            std::min({area.width() / qreal(image.width()), area.height() / qreal(image.height()), 3.0});
        const QSizeF size(image.width() * scale, image.height() * scale);
        const QRectF target(area.left() + (area.width() - size.width()) / 2,
                            area.top() + (area.height() - size.height()) / 2, size.width(), size.height());
        p.drawImage(target, image);
        p.setPen(QColor(220, 220, 226));
        p.setFont(uiFont(8, true));
        p.drawText(QRect(cell.left(), area.bottom() + 2, cell.width(), 14), Qt::AlignLeft, names[i]);
        p.setPen(QColor(150, 150, 158));
        p.setFont(uiFont(7));
        p.drawText(QRect(cell.left(), area.bottom() + 2, cell.width(), 14), Qt::AlignRight,
                   QStringLiteral("%1 x %2").arg(image.width()).arg(image.height()));
    }
    return sheet;
}

namespace {

// Captions standing in for the language tables in the previews.
QString caption(const std::string& control) {
    static const QHash<QString, QString> kTexts = {
        {"Main", "Profile 1"},
        {"Switch", "Profile 2"},
        {"Fixed", "Profile 3"},
        {"Adv", "Performance"},
        {"Breath", "Lighting"},
        {"Macro", "Macro"},
        {"Update", "Update"},
        {"Save", "Save"},
        {"Load", "Load"},
        {"Lang1", "English"},
        {"Lang2", "Turkish"},
        {"Lang3", "Chinese"},
        {"Confirm1", "Default 1"},
        {"Confirm2", "Default 2"},
        {"Confirm3", "Default 3"},
        {"Key1", "Left Click"},
        {"Key4", "Right Click"},
        {"Key7", "Middle Click"},
        {"Key2", "Backward"},
        {"Key5", "Forward"},
        {"Key8", "DPI Loop"},
        {"Key3", "Fire Key1"},
        {"Key6", "Win+D"},
        {"Key9", "Profile Loop"},
        {"IB_ComboKey1", "Press 'Right Key'+'Back' to switch LED Mode"},
        {"IB_ComboKey2", "Press 'Middle Key' 3sec to switch Mode A/B"},
        {"IB_ComboKey3", "Press 'DPI' 3sec to switch Office Mode/Game Mode"},
        {"IB_ComboKey4", "Press 'DPI +' 3s Switch Office Mode/Game Mode"},
        {"IB_ComboKey5", "Press 'CPI -' 3s Switch Mode A/B"},
        {"IB_ComboKey6", "Right Key'+'Back' Switch Mode A/B"},
        {"IB_ComboKey7", "Right Key'+'Forward' Switch Mode A/B"},
        {"IB_ComboKey8", "Enable Gun Key Switch Mode A/B"},
        {"Fire_Key_Lable", "Fire Key"},
        {"Fire_Key_Count_Lable", "Repeat(2-15)"},
        {"Fire_Key_Time_Lable", "Interval(ms)"},
        {"Fire_Key_Continue_Lable", "Continue"},
        {"Fire_Key1_Lable", "Fire Key1"},
        {"Fire_Key2_Lable", "Fire Key2"},
        {"Fire_Key3_Lable", "Fire Key3"},
        {"Mouse_Speed_Lable", "Moving Speed"},
        {"lbl_IsControl", "Enhance pointer precision"},
        {"Mouse_Double_Click_Lable", "Double Click Speed"},
        {"Mouse_Roller_Speed_Lable", "Rolling Speed"},
        {"lbl_IsScreen", "One roll a screen"},
        {"DPI_Setting_Lable", "DPI Setting"},
        {"DPI_Count_Lable", "DPI Levels"},
        {"DPI_Value_Lable", "Value"},
        {"Rating_Setting_Lable", "Report Rate"},
        {"lbl_Rep1", "125Hz"},
        {"lbl_Rep2", "250Hz"},
        {"lbl_Rep3", "500Hz"},
        {"lbl_Rep4", "1000Hz"},
        {"lbl_AIMDPI", "AIM"},
        {"LED_Effect_Setting_Lable", "Light Effect"},
        {"LED_Effect_Slow_Lable", "Slow"},
        {"LED_Effect_Fast_Lable", "Fast"},
        {"LED_Mode_Lable", "Light Mode"},
        {"lbl_LED1", "Off"},
        {"lbl_LED2", "Random"},
        {"lbl_LED3", "Breath in turn"},
        {"lbl_LED4", "Fixed Color"},
        {"lbl_LED5", "Mixed Color"},
        {"lbl_LED6", "DPI Color"},
        {"lbl_LED7", "Waltz"},
        {"LED_Light_Lable", "Brightness"},
        {"lbl_MCULED3Control", "Full"},
        {"lbl_MCULED6Control", "Half"},
        {"LED_Color_Lable", "Colors"},
        {"Marco_List_Lable", "Macro List"},
        {"Marco_Content_Lable", "Macro Content"},
        {"Marco_Mouse_List_Lable", "Storage in Mouse"},
        {"lbl_Record_Delay", "Real Time"},
        {"lbl_Delay_Setting", "Delay Time"},
        {"lbl_MS", "ms"},
        {"lbl_No_Delay", "No Delay"},
        {"lbl_ReleaseStopEnter", "Untill the macro key released"},
        {"lbl_ReleaseStopCount", "Number of cycles(1-254)"},
        {"Btn_New", "New"},
        {"btn_Delete", "Delete"},
        {"Btn_Start", "Record"},
        {"Btn_Add_Mouse", "Add to Mouse"},
        {"Btn_delete_mouse", "Delete"},
        {"lbl_LoadBin", "Patch file:"},
        {"lbl_BINPath", "/home/user/patch.bin"},
        {"Btn_LoadBIN", "Load File"},
        {"Btn_Program", "Program"},
        {"Btn_Fire1", "AKM Fire"},
        {"Btn_Fire2", "M4 Fire"},
        {"Btn_Fire3", "SMG Fire"},
        {"Btn_Fire4", "LMG Fire"},
        {"Btn_Fire5", "DMR Fire"},
        {"Btn_Fire6", "Shotgun"},
        {"Btn_Fire7", "Burst Fire"},
        {"Gun_Marco_Fire_Count_Lable", "Count"},
        {"Gun_Marco_Fire_X_Lable", "X"},
        {"Gun_Marco_X_Offset_Lable", "X Offset"},
        {"Gun_Marco_Fire_Y_Lable", "Y"},
        {"Gun_Marco_Y_Offset_Lable", "Y Offset"},
        {"Gun_Marco_Fire_Delay_Lable", "Interval"},
        {"Gun_Marco_Color_Lable", "Color"},
        {"lbl_FireSelLeft", "Keep the left key pressed while firing"},
        {"Btn_FireConfirm", "Confirm"},
        {"Btn_FireExit", "Cancel"},
        {"lbl_Title", "Assembly Key"},
        {"IB_Confirm", "Confirm"},
        {"IB_Cancel", "Clear"},
        {"CB_Ctrl", "Ctrl"},
        {"CB_Shift", "Shift"},
        {"CB_Alt", "Alt"},
        {"CB_Win", "Win"},
        {"lbl_XTitle", "X Value"},
        {"lbl_YTitle", "Y Value"},
    };
    QString name = QString::fromStdString(control);
    if (kTexts.contains(name)) return kTexts[name];
    if (name.startsWith("lbl_DPI") && name.endsWith("Value")) return QStringLiteral("1600");
    if (name == "lbl_AIMDPIValue") return QStringLiteral("400");
    if (name.startsWith("lbl_DPI") && name.size() == 8) return "DPI " + name.right(1);
    // Five-copy buttons: drop the copy suffix and the Btn_ prefix.
    if (name.startsWith("Btn_") && name[name.size() - 2] == '_') {
        const QString role = name.mid(4, name.size() - 6);
        if (kTexts.contains(role)) return kTexts[role];
    }
    if (name.startsWith("Key") && kTexts.contains(name)) return kTexts[name];
    return {};
}

QString editSample(const std::string& control) {
    const QString name = QString::fromStdString(control);
    if (name.startsWith("Edt_Repeat")) return "3";
    if (name.startsWith("Edt_DelayTime")) return "60";
    if (name.startsWith("Edt_FireTime")) return "32";
    if (name == "Edt_Delay") return "20";
    if (name == "Edt_StopCount") return "1";
    if (name == "Edt_Assembly") return "Ctrl+Shift+A";
    if (name.startsWith("Edt_Fire")) return "0";
    if (name.startsWith("Edt_Edit")) return "12";
    return "";
}

struct Preview {
    QImage image;
    QPainter painter;
};

void renderPage(const PictureSet& pictures, const SkinLayout& layout, SkinPage page, QImage& out) {
    QPainter p;
    beginPainter(p, out);
    std::vector<std::pair<std::string, const Placement*>> items;
    for (const auto& [name, placement] : layout.placements())
        if (placement.page == page && placement.visible) items.emplace_back(name, &placement);
    // Backgrounds first, then boxes and pictures, then the controls on them.
    auto rank = [](const std::string& name, const Placement* pl) {
        if (name.rfind("Img_Base_", 0) == 0 || name == "Img_Msg") return 0;
        if (name.size() == 6 && name.rfind("Img_P", 0) == 0) return 1;
        if (pl->kind == SkinKind::Box) return 2;
        if (name.rfind("cs_", 0) == 0) return 3;
        if (pl->kind == SkinKind::Picture) return 4;
        return 5;
    };
    std::sort(items.begin(), items.end(), [&](const auto& a, const auto& b) {
        return std::pair(rank(a.first, a.second), a.first) < std::pair(rank(b.first, b.second), b.first);
    });
    static const QColor kSwatches[] = {{255, 40, 40},   {255, 140, 0}, {255, 230, 0},  {60, 220, 80},
                                       {0, 200, 255},   {40, 90, 255}, {170, 60, 255}, {255, 80, 200},
                                       {255, 255, 255}, {0, 255, 190}};
    int swatch = 0;
    for (const auto& [name, pl] : items) {
        // What a view shows only in some states stays out of the preview: the insert box, the MCU LED speed,
        // the stage pictures of gun 6.
        if (pl->parent == "Gb_Insert" || name == "Gb_Insert" ||
            name.find("MCULEDStep") != std::string::npos || name == "slider_MCULED_Speed" ||
            name == "Img_GunMode1" || name == "Img_GunMode2")
            continue;
        QRectF r(pl->x, pl->y, pl->width, pl->height);
        if (!pl->parent.empty())
            if (const Placement* parent = layout.find(pl->parent)) r.translate(parent->x, parent->y);
        const QColor text = QColor(colourRed(pl->colour), colourGreen(pl->colour), colourBlue(pl->colour));
        QFont font = uiFont(std::max(6, pl->fontSize));
        p.setFont(font);
        switch (pl->kind) {
        case SkinKind::Picture:
            if (name.rfind("cs_", 0) == 0) {
                p.setPen(Qt::NoPen);
                p.setBrush(kSwatches[swatch++ % 10]);
                p.drawRoundedRect(r.adjusted(2, 2, -2, -2), 3, 3);
            } else if (pictures.count(QString::fromStdString(pl->picture))) {
                p.drawImage(r, pictures.at(QString::fromStdString(pl->picture)));
            }
            break;
        case SkinKind::Box:
            break;
        case SkinKind::Label:
        case SkinKind::Text: {
            const QString t = caption(name);
            if (t.isEmpty()) break;
            p.setPen(text);
            const bool centred = pl->kind == SkinKind::Label && name.rfind("Key", 0) != 0;
            const QRectF inner = name.rfind("Key", 0) == 0 ? r.adjusted(14, 0, 0, 0) : r;
            p.drawText(inner, (centred ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter), t);
            break;
        }
        case SkinKind::Edit:
        case SkinKind::Combo:
        case SkinKind::List: {
            const bool dialog =
                page == SkinPage::KeyDialog || page == SkinPage::ValueDialog || page == SkinPage::XYDialog;
            p.setPen(QPen(QColor(70, 77, 90), 1));
            p.setBrush(dialog ? QColor(246, 247, 249) : QColor(16, 18, 22));
            p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
            p.setPen(text);
            if (pl->kind == SkinKind::Edit) p.drawText(r, Qt::AlignCenter, editSample(name));
            if (pl->kind == SkinKind::Combo) {
                p.drawText(r.adjusted(8, 0, -20, 0), Qt::AlignLeft | Qt::AlignVCenter,
                           name == "CB_Insert" ? "Insert Delay Front" : "5");
                p.drawText(r.adjusted(0, 0, -6, 0), Qt::AlignRight | Qt::AlignVCenter,
                           QStringLiteral("\u25be"));
            }
            if (pl->kind == SkinKind::List) {
                const int rowH = layout.macroItemHeight > 0 ? layout.macroItemHeight : 20;
                for (int i = 0; i < 4 && (i + 1) * rowH < r.height(); ++i)
                    p.drawText(QRectF(r.left() + 6, r.top() + 2 + i * rowH, r.width() - 8, rowH),
                               Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Macro%1").arg(i + 1));
            }
            break;
        }
        case SkinKind::Slider: {
            const QImage& ruler = pictures.at("Slider_Ruler");
            const QImage& thumb = pictures.at("Slider_Thumb");
            p.drawImage(QRectF(r.left(), r.top(), r.width(), 25), ruler);
            p.drawImage(QRectF(r.left() + r.width() * 0.4, r.top(), 25, 25), thumb);
            break;
        }
        }
    }
}

} // namespace

void writePreviews(const PictureSet& pictures, const QString& skinDirectory, const QString& directory) {
    QDir().mkpath(directory);
    for (int look = 1; look <= 3; ++look) {
        const IniFile skin = readSkin(skinDirectory, look);
        for (int bars = 0; bars <= 1; ++bars) {
            SkinLayout layout;
            applySkin(skin, look, SkinBranding{1, bars, 1}, PictureSizes::listed(), layout);
            for (int page = 1; page <= 6; ++page) {
                if (bars == 0 && page != 2 && page != 3) continue;
                QImage image = canvas(1030, 662, kColourKey);
                renderPage(pictures, layout, static_cast<SkinPage>(page), image);
                image.save(QStringLiteral("%1/L%2-page%3%4.png")
                               .arg(directory)
                               .arg(look)
                               .arg(page)
                               .arg(bars == 0 ? "-bars" : ""));
            }
        }
        int n = 0;
        for (SkinDialog dialog : {SkinDialog::KeyCombination, SkinDialog::Value, SkinDialog::XY}) {
            SkinLayout layout;
            applyDialogSkin(skin, look, dialog, PictureSizes::listed(), layout);
            QImage image = canvas(530, 200, kColourKey);
            const SkinPage page = dialog == SkinDialog::KeyCombination ? SkinPage::KeyDialog
                                  : dialog == SkinDialog::Value        ? SkinPage::ValueDialog
                                                                       : SkinPage::XYDialog;
            renderPage(pictures, layout, page, image);
            image.save(QStringLiteral("%1/L%2-dialog%3.png").arg(directory).arg(look).arg(++n));
        }
    }
}

} // namespace krm::pictures
