#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

namespace krm::gui {

// One configurator per user: the first start listens on a local socket named after the window
// title; a later start finds it, asks it to come to the front, and ends.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& title, QObject* parent = nullptr);

    // True when another instance answered and was asked to restore and raise its window.
    bool raiseRunningInstance();
    // Starts listening for later starts.
    bool listen();

signals:
    void raiseRequested();

private:
    QString name_;
    QLocalServer server_;
};

} // namespace krm::gui
