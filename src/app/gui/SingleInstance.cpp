#include "app/gui/SingleInstance.h"

#include <QCryptographicHash>
#include <QLocalSocket>

#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace krm::gui {

namespace {
int lockFd = -1; // held for the life of the first instance
} // namespace

QString SingleInstance::nameFor(const QString& title) {
    // Local socket names become file names: keep them short and free of blanks, one per user.
    const QByteArray digest =
        QCryptographicHash::hash(title.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("krmconfig-%1-%2").arg(QString::number(::getuid()), QString::fromLatin1(digest));
}

bool SingleInstance::anotherIsRunning(const QString& title) {
    if (lockFd >= 0) return false;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const QString dir = runtime && *runtime ? QString::fromLocal8Bit(runtime) : QStringLiteral("/tmp");
    const QByteArray path = (dir + QLatin1Char('/') + nameFor(title) + QStringLiteral(".lock")).toLocal8Bit();
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false; // no lock to be had: the socket still tells
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return true;
    }
    lockFd = fd;
    return false;
}

SingleInstance::~SingleInstance() = default;

SingleInstance::SingleInstance(const QString& title, QObject* parent) : QObject(parent) {
    name_ = nameFor(title);
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
