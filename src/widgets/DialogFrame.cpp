#include "widgets/DialogFrame.h"

#include "shell/LanguageTables.h"
#include "widgets/Desktop.h"
#include "widgets/ImageButton.h"
#include "widgets/QtImages.h"
#include "widgets/SkinWidgets.h"
#include "widgets/WindowShape.h"

#include <QBitmap>
#include <QLabel>
#include <QPainter>
#include <QWidget>

namespace krm::gui {

namespace {

const PictureSizes& pictureSizes() {
    static const PictureSizes kSizes = PictureSizes::fromResources();
    return kSizes;
}

ImageButton* button(QWidget* parent, const char* name, const QString& picture) {
    auto* b = new ImageButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setPictureFamily(picture);
    return b;
}

} // namespace

DialogFrame::DialogFrame(QWidget* dialog)
    : dialog_(dialog), title_(new QLabel(dialog)),
      confirm_(button(dialog, "IB_Confirm", QStringLiteral("BtnS"))),
      clear_(button(dialog, "IB_Cancel", QStringLiteral("BtnS"))),
      close_(button(dialog, "IB_Close", QStringLiteral("ExitS"))) {
    title_->setObjectName(QStringLiteral("lbl_Title"));
    title_->setTextFormat(Qt::PlainText);
    title_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void DialogFrame::applySkin(SkinDialog kind, int language, const QString& fontFamily, SkinLayout& layout) {
    applyDialogSkin(loadSkin(language), language, kind, pictureSizes(), layout);
    const QBitmap shape = resourceMask(QStringLiteral("MSG"));
    background_ = resourcePixmap(QStringLiteral("MSG"));
    dialog_->setFixedSize(background_.isNull() ? QSize(layout.windowWidth, layout.windowHeight)
                                               : background_.deviceIndependentSize().toSize());
    if (!shape.isNull()) setWindowShape(dialog_, shape);
    // The X/Y dialog places no title of its own: it takes the value dialogs' place for it.
    if (!layout.find("lbl_Title")) {
        SkinLayout value;
        applyDialogSkin(loadSkin(language), language, SkinDialog::Value, pictureSizes(), value);
        place(title_, value, "lbl_Title", fontFamily);
    }
    place(title_, layout, "lbl_Title", fontFamily);
    place(confirm_, layout, "IB_Confirm", fontFamily);
    place(clear_, layout, "IB_Cancel", fontFamily);
    place(close_, layout, "IB_Close", fontFamily);
    // The close button shows a cross, no text: a screen reader hears what it does.
    close_->setAccessibleName(QString::fromStdString(lookupText(language, "Str913")));
}

void DialogFrame::place(QWidget* control, const SkinLayout& layout, const char* name,
                        const QString& fontFamily) {
    if (const Placement* p = layout.find(name)) applyPlacement(control, *p, fontFamily);
}

void DialogFrame::paint(QPainter& painter) const {
    if (!background_.isNull()) {
        painter.drawPixmap(0, 0, background_);
        return;
    }
    painter.fillRect(dialog_->rect(), QColor(24, 25, 31));
}

void DialogFrame::centreOn(const QWidget* mainWindow) const {
    placeOver(dialog_, mainWindow);
}

} // namespace krm::gui
