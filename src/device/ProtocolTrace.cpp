#include "device/ProtocolTrace.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace krm {

std::unique_ptr<TraceFile> TraceFile::open(const std::string& path, std::string& error) {
    // O_NONBLOCK: a FIFO without a reader fails at once (ENXIO) instead of blocking the program.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = path + ": cannot open the trace file: " +
                (errno == ENXIO ? std::string("it is a FIFO that no program reads") : std::strerror(errno));
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    struct stat st {};
    // A reader of a FIFO that goes away makes a write fail; it must not end the program.
    if (::fstat(fd, &st) == 0 && S_ISFIFO(st.st_mode)) std::signal(SIGPIPE, SIG_IGN);
    return std::unique_ptr<TraceFile>(new TraceFile(fd));
}

TraceFile::~TraceFile() {
    ::close(fd_);
}

std::optional<std::string> TraceFile::failure() const {
    if (failedErrno_ == 0) return std::nullopt;
    return std::string(std::strerror(failedErrno_));
}

int TraceFile::overflow(int c) {
    if (c == traits_type::eof()) return traits_type::not_eof(c);
    const char ch = static_cast<char>(c);
    return xsputn(&ch, 1) == 1 ? c : traits_type::eof();
}

std::streamsize TraceFile::xsputn(const char* s, std::streamsize n) {
    if (failedErrno_ != 0) return 0;
    for (std::streamsize done = 0; done < n;) {
        const ssize_t w = ::write(fd_, s + done, static_cast<std::size_t>(n - done));
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) {
            failedErrno_ = w < 0 ? errno : EIO;
            return done;
        }
        done += w;
    }
    return n;
}

std::string traceHex(std::span<const std::uint8_t> bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string s;
    s.reserve(bytes.size() * 3);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i) s += ' ';
        s += kDigits[bytes[i] >> 4];
        s += kDigits[bytes[i] & 15];
    }
    return s;
}

void TracingBackend::line(const char* kind, std::span<const std::uint8_t> bytes, bool ok) {
    std::string text = std::string(kind) + ' ' + traceHex(bytes);
    if (!ok) text += " !";
    text += '\n';
    std::lock_guard lock(mutex_);
    out_ << text << std::flush;
}

bool TracingBackend::setFeature(HidHandle handle, std::span<const std::uint8_t> report) {
    const bool ok = inner_.setFeature(handle, report);
    line("set", report, ok);
    return ok;
}

bool TracingBackend::getFeature(HidHandle handle, std::span<std::uint8_t> report) {
    const bool ok = inner_.getFeature(handle, report);
    line("get", report, ok);
    return ok;
}

int TracingBackend::readInput(HidHandle handle, std::span<std::uint8_t> buffer) {
    const int n = inner_.readInput(handle, buffer);
    // A read that ended without a report (cancelled, device gone) carries no bytes to show.
    if (n > 0) line("in", buffer.first(static_cast<std::size_t>(n)), true);
    return n;
}

} // namespace krm
