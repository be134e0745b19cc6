#include "widgets/MessageBox.h"

#include "widgets/Desktop.h"
#include "widgets/ImageButton.h"
#include "widgets/QtImages.h"
#include "widgets/WindowShape.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>

namespace krm::gui {

namespace {
constexpr QSize kDefaultSize(530, 200);
constexpr int kTextPixelSize = 17;
constexpr int kButtonPixelSize = 15;
constexpr int kTitlePixelSize = 14;
constexpr int kHeader = 52, kFooter = 56, kSide = 30; // the picture's title band, button band, margins
constexpr int kWidestLine = 920;                      // a longer line wraps
// The picture stretched to a larger box: its corners as they are, its edges and middle stretched.
constexpr QMargins kSlices(24, 48, 24, 24);

QPixmap stretched(const QPixmap& picture, QSize size) {
    const qreal ratio = picture.devicePixelRatio();
    QPixmap out(size * ratio);
    out.setDevicePixelRatio(ratio);
    out.fill(QColor(kColourKey));
    QPainter p(&out);
    const QSize from = picture.deviceIndependentSize().toSize();
    const int xs[] = {0, kSlices.left(), from.width() - kSlices.right(), from.width()};
    const int ys[] = {0, kSlices.top(), from.height() - kSlices.bottom(), from.height()};
    const int xd[] = {0, kSlices.left(), size.width() - kSlices.right(), size.width()};
    const int yd[] = {0, kSlices.top(), size.height() - kSlices.bottom(), size.height()};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            p.drawPixmap(QRectF(xd[c], yd[r], xd[c + 1] - xd[c], yd[r + 1] - yd[r]), picture,
                         QRectF(xs[c] * ratio, ys[r] * ratio, (xs[c + 1] - xs[c]) * ratio,
                                (ys[r + 1] - ys[r]) * ratio));
    return out;
}
} // namespace

MessageBox::MessageBox(QWidget* parent, const QString& text, const QString& fontFamily)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      background_(resourcePixmap(QStringLiteral("MSG"))) {
    setModal(true);
    setWindowTitle(QGuiApplication::applicationDisplayName());

    QFont font(fontFamily.isEmpty() ? QStringLiteral("DejaVu Sans") : fontFamily);
    font.setPixelSize(kTextPixelSize);

    // The box is the picture's size while the text fits; a longer text gets a box its size, within the
    // screen: as wide as its widest line (up to a limit, past which lines wrap) and as tall as it wraps.
    const QSize picture = background_.isNull() ? kDefaultSize : background_.deviceIndependentSize().toSize();
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const QRect room = screen ? screen->availableGeometry() : QRect(QPoint(), QSize(1024, 768));
    const QFontMetrics metrics(font);
    int textWidth = picture.width() - 2 * kSide;
    for (const QString& line : text.split(QLatin1Char('\n')))
        textWidth = std::max(textWidth, std::min(metrics.horizontalAdvance(line) + 4, kWidestLine));
    textWidth = std::min(textWidth, room.width() - 2 * kSide - 20);
    const int textHeight =
        metrics.boundingRect(QRect(0, 0, textWidth, 100000), Qt::AlignCenter | Qt::TextWordWrap, text)
            .height();
    // Never smaller than the picture; larger only as far as the screen allows.
    const QSize size = QSize(textWidth + 2 * kSide, kHeader + textHeight + 12 + kFooter)
                           .boundedTo(room.size())
                           .expandedTo(picture);
    setFixedSize(size);
    if (size != picture && !background_.isNull()) background_ = stretched(background_, size);

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
    text_->setGeometry(kSide, kHeader, width() - 2 * kSide, height() - kHeader - kFooter);
    // What a message tells may have to be copied (a rule line, a path): it can be selected, with the
    // pointer or the keyboard, and copied.
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    ok_ = new ImageButton(this);
    ok_->setObjectName(QStringLiteral("Btn_OK"));
    ok_->setPictureFamily(QStringLiteral("BtnS"));
    ok_->resize(101, 30);
    QFont buttonFont = font;
    buttonFont.setPixelSize(kButtonPixelSize);
    ok_->setFont(buttonFont);
    ok_->setText(QStringLiteral("OK"));
    ok_->setStyleSheet(QStringLiteral("color: white;"));
    ok_->move((width() - ok_->width()) / 2, height() - ok_->height() - 22);
    connect(ok_, &ImageButton::clicked, this, &QDialog::accept);
    if (size == picture) {
        if (const QBitmap shape = resourceMask(QStringLiteral("MSG")); !shape.isNull())
            setWindowShape(this, shape);
    } else if (const QImage whole = resourceImage(QStringLiteral("MSG")); !whole.isNull()) {
        setWindowShape(this, colourKeyMask(stretched(QPixmap::fromImage(whole), size).toImage()));
    }
}

QString MessageBox::text() const {
    return text_->text();
}

void MessageBox::show(QWidget* parent, const QString& text, const QString& fontFamily) {
    MessageBox box(parent, text, fontFamily);
    placeOver(&box, parent);
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
