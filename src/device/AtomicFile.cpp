#include "device/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace krm {

bool writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes, std::string* error) {
    auto fail = [&](const char* what, int err) {
        if (error) *error = path + ": " + what + ": " + std::strerror(err);
        return false;
    };
    std::string tmp = path + ".XXXXXX";
    const int fd = mkstemp(tmp.data());
    if (fd < 0) return fail("cannot create a temporary file", errno);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int err = errno;
            ::close(fd);
            ::unlink(tmp.c_str());
            return fail("cannot write", err);
        }
        done += static_cast<std::size_t>(n);
    }
    // mkstemp creates the file private to us; keep the permissions of the file we replace.
    struct stat old {};
    ::fchmod(fd, ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);
    const int synced = ::fsync(fd);
    const int syncErr = errno;
    if (::close(fd) != 0 || synced != 0) {
        const int err = synced != 0 ? syncErr : errno;
        ::unlink(tmp.c_str());
        return fail("cannot write", err);
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(tmp.c_str());
        return fail("cannot replace", err);
    }
    return true;
}

} // namespace krm
