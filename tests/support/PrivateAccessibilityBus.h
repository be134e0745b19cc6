#pragma once

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace krm::test {

// A session bus of the test's own (dbus-daemon) with the accessibility bus on it (at-spi2-core's
// launcher, which starts the bus the screen readers and the programs' bridges meet on, and its registry).
// Started before the toolkit, with DBUS_SESSION_BUS_ADDRESS set to address(), the program's accessibility
// bridge talks to it. Each runs in a process group of its own, ended with everything it started.
// address() is empty when dbus-daemon or the launcher is not installed or did not start.
class PrivateAccessibilityBus {
public:
    static constexpr const char* kLauncher = "/usr/libexec/at-spi-bus-launcher";

    PrivateAccessibilityBus() {
        if (::access(kLauncher, X_OK) != 0) return;
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) return;
        daemon_ = start([&] {
            ::dup2(fds[1], 3);
            ::execlp("dbus-daemon", "dbus-daemon", "--session", "--nofork", "--print-address=3", nullptr);
        });
        ::close(fds[1]);
        std::string address;
        pollfd p{fds[0], POLLIN, 0};
        char c = 0;
        // dbus-daemon writes its address and a newline once it accepts clients.
        while (daemon_ > 0 && ::poll(&p, 1, 20000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n')
            address += c;
        ::close(fds[0]);
        if (address.empty()) return;
        launcher_ = start([&] {
            ::setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
            ::execl(kLauncher, kLauncher, "--launch-immediately", nullptr);
        });
        if (launcher_ > 0) address_ = address;
    }
    ~PrivateAccessibilityBus() {
        for (pid_t group : {launcher_, daemon_}) {
            if (group <= 0) continue;
            ::kill(-group, SIGTERM);
            int status = 0;
            ::waitpid(group, &status, 0);
        }
    }
    PrivateAccessibilityBus(const PrivateAccessibilityBus&) = delete;
    PrivateAccessibilityBus& operator=(const PrivateAccessibilityBus&) = delete;

    const std::string& address() const { return address_; }

private:
    template <typename Exec> static pid_t start(Exec exec) {
        const pid_t pid = ::fork();
        if (pid > 0) ::setpgid(pid, pid); // both sides: the group exists before either goes on
        if (pid != 0) return pid;
        ::setpgid(0, 0);
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, STDIN_FILENO);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        exec();
        ::_exit(127);
    }

    pid_t daemon_ = -1;
    pid_t launcher_ = -1;
    std::string address_;
};

} // namespace krm::test
