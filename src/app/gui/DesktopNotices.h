#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <optional>

namespace krm::gui {

// On-screen notices through the desktop's notification server (org.freedesktop.Notifications on the
// session bus): each one replaces the one before (replaces_id), goes after a short while and makes no
// sound. Calls never wait for the server; a notice asked for while the previous call is still out is
// sent when its answer (and with it the id to replace) has come, and only the latest such one.
class DesktopNotices : public QObject {
    Q_OBJECT
public:
    static constexpr int kTimeoutMs = 2000;

    explicit DesktopNotices(const QDBusConnection& bus, QObject* parent = nullptr);

    // A notice of the mouse's buttons: nothing while notices are off.
    void show(const QString& text);
    // A notice of the program itself (the window went to the tray, the mouse went away): shown always.
    void tell(const QString& text);
    bool enabled() const { return enabled_; }
    void setEnabled(bool on) { enabled_ = on; }
    // The id the server gave the last notice (0 before the first answer).
    quint32 lastId() const { return lastId_; }

signals:
    // The server answered a notice (tests wait for this).
    void answered();

private:
    void send(const QString& text);

    QDBusConnection bus_;
    bool enabled_ = true;
    bool waiting_ = false;
    std::optional<QString> next_;
    quint32 lastId_ = 0;
    bool failureSaid_ = false;
};

} // namespace krm::gui
