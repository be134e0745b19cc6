#include "app/gui/QuitOnSignal.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>

#include <sys/socket.h>
#include <unistd.h>

namespace krm::gui {

namespace {

constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};
// The signal handler's end [1] and the event loop's end [0] of a socket pair.
std::array<int, 2> wakeFds{-1, -1};

} // namespace

QuitOnSignal::QuitOnSignal(std::function<void()> quit) : quit_(std::move(quit)) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, wakeFds.data()) != 0) return;
    notifier_ = new QSocketNotifier(wakeFds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        while (::read(wakeFds[0], &byte, 1) > 0) {
        }
        if (quit_) quit_();
    });
    struct sigaction action {};
    action.sa_handler = &QuitOnSignal::handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int s : kSignals) sigaction(s, &action, nullptr);
}

QuitOnSignal::~QuitOnSignal() {
    for (const int s : kSignals) std::signal(s, SIG_DFL);
    delete notifier_;
    for (int& fd : wakeFds) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
}

void QuitOnSignal::handler(int) {
    // Only what is safe in a signal handler: one byte into the pair (a full pair has a wake-up waiting),
    // leaving errno as the interrupted code had it.
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(wakeFds[1], &byte, 1);
    errno = savedErrno;
}

} // namespace krm::gui
