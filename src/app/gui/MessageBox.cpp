#include "app/gui/MessageBox.h"

#include "app/gui/ImageButton.h"
#include "app/gui/QtImages.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>

namespace krm::gui {

namespace {
constexpr QSize kDefaultSize(530, 200);
}

MessageBox::MessageBox(QWidget* parent, const QString& text, const QString& fontFamily)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setModal(true);
    setWindowTitle(QGuiApplication::applicationDisplayName());
    setAttribute(Qt::WA_TranslucentBackground);
    const QPixmap background = resourcePixmap(QStringLiteral("MSG"));
    setFixedSize(background.isNull() ? kDefaultSize : background.size());

    QFont font(fontFamily.isEmpty() ? QStringLiteral("DejaVu Sans") : fontFamily);
    font.setPixelSize(17);

    text_ = new QLabel(text, this);
    text_->setObjectName(QStringLiteral("lbl_Message"));
    text_->setFont(font);
    text_->setWordWrap(true);
    text_->setAlignment(Qt::AlignCenter);
    text_->setStyleSheet(QStringLiteral("color: #e8e8ee;"));
    text_->setGeometry(30, 24, width() - 60, height() - 90);

    ok_ = new ImageButton(this);
    ok_->setObjectName(QStringLiteral("Btn_OK"));
    ok_->setPictures(resourcePixmap(QStringLiteral("BtnS_01")), resourcePixmap(QStringLiteral("BtnS_02")),
                     resourcePixmap(QStringLiteral("BtnS_03")));
    if (ok_->pixmap().isNull()) ok_->resize(101, 30);
    QFont buttonFont = font;
    buttonFont.setPixelSize(15);
    ok_->setFont(buttonFont);
    ok_->setText(QStringLiteral("OK"));
    ok_->setStyleSheet(QStringLiteral("color: white;"));
    ok_->move((width() - ok_->width()) / 2, height() - ok_->height() - 22);
    connect(ok_, &ImageButton::clicked, this, &QDialog::accept);
}

QString MessageBox::text() const { return text_->text(); }

void MessageBox::show(QWidget* parent, const QString& text, const QString& fontFamily) {
    MessageBox box(parent, text, fontFamily);
    if (parent) {
        const QRect p = parent->frameGeometry();
        box.move(p.left() + (p.width() - box.width()) / 2, p.top() + (p.height() - box.height()) / 2);
    }
    box.exec();
}

void MessageBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPixmap background = resourcePixmap(QStringLiteral("MSG"));
    if (!background.isNull()) {
        p.drawPixmap(0, 0, background);
        return;
    }
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(200, 40, 40));
    p.setBrush(QColor(24, 25, 31));
    p.drawRoundedRect(rect().adjusted(1, 1, -1, -1), 10, 10);
}

} // namespace krm::gui
