#include "app/gui/QtUiPort.h"

#include "app/gui/MainWindow.h"
#include "widgets/BusyWindow.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace krm::gui {

void QtUiPort::showBusy() {
    BusyWindow* busy = window_ && !backgroundWrites_ ? window_->busyWindow() : nullptr;
    if (busy && !busy->isVisible()) {
        busy->placeOverMainWindow();
        busy->show();
    }
    processEvents();
}

void QtUiPort::hideBusy() {
    if (BusyWindow* busy = window_ ? window_->busyWindow() : nullptr) busy->hide();
    processEvents();
}

void QtUiPort::processEvents() {
    // The busy window animates and the window repaints, but what the user types and clicks meanwhile
    // waits in the queue until the write is done: run here, it would start an edit in the middle of
    // this one, from values the write has not finished with.
    ++nested_;
    if (window_) window_->nestEvents(true);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (window_) window_->nestEvents(false);
    --nested_;
}

void QtUiPort::waitWithEvents(int ms) {
    ++nested_;
    if (window_) window_->nestEvents(true);
    QEventLoop loop;
    QTimer::singleShot(std::max(ms, 0), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (window_) window_->nestEvents(false);
    --nested_;
}

void EventClock::sleepMs(int ms) {
    const QCoreApplication* app = QCoreApplication::instance();
    if (ui_.backgroundWrites() && app && QThread::currentThread() == app->thread())
        ui_.waitWithEvents(ms);
    else
        system_.sleepMs(ms);
}

void QtUiPort::showMessage(const std::string& text) {
    if (window_)
        window_->showMessage(QString::fromStdString(text));
    else if (fallback_)
        fallback_(text);
}

void QtUiPort::setPagesCovered(bool covered) {
    if (window_) window_->setPagesCovered(covered);
}

void QtUiPort::setTimerEnabled(UiTimer timer, bool enabled) {
    if (!window_) return;
    QTimer& t = timer == UiTimer::DevTimer        ? window_->devTimer()
                : timer == UiTimer::DevTimerFirst ? window_->devTimerFirst()
                                                  : window_->labelRun();
    if (enabled)
        t.start();
    else
        t.stop();
}

void QtUiPort::closeMenus() {
    if (window_) window_->closeMenus();
}

void QtUiPort::runOnUiThread(std::function<void()> fn) {
    // Queued to the window, so a call still in flight when the window goes is dropped with it.
    QObject* context = window_ ? static_cast<QObject*>(window_) : QCoreApplication::instance();
    if (context) QMetaObject::invokeMethod(context, std::move(fn), Qt::QueuedConnection);
}

} // namespace krm::gui
