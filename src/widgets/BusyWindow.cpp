#include "widgets/BusyWindow.h"

#include "base/ResourceTable.h"
#include "widgets/QtImages.h"

#include <QPainter>
#include <QtMath>

namespace krm::gui {

BusyWindow::BusyWindow(QWidget* mainWindow)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool),
      mainWindow_(mainWindow) {
    setFixedSize(kWidth, kHeight);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("Busy"));
    for (int i = 1; i < 100; ++i) {
        const QString name = QStringLiteral("WaitGif_%1").arg(i, 2, 10, QLatin1Char('0'));
        if (!ResourceTable::find(name.toStdString())) break;
        frames_.push_back(resourcePixmap(name));
    }
    animation_.setInterval(60);
    connect(&animation_, &QTimer::timeout, this, [this] {
        frame_ = (frame_ + 1) % (frames_.isEmpty() ? 12 : frames_.size());
        update();
    });
}

void BusyWindow::placeOverMainWindow(int extraTop) {
    const QRect main = mainWindow_->frameGeometry();
    move(main.left() + (main.width() - kWidth) / 2, main.top() + (main.height() - kHeight) / 2 + extraTop);
}

void BusyWindow::showEvent(QShowEvent*) {
    animation_.start();
}
void BusyWindow::hideEvent(QHideEvent*) {
    animation_.stop();
}

void BusyWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (!frames_.isEmpty()) {
        // The animated picture is 200 x 192, stretched over the window.
        p.drawPixmap(rect(), frames_[frame_ % frames_.size()]);
        return;
    }
    // Drawn spinner: twelve spokes, the current one brightest.
    p.translate(width() / 2.0, height() / 2.0);
    for (int i = 0; i < 12; ++i) {
        const int age = (frame_ - i + 12) % 12;
        QColor c(255, 64, 64);
        c.setAlphaF(1.0 - age / 13.0);
        p.save();
        p.rotate(i * 30.0);
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawRoundedRect(QRectF(-5, -62, 10, 26), 5, 5);
        p.restore();
    }
}

} // namespace krm::gui
