#include "device/DeviceLock.h"

#include "image/ImageFiles.h"

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace krm {

std::string LockHolder::describe() const {
    const std::string who = program.empty() ? std::string("another program") : program;
    return pid > 0 ? who + " (process " + std::to_string(pid) + ")" : who;
}

namespace {

bool sameFile(int fd, const std::string& path) {
    struct stat open {
    }, named{};
    return ::fstat(fd, &open) == 0 && ::stat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
}

std::string commandName(int pid) {
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

} // namespace

std::unique_ptr<DeviceLock> DeviceLock::tryTake(const std::string& file, Outcome& outcome,
                                                std::optional<LockHolder>* holderOut) {
    if (holderOut) holderOut->reset();
    // The lock may sit on a file that was replaced since it was opened (an image file written anew
    // by its holder): then the name leads to the new file, which is tried in turn.
    for (int attempt = 0; attempt < 8; ++attempt) {
        // Read access suffices for flock; a hidraw node opened this way only queues input reports.
        const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        if (fd < 0) {
            outcome = Outcome::Failed;
            return nullptr;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            if (error != EWOULDBLOCK) {
                outcome = Outcome::Failed;
                return nullptr;
            }
            outcome = Outcome::Held;
            // Another pid namespace may hide the holder: it is held all the same.
            if (holderOut) *holderOut = holder(file).value_or(LockHolder{});
            return nullptr;
        }
        if (sameFile(fd, file)) {
            outcome = Outcome::Taken;
            return std::unique_ptr<DeviceLock>(new DeviceLock(fd, file));
        }
        ::close(fd);
    }
    outcome = Outcome::Held;
    return nullptr;
}

std::unique_ptr<DeviceLock> DeviceLock::take(const std::string& file, Clock& clock, int waitMs, int stepMs,
                                             Outcome& outcome, std::optional<LockHolder>* holderOut,
                                             const std::function<void(const LockHolder*)>& waiting) {
    const std::uint64_t until = clock.tickMs() + static_cast<std::uint64_t>(std::max(waitMs, 0));
    bool told = false;
    for (;;) {
        std::optional<LockHolder> who;
        auto lock = tryTake(file, outcome, &who);
        if (holderOut) *holderOut = who;
        if (outcome != Outcome::Held || clock.tickMs() >= until) return lock;
        if (!told && waiting) waiting(who ? &*who : nullptr);
        told = true;
        clock.sleepMs(stepMs);
    }
}

bool DeviceLock::stillNamed() const {
    return sameFile(fd_, file_);
}

DeviceLock::~DeviceLock() {
    if (onRelease) onRelease();
    ::close(fd_);
}

std::optional<std::string> DeviceLock::replaceContents(std::span<const std::uint8_t> bytes) {
    int newFd = -1;
    const auto error = writeFileAtomically(file_, bytes, [&newFd](int fd) {
        newFd = ::dup(fd);
        if (newFd < 0) return false;
        // The new file is nobody else's yet: the lock is taken at once.
        return ::flock(newFd, LOCK_EX | LOCK_NB) == 0;
    });
    if (error) {
        if (newFd >= 0) ::close(newFd);
        return error->message;
    }
    // Whoever waits on the old file now finds it replaced and turns to the new one, which is held.
    ::close(fd_);
    fd_ = newFd;
    return std::nullopt;
}

std::optional<LockHolder> DeviceLock::holder(const std::string& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) return std::nullopt;
    // Lines as "1: FLOCK  ADVISORY  WRITE 15543 fe:00:10953048 0 EOF"; blocked waiters carry "->".
    char device[64];
    std::snprintf(device, sizeof device, "%02x:%02x:%lu", ::major(st.st_dev), ::minor(st.st_dev),
                  static_cast<unsigned long>(st.st_ino));
    std::ifstream locks("/proc/locks");
    std::string line;
    while (std::getline(locks, line)) {
        std::istringstream fields(line);
        std::string number, kind, mode, access, where;
        int pid = 0;
        if (!(fields >> number >> kind)) continue;
        if (kind == "->") continue;
        if (!(fields >> mode >> access >> pid >> where)) continue;
        if (kind != "FLOCK" || where != device) continue;
        return LockHolder{pid, commandName(pid)};
    }
    return std::nullopt;
}

} // namespace krm
