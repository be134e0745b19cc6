#include "app/gui/SingleInstance.h"

#include <QCryptographicHash>
#include <QLocalSocket>

#include <unistd.h>

namespace krm::gui {

SingleInstance::SingleInstance(const QString& title, QObject* parent) : QObject(parent) {
    // Local socket names become file names: keep them short and free of blanks, one per user.
    const QByteArray digest =
        QCryptographicHash::hash(title.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    name_ = QStringLiteral("krmconfig-%1-%2").arg(QString::number(::getuid()), QString::fromLatin1(digest));
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* peer = server_.nextPendingConnection()) {
            connect(peer, &QLocalSocket::readyRead, this, [this, peer] {
                if (peer->readAll().startsWith("raise")) emit raiseRequested();
                peer->disconnectFromServer();
            });
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
        }
    });
}

bool SingleInstance::raiseRunningInstance() {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(500)) return false;
    socket.write("raise\n");
    socket.waitForBytesWritten(500);
    socket.waitForDisconnected(500);
    return true;
}

bool SingleInstance::listen() {
    if (server_.listen(name_)) return true;
    // A socket file left by a crashed instance: nobody answered on it, so take it over.
    QLocalServer::removeServer(name_);
    return server_.listen(name_);
}

} // namespace krm::gui
