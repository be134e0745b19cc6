#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QSocketNotifier;

namespace krm::gui {

// One configurator per user: the first start holds a lock file and listens on a local socket, both in
// the user's runtime folder and named after the window title; a later start finds the lock taken, asks
// the first to come to the front, and ends.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // `dir`: where the lock and the socket live (empty: $XDG_RUNTIME_DIR, else /tmp).
    explicit SingleInstance(const QString& title, const QString& dir = {}, QObject* parent = nullptr);
    ~SingleInstance() override;
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Whether another instance holds the lock. Needs no toolkit, so the program asks it before it starts
    // any other work; the first instance keeps the lock until it ends.
    static bool anotherIsRunning(const QString& title, const QString& dir = {});

    // True when another instance answered and was asked to restore and raise its window.
    bool raiseRunningInstance() const;
    // Starts listening for later starts (needs the event loop's thread).
    bool listen();

signals:
    void raiseRequested();

private:
    void acceptAll();

    QByteArray socketPath_;
    int server_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace krm::gui
