#include "widgets/LookDialog.h"

#include "widgets/Desktop.h"
#include "widgets/ImageButton.h"
#include "widgets/QtImages.h"
#include "widgets/SkinWidgets.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <QWindow>

namespace krm::gui {

namespace {

constexpr int kTitleBand = 40; // the band at the top that carries the title and drags the dialog

ImageButton* pictureButton(QWidget* parent, const char* objectName, const QString& family) {
    auto* b = new ImageButton(parent);
    b->setObjectName(QString::fromLatin1(objectName));
    b->setPictureFamily(family);
    b->setFixedSize(resourcePixmap(family + QStringLiteral("_01")).deviceIndependentSize().toSize());
    return b;
}

} // namespace

QString DialogLook::text(const char* id) const {
    return texts ? QString::fromStdString(texts->text(id)) : QString();
}

LookDialog::LookDialog(QWidget* mainWindow, const DialogLook& look, const QString& title)
    : QDialog(mainWindow, Qt::Dialog | Qt::FramelessWindowHint), look_(look), mainWindow_(mainWindow) {
    const SkinLayout empty;
    const SkinLayout& layout = look_.layout ? *look_.layout : empty;
    panel_ = toQColor(layout.colour("Color_G_Back"));
    border_ = toQColor(layout.colour("Color_G_SP"));
    setWindowTitle(title);
    setStyleSheet(dialogStyle(layout));
    setFont(skinFont(look_.fontFamily, 9));

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(18, 8, 12, 16);
    auto* band = new QHBoxLayout;
    title_ = new QLabel(title, this);
    title_->setObjectName(QStringLiteral("lbl_Title"));
    title_->setFont(skinFont(look_.fontFamily, 13, true));
    title_->setMinimumHeight(kTitleBand - 8);
    band->addWidget(title_, 1);
    close_ = pictureButton(this, "IB_Close", QStringLiteral("ExitS"));
    close_->setAccessibleName(look_.text("Str913"));
    connect(close_, &ImageButton::clicked, this, &QDialog::reject);
    band->addWidget(close_, 0, Qt::AlignTop);
    column->addLayout(band);

    body_ = new QVBoxLayout;
    body_->setContentsMargins(0, 4, 6, 0);
    column->addLayout(body_, 1);
    buttons_ = new QHBoxLayout;
    buttons_->setContentsMargins(0, 8, 6, 0);
    buttons_->addStretch(1);
    column->addLayout(buttons_);
}

ImageButton* LookDialog::addButton(const char* objectName, const QString& caption) {
    ImageButton* b = pictureButton(this, objectName, QStringLiteral("BtnS"));
    b->setFont(skinFont(look_.fontFamily, 10));
    QPalette pal = b->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    b->setPalette(pal);
    b->setText(caption);
    buttons_->addWidget(b);
    return b;
}

void LookDialog::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), panel_);
    p.setPen(QPen(border_, 2));
    p.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    p.setPen(QPen(border_, 1));
    p.drawLine(QPointF(12, kTitleBand + 0.5), QPointF(width() - 12, kTitleBand + 0.5));
}

void LookDialog::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!e->spontaneous()) placeOver(this, mainWindow_);
}

// The dialog has no frame of its own: its title band drags it.
void LookDialog::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || e->position().y() > kTitleBand) return QDialog::mousePressEvent(e);
    if (windowHandle() && windowHandle()->startSystemMove()) return;
    dragging_ = true;
    dragOffset_ = e->globalPosition().toPoint() - frameGeometry().topLeft();
}

void LookDialog::mouseMoveEvent(QMouseEvent* e) {
    if (dragging_) move(e->globalPosition().toPoint() - dragOffset_);
}

void LookDialog::mouseReleaseEvent(QMouseEvent* e) {
    dragging_ = false;
    QDialog::mouseReleaseEvent(e);
}

} // namespace krm::gui
