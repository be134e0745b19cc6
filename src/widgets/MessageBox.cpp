#include "widgets/MessageBox.h"

#include "widgets/ImageButton.h"
#include "widgets/QtImages.h"
#include "widgets/WindowShape.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>

namespace krm::gui {

namespace {
constexpr QSize kDefaultSize(530, 200);
constexpr int kTextPixelSize = 17;
constexpr int kButtonPixelSize = 15;
constexpr int kTitlePixelSize = 14;
} // namespace

MessageBox::MessageBox(QWidget* parent, const QString& text, const QString& fontFamily)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      background_(resourcePixmap(QStringLiteral("MSG"))) {
    setModal(true);
    setWindowTitle(QGuiApplication::applicationDisplayName());
    setFixedSize(background_.isNull() ? kDefaultSize : background_.deviceIndependentSize().toSize());

    QFont font(fontFamily.isEmpty() ? QStringLiteral("DejaVu Sans") : fontFamily);
    font.setPixelSize(kTextPixelSize);

    // The picture's header band carries the program's title.
    auto* title = new QLabel(QGuiApplication::applicationDisplayName(), this);
    title->setObjectName(QStringLiteral("lbl_Title"));
    QFont titleFont = font;
    titleFont.setPixelSize(kTitlePixelSize);
    titleFont.setBold(true);
    title->setFont(titleFont);
    title->setStyleSheet(QStringLiteral("color: #e2e7ee;"));
    title->setGeometry(26, 1, width() - 52, 45);

    text_ = new QLabel(text, this);
    text_->setObjectName(QStringLiteral("lbl_Message"));
    text_->setFont(font);
    text_->setWordWrap(true);
    text_->setAlignment(Qt::AlignCenter);
    text_->setStyleSheet(QStringLiteral("color: #e8e8ee;"));
    text_->setGeometry(30, 52, width() - 60, height() - 52 - 56);

    ok_ = new ImageButton(this);
    ok_->setObjectName(QStringLiteral("Btn_OK"));
    ok_->setPictures(resourcePixmap(QStringLiteral("BtnS_01")), resourcePixmap(QStringLiteral("BtnS_02")),
                     resourcePixmap(QStringLiteral("BtnS_03")));
    ok_->resize(101, 30);
    QFont buttonFont = font;
    buttonFont.setPixelSize(kButtonPixelSize);
    ok_->setFont(buttonFont);
    ok_->setText(QStringLiteral("OK"));
    ok_->setStyleSheet(QStringLiteral("color: white;"));
    ok_->move((width() - ok_->width()) / 2, height() - ok_->height() - 22);
    connect(ok_, &ImageButton::clicked, this, &QDialog::accept);
    if (const QBitmap shape = resourceMask(QStringLiteral("MSG")); !shape.isNull())
        setWindowShape(this, shape);
}

QString MessageBox::text() const {
    return text_->text();
}

void MessageBox::show(QWidget* parent, const QString& text, const QString& fontFamily) {
    MessageBox box(parent, text, fontFamily);
    if (parent) {
        const QRect p = parent->frameGeometry();
        box.move(p.left() + (p.width() - box.width()) / 2, p.top() + (p.height() - box.height()) / 2);
    }
    box.exec();
}

void MessageBox::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        accept();
        return;
    default:
        QDialog::keyPressEvent(e);
    }
}

void MessageBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!background_.isNull()) {
        p.drawPixmap(0, 0, background_);
        return;
    }
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(200, 40, 40));
    p.setBrush(QColor(24, 25, 31));
    p.drawRoundedRect(rect().adjusted(1, 1, -1, -1), 10, 10);
}

} // namespace krm::gui
