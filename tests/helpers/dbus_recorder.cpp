// What a desktop offers on its session bus, recording the calls: a notification server
// (org.freedesktop.Notifications) and a tray's StatusNotifierItem watcher (org.kde.StatusNotifierWatcher,
// with a host registered). One line on stdout per call, "ready" once both names are taken:
//
//   Notify replaces=0 summary=DPI 1600 (level 2 of 6) timeout=2000 hints=desktop-entry,suppress-sound,...
//   app=KRM Gaming Mouse RegisterStatusNotifierItem org.kde.StatusNotifierItem-4242-1
//
//   krm_dbus_recorder [--no-tray]    (on $DBUS_SESSION_BUS_ADDRESS)

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QStringList>
#include <QVariantMap>

#include <cstdio>

namespace {

void say(const QString& line) {
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

class Notifications final : public QDBusVirtualObject {
public:
    QString introspect(const QString&) const override {
        return QStringLiteral(
            "<interface name=\"org.freedesktop.Notifications\">"
            "<method name=\"Notify\"><arg type=\"s\" direction=\"in\"/><arg type=\"u\" direction=\"in\"/>"
            "<arg type=\"s\" direction=\"in\"/><arg type=\"s\" direction=\"in\"/><arg type=\"s\" "
            "direction=\"in\"/>"
            "<arg type=\"as\" direction=\"in\"/><arg type=\"a{sv}\" direction=\"in\"/>"
            "<arg type=\"i\" direction=\"in\"/><arg type=\"u\" direction=\"out\"/></method>"
            "<method name=\"GetCapabilities\"><arg type=\"as\" direction=\"out\"/></method>"
            "<method name=\"GetServerInformation\"><arg type=\"s\" direction=\"out\"/><arg type=\"s\" "
            "direction=\"out\"/><arg type=\"s\" direction=\"out\"/><arg type=\"s\" "
            "direction=\"out\"/></method>"
            "</interface>");
    }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        const QString member = message.member();
        if (member == QLatin1String("Notify") && message.arguments().size() == 8) {
            const QVariantList a = message.arguments();
            QStringList hints = qdbus_cast<QVariantMap>(a[6]).keys();
            hints.sort();
            say(QStringLiteral("Notify replaces=%1 summary=%2 timeout=%3 hints=%4 app=%5")
                    .arg(a[1].toUInt())
                    .arg(a[3].toString())
                    .arg(a[7].toInt())
                    .arg(hints.join(QLatin1Char(',')), a[0].toString()));
            connection.send(message.createReply(QVariant::fromValue(++lastId_)));
            return true;
        }
        if (member == QLatin1String("GetCapabilities")) {
            connection.send(message.createReply(QStringList{QStringLiteral("body")}));
            return true;
        }
        if (member == QLatin1String("GetServerInformation")) {
            connection.send(message.createReply({QStringLiteral("recorder"), QStringLiteral("krm"),
                                                 QStringLiteral("1"), QStringLiteral("1.2")}));
            return true;
        }
        return false;
    }

private:
    quint32 lastId_ = 0;
};

class TrayWatcher final : public QDBusVirtualObject {
public:
    QString introspect(const QString&) const override {
        return QStringLiteral(
            "<interface name=\"org.kde.StatusNotifierWatcher\">"
            "<method name=\"RegisterStatusNotifierItem\"><arg type=\"s\" direction=\"in\"/></method>"
            "<method name=\"RegisterStatusNotifierHost\"><arg type=\"s\" direction=\"in\"/></method>"
            "<property name=\"IsStatusNotifierHostRegistered\" type=\"b\" access=\"read\"/>"
            "<property name=\"ProtocolVersion\" type=\"i\" access=\"read\"/>"
            "<property name=\"RegisteredStatusNotifierItems\" type=\"as\" access=\"read\"/>"
            "</interface>");
    }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        const QString member = message.member();
        if (member == QLatin1String("RegisterStatusNotifierItem") && !message.arguments().isEmpty()) {
            const QString item = message.arguments().constFirst().toString();
            items_ << item;
            say(QStringLiteral("RegisterStatusNotifierItem %1").arg(item));
            connection.send(message.createReply());
            return true;
        }
        if (member == QLatin1String("RegisterStatusNotifierHost")) {
            connection.send(message.createReply());
            return true;
        }
        if (message.interface() == QLatin1String("org.freedesktop.DBus.Properties")) {
            const QVariantMap all{{QStringLiteral("IsStatusNotifierHostRegistered"), true},
                                  {QStringLiteral("ProtocolVersion"), 0},
                                  {QStringLiteral("RegisteredStatusNotifierItems"), items_}};
            if (member == QLatin1String("GetAll")) {
                connection.send(message.createReply(all));
                return true;
            }
            if (member == QLatin1String("Get") && message.arguments().size() == 2) {
                const QString name = message.arguments()[1].toString();
                connection.send(all.contains(name)
                                    ? message.createReply(QVariant::fromValue(QDBusVariant(all.value(name))))
                                    : message.createErrorReply(QDBusError::UnknownProperty, name));
                return true;
            }
        }
        return false;
    }

private:
    QStringList items_;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const bool tray = !app.arguments().contains(QStringLiteral("--no-tray"));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "krm_dbus_recorder: no session bus\n");
        return 1;
    }
    Notifications notifications;
    TrayWatcher watcher;
    bool ok = bus.registerVirtualObject(QStringLiteral("/org/freedesktop/Notifications"), &notifications) &&
              bus.registerService(QStringLiteral("org.freedesktop.Notifications"));
    if (tray)
        ok = ok && bus.registerVirtualObject(QStringLiteral("/StatusNotifierWatcher"), &watcher) &&
             bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"));
    if (!ok) {
        std::fprintf(stderr, "krm_dbus_recorder: %s\n", qPrintable(bus.lastError().message()));
        return 1;
    }
    say(QStringLiteral("ready"));
    return QCoreApplication::exec();
}
