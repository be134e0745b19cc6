#include "app/gui/DesktopNotices.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QVariantMap>

#include <cstdio>

namespace krm::gui {

DesktopNotices::DesktopNotices(const QDBusConnection& bus, QObject* parent) : QObject(parent), bus_(bus) {}

void DesktopNotices::show(const QString& text) {
    if (enabled_) tell(text);
}

void DesktopNotices::tell(const QString& text) {
    if (waiting_) {
        next_ = text;
        return;
    }
    send(text);
}

void DesktopNotices::send(const QString& text) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("suppress-sound"), true},
                            {QStringLiteral("transient"), true},
                            {QStringLiteral("urgency"), QVariant::fromValue(uchar(0))},
                            {QStringLiteral("desktop-entry"), QStringLiteral("io.krm.krmconfig")}};
    call << QGuiApplication::applicationDisplayName() << lastId_ << QStringLiteral("io.krm.krmconfig") << text
         << QString() << QStringList() << hints << kTimeoutMs;
    waiting_ = true;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<quint32> reply = *w;
        if (reply.isError()) {
            // No notification server (or it failed): said once on the terminal; the next notice is
            // a fresh one.
            if (!failureSaid_)
                std::fprintf(stderr, "krmconfig: no on-screen notice: %s\n",
                             qPrintable(reply.error().message()));
            failureSaid_ = true;
            lastId_ = 0;
        } else {
            lastId_ = reply.value();
        }
        waiting_ = false;
        emit answered();
        if (next_) {
            const QString latest = *next_;
            next_.reset();
            tell(latest);
        }
    });
}

} // namespace krm::gui
