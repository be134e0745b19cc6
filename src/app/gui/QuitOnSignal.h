#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace krm::gui {

// Ends the program the way its close button does when the session ends it (SIGTERM, SIGHUP) or the
// terminal interrupts it (SIGINT): the signal only wakes the event loop, which then runs `quit`, so the
// window closes, the mouse is let go and the program returns normally. One at a time; the signals get
// their default action back when it is destroyed.
class QuitOnSignal : public QObject {
public:
    explicit QuitOnSignal(std::function<void()> quit);
    ~QuitOnSignal() override;
    QuitOnSignal(const QuitOnSignal&) = delete;
    QuitOnSignal& operator=(const QuitOnSignal&) = delete;

private:
    static void handler(int signal);

    std::function<void()> quit_;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace krm::gui
