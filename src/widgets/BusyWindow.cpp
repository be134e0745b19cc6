#include "widgets/BusyWindow.h"

#include "base/ResourceTable.h"
#include "widgets/Desktop.h"
#include "widgets/QtImages.h"

#include <QPainter>
#include <QtMath>

namespace krm::gui {

BusyWindow::BusyWindow(QWidget* mainWindow)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool),
      mainWindow_(mainWindow) {
    // Where the compositor would put a window of its own anywhere, the animation is drawn in the
    // main window.
    if (!programPlacesWindows()) setParent(mainWindow, Qt::Widget);
    setFixedSize(kWidth, kHeight);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("Busy"));
    if (desktopComposites()) setAttribute(Qt::WA_TranslucentBackground);
    animation_.setInterval(60);
    connect(&animation_, &QTimer::timeout, this, [this] {
        frame_ = (frame_ + 1) % frameCount();
        update();
    });
}

void BusyWindow::placeOverMainWindow(int extraTop) {
    const QRect main = isWindow() ? mainWindow_->frameGeometry() : mainWindow_->rect();
    move(main.left() + (main.width() - kWidth) / 2, main.top() + (main.height() - kHeight) / 2 + extraTop);
}

namespace {
QString pictureName(int n) {
    return QStringLiteral("WaitGif_%1").arg(n + 1, 2, 10, QLatin1Char('0'));
}
} // namespace

int BusyWindow::pictureCount() const {
    if (pictureCount_ < 0) {
        pictureCount_ = 0;
        while (pictureCount_ < 99 && ResourceTable::find(pictureName(pictureCount_).toStdString()))
            ++pictureCount_;
    }
    return pictureCount_;
}

// A frame is decoded when it is drawn (a fifth of a millisecond for 200 x 192 pixels, every 60 ms while
// the window shows).
QPixmap BusyWindow::picture(int n) const {
    if (n != shownPicture_) {
        shown_ = transientPixmap(pictureName(n));
        shownPicture_ = n;
    }
    return shown_;
}

void BusyWindow::showEvent(QShowEvent*) {
    if (!isWindow()) raise();
    if (!testAttribute(Qt::WA_TranslucentBackground) && mask().isEmpty()) setMask(shape());
    animation_.start();
}
void BusyWindow::hideEvent(QHideEvent*) {
    animation_.stop();
    shown_ = {};
    shownPicture_ = -1;
}

QRegion BusyWindow::shape() const {
    // The faint outer glow stays outside: cut at a quarter of full cover.
    constexpr int kShapeAlpha = 64;
    QImage all(size(), QImage::Format_ARGB32_Premultiplied);
    all.fill(Qt::transparent);
    {
        QPainter p(&all);
        for (int n = 0; n < frameCount(); ++n) drawFrame(p, n);
    }
    QRegion region;
    for (int y = 0; y < all.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(all.constScanLine(y));
        int x = 0;
        while (x < all.width()) {
            while (x < all.width() && qAlpha(line[x]) < kShapeAlpha) ++x;
            const int start = x;
            while (x < all.width() && qAlpha(line[x]) >= kShapeAlpha) ++x;
            if (x > start) region += QRect(start, y, x - start, 1);
        }
    }
    return region;
}

void BusyWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // Cut to shape, the window draws its own background under the animation's soft edges.
    if (!testAttribute(Qt::WA_TranslucentBackground)) p.fillRect(rect(), QColor(20, 22, 27));
    drawFrame(p, frame_);
}

void BusyWindow::drawFrame(QPainter& p, int n) const {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    if (pictureCount() > 0) {
        // The animated picture is 200 x 192, stretched over the window.
        p.drawPixmap(rect(), picture(n % pictureCount()));
        p.restore();
        return;
    }
    // Drawn spinner: twelve spokes, the current one brightest.
    p.translate(width() / 2.0, height() / 2.0);
    for (int i = 0; i < 12; ++i) {
        const int age = (n - i + 12) % 12;
        QColor c(255, 64, 64);
        c.setAlphaF(1.0 - age / 13.0);
        p.save();
        p.rotate(i * 30.0);
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawRoundedRect(QRectF(-5, -62, 10, 26), 5, 5);
        p.restore();
    }
    p.restore();
}

} // namespace krm::gui
