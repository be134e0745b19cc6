#include "app/gui/QtUiPort.h"

#include "app/gui/BusyWindow.h"
#include "app/gui/MainWindow.h"
#include "app/gui/MessageBox.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace krm::gui {

void QtUiPort::showBusy() {
    if (BusyWindow* busy = window_.busyWindow()) {
        busy->placeOverMainWindow();
        busy->show();
        busy->raise();
    }
    processEvents();
}

void QtUiPort::hideBusy() {
    if (BusyWindow* busy = window_.busyWindow()) busy->hide();
    processEvents();
}

void QtUiPort::processEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void QtUiPort::showMessage(const std::string& text) {
    MessageBox::show(&window_, QString::fromStdString(text), window_.fontFamily());
}

void QtUiPort::setPagesCovered(bool covered) { window_.setPagesCovered(covered); }

void QtUiPort::setTimerEnabled(UiTimer timer, bool enabled) {
    QTimer& t = timer == UiTimer::DevTimer        ? window_.devTimer()
                : timer == UiTimer::DevTimerFirst ? window_.devTimerFirst()
                                                  : window_.labelRun();
    if (enabled) t.start();
    else t.stop();
}

void QtUiPort::closeMenus() { window_.closeMenus(); }

void QtUiPort::runOnUiThread(std::function<void()> fn) {
    QMetaObject::invokeMethod(&window_, std::move(fn), Qt::QueuedConnection);
}

} // namespace krm::gui
