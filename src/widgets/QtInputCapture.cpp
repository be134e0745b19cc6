#include "widgets/QtInputCapture.h"

#include "buttons/QtKeyMapping.h"
#include "widgets/X11InputCapture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>

namespace krm::gui {

namespace {

std::uint64_t nowMs() {
    static QElapsedTimer timer;
    if (!timer.isValid()) timer.start();
    return static_cast<std::uint64_t>(timer.elapsed());
}

std::optional<InputEvent::Button> buttonOf(Qt::MouseButton b) {
    switch (b) {
    case Qt::LeftButton:
        return InputEvent::Button::Left;
    case Qt::RightButton:
        return InputEvent::Button::Right;
    case Qt::MiddleButton:
        return InputEvent::Button::Middle;
    case Qt::BackButton:
        return InputEvent::Button::Backward;
    case Qt::ForwardButton:
        return InputEvent::Button::Forward;
    default:
        return std::nullopt;
    }
}

} // namespace

bool QtInputCapture::start(Sink sink, std::string& error) {
    if (!QCoreApplication::instance()) {
        error = "no application";
        return false;
    }
    sink_ = std::move(sink);
    if (!installed_) QCoreApplication::instance()->installEventFilter(this);
    installed_ = true;
    return true;
}

void QtInputCapture::stop() {
    if (installed_ && QCoreApplication::instance()) QCoreApplication::instance()->removeEventFilter(this);
    installed_ = false;
    sink_ = nullptr;
}

bool QtInputCapture::eventFilter(QObject* watched, QEvent* event) {
    // Each event reaches the filter once per receiver along its way; only the windows' copy counts.
    if (!sink_ || !watched->isWindowType()) return false;
    InputEvent e;
    e.timeMs = nowMs();
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        const auto* k = static_cast<QKeyEvent*>(event);
        e.kind = event->type() == QEvent::KeyPress ? InputEvent::Kind::KeyDown : InputEvent::Kind::KeyUp;
        e.autoRepeat = k->isAutoRepeat();
        e.virtualKey = virtualKeyFromQtKey(k->key(), k->modifiers().testFlag(Qt::KeypadModifier),
                                           k->nativeScanCode(), k->nativeVirtualKey());
        if (e.virtualKey == 0) return false;
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease: {
        const auto b = buttonOf(static_cast<QMouseEvent*>(event)->button());
        if (!b) return false;
        e.kind = event->type() == QEvent::MouseButtonPress ? InputEvent::Kind::ButtonDown
                                                           : InputEvent::Kind::ButtonUp;
        e.button = *b;
        break;
    }
    default:
        return false;
    }
    sink_(e);
    return false;
}

std::unique_ptr<InputCapture> makeRecorderInput(std::string& note) {
    if (QGuiApplication::platformName() == QStringLiteral("xcb") && X11InputCapture::compiledIn()) {
        auto x11 = std::make_unique<X11InputCapture>();
        std::string error;
        if (x11->start([](const InputEvent&) {}, error)) {
            x11->stop();
            note.clear();
            return x11;
        }
        note = "Recording sees this window only: " + error + ".";
        return std::make_unique<QtInputCapture>();
    }
    note = "Recording sees this window only (this desktop lets no program watch the whole screen).";
    return std::make_unique<QtInputCapture>();
}

bool startCaptureFor(InputCapture& capture, QObject* owner, std::function<void(const InputEvent&)> handler,
                     std::string& error) {
    QPointer<QObject> guard(owner);
    return capture.start(
        [guard, handler = std::move(handler)](const InputEvent& e) {
            if (!guard) return;
            QMetaObject::invokeMethod(
                guard,
                [guard, handler, e] {
                    if (guard) handler(e);
                },
                Qt::QueuedConnection);
        },
        error);
}

} // namespace krm::gui
