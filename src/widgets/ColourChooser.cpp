#include "widgets/ColourChooser.h"

#include "widgets/ImageButton.h"
#include "widgets/QtImages.h"
#include "widgets/SkinWidgets.h"

#include <QColorDialog>
#include <QDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace krm::gui {

namespace {

class ColourFrame final : public QDialog {
public:
    ColourFrame(QWidget* mainWindow, const SkinLayout& layout)
        : QDialog(mainWindow, Qt::Dialog | Qt::FramelessWindowHint),
          panel_(toQColor(layout.colour("Color_G_Back"))), border_(toQColor(layout.colour("Color_G_SP"))) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), panel_);
        p.setPen(QPen(border_, 2));
        p.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) return accept();
        QDialog::keyPressEvent(e);
    }

private:
    QColor panel_, border_;
};

} // namespace

std::optional<QColor> chooseColour(QWidget* mainWindow, const QColor& initial, const SkinLayout& layout,
                                   const QString& fontFamily, const TextSource* texts, const char* titleId) {
    const auto text = [texts](const char* id) {
        return texts ? QString::fromStdString(texts->text(id)) : QString();
    };
    const QString title = text(titleId);
    ColourFrame frame(mainWindow, layout);
    frame.setObjectName(QStringLiteral("dlgColour"));
    frame.setWindowTitle(title);
    frame.setStyleSheet(dialogStyle(layout));
    frame.setFont(skinFont(fontFamily, 9));
    auto* column = new QVBoxLayout(&frame);
    column->setContentsMargins(18, 12, 18, 16);
    auto* caption = new QLabel(title, &frame);
    caption->setObjectName(QStringLiteral("lbl_Title"));
    caption->setFont(skinFont(fontFamily, 13, true));
    column->addWidget(caption);
    auto* picker = new QColorDialog(initial, &frame);
    picker->setObjectName(QStringLiteral("ColourPicker"));
    picker->setWindowFlags(Qt::Widget);
    picker->setOptions(QColorDialog::DontUseNativeDialog | QColorDialog::NoButtons);
    column->addWidget(picker);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (const auto& [name, id, accept] :
         {std::tuple{"Btn_OK", "Str420", true}, std::tuple{"Btn_Cancel", "Str422", false}}) {
        auto* b = new ImageButton(&frame);
        b->setObjectName(QString::fromLatin1(name));
        b->setPictures(resourcePixmap(QStringLiteral("BtnS_01")), resourcePixmap(QStringLiteral("BtnS_02")),
                       resourcePixmap(QStringLiteral("BtnS_03")));
        b->setFixedSize(resourcePixmap(QStringLiteral("BtnS_01")).deviceIndependentSize().toSize());
        b->setFont(skinFont(fontFamily, 10));
        QPalette pal = b->palette();
        pal.setColor(QPalette::WindowText, Qt::white);
        b->setPalette(pal);
        b->setText(text(id));
        QObject::connect(b, &ImageButton::clicked, &frame, accept ? &QDialog::accept : &QDialog::reject);
        buttons->addWidget(b);
    }
    column->addLayout(buttons);
    frame.adjustSize();
    if (mainWindow) {
        const QRect m = mainWindow->geometry();
        frame.move(m.left() + (m.width() - frame.width()) / 2, m.top() + (m.height() - frame.height()) / 2);
    }
    if (frame.exec() != QDialog::Accepted) return std::nullopt;
    return picker->currentColor();
}

} // namespace krm::gui
