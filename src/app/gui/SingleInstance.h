#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

namespace krm::gui {

// One configurator per user: the first start holds a lock file and listens on a local socket named
// after the window title; a later start finds the lock taken, asks the first to come to the front, and
// ends.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& title, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Whether another instance holds the lock. Needs no toolkit, so the program asks it before it starts
    // any other work; the first instance keeps the lock until it ends.
    static bool anotherIsRunning(const QString& title);

    // True when another instance answered and was asked to restore and raise its window.
    bool raiseRunningInstance();
    // Starts listening for later starts.
    bool listen();

signals:
    void raiseRequested();

private:
    static QString nameFor(const QString& title);

    QString name_;
    QLocalServer server_;
};

} // namespace krm::gui
