#include "app/gui/SingleInstance.h"

#include <QCryptographicHash>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace krm::gui {

namespace {

int lockFd = -1; // held for the life of the first instance

// "<dir>/krmconfig-<uid>-<digest of the title><suffix>": one per user and window title.
QByteArray pathFor(const QString& title, const QString& dir, const char* suffix) {
    QString folder = dir;
    if (folder.isEmpty()) {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        folder = runtime && *runtime ? QString::fromLocal8Bit(runtime) : QStringLiteral("/tmp");
    }
    const QByteArray digest =
        QCryptographicHash::hash(title.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return (folder + QStringLiteral("/krmconfig-%1-").arg(::getuid()) + QString::fromLatin1(digest) +
            QLatin1String(suffix))
        .toLocal8Bit();
}

// The socket's address; false when the path is too long for one.
bool addressFor(const QByteArray& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= static_cast<qsizetype>(sizeof address.sun_path)) return false;
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    return true;
}

} // namespace

bool SingleInstance::anotherIsRunning(const QString& title, const QString& dir) {
    if (lockFd >= 0) return false;
    const QByteArray path = pathFor(title, dir, ".lock");
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false; // no lock to be had: this start goes on
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return true;
    }
    lockFd = fd;
    return false;
}

SingleInstance::SingleInstance(const QString& title, const QString& dir, QObject* parent)
    : QObject(parent), socketPath_(pathFor(title, dir, ".socket")) {}

SingleInstance::~SingleInstance() {
    if (server_ < 0) return;
    notifier_.reset();
    ::close(server_);
    ::unlink(socketPath_.constData());
}

bool SingleInstance::raiseRunningInstance() const {
    sockaddr_un address{};
    if (!addressFor(socketPath_, address)) return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    // A local stream connect either reaches a listener at once or is refused: nothing to wait for.
    const bool reached = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (reached) (void)::send(fd, "raise\n", 6, MSG_NOSIGNAL);
    ::close(fd);
    return reached;
}

bool SingleInstance::listen() {
    if (server_ >= 0) return true;
    sockaddr_un address{};
    if (!addressFor(socketPath_, address)) return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    // The caller holds the lock, so a socket file already there was left by an instance that crashed.
    ::unlink(socketPath_.constData());
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 4) != 0) {
        ::close(fd);
        return false;
    }
    server_ = fd;
    notifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &SingleInstance::acceptAll);
    return true;
}

// Every connection is a later start asking for the window: what it sends does not matter.
void SingleInstance::acceptAll() {
    bool asked = false;
    for (;;) {
        const int peer = ::accept4(server_, nullptr, nullptr, SOCK_CLOEXEC);
        if (peer < 0) {
            if (errno == EINTR) continue;
            break;
        }
        ::close(peer);
        asked = true;
    }
    if (asked) emit raiseRequested();
}

} // namespace krm::gui
