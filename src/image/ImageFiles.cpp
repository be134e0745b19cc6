#include "image/ImageFiles.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace krm {

namespace {

struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

std::string temporaryName(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    return path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
}

bool writeAll(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

std::string cannotOpenMessage(const std::string& path, int errorNumber) {
    return "Cannot open file \"" + path + "\". " + std::strerror(errorNumber);
}

std::string cannotCreateMessage(const std::string& path, int errorNumber) {
    return "Cannot create file \"" + path + "\". " + std::strerror(errorNumber);
}

std::string tooShortMessage(const std::string& path, std::size_t size, std::size_t needed) {
    return "File \"" + path + "\" is too short: " + std::to_string(size) + " bytes, " +
           std::to_string(needed) + " needed.";
}

FileResult<std::vector<std::uint8_t>> readFilePrefix(const std::string& path, std::size_t maxBytes) {
    using R = FileResult<std::vector<std::uint8_t>>;
    Fd f{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (f.fd < 0) return R::fail(FileErrorKind::CannotOpen, cannotOpenMessage(path, errno));
    std::vector<std::uint8_t> bytes(maxBytes);
    std::size_t got = 0;
    while (got < maxBytes) {
        const ssize_t n = ::read(f.fd, bytes.data() + got, maxBytes - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return R::fail(FileErrorKind::CannotOpen, cannotOpenMessage(path, errno));
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return R{std::move(bytes), {}};
}

std::optional<FileError> writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
    const std::string tmp = temporaryName(path);
    auto failed = [&](int err) {
        ::unlink(tmp.c_str());
        return FileError{FileErrorKind::CannotCreate, cannotCreateMessage(path, err)};
    };
    Fd f{::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666)};
    if (f.fd < 0) return FileError{FileErrorKind::CannotCreate, cannotCreateMessage(path, errno)};
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) ::fchmod(f.fd, old.st_mode & 07777);
    if (!writeAll(f.fd, bytes) || ::fsync(f.fd) != 0) return failed(errno);
    const int fd = f.fd;
    f.fd = -1;
    if (::close(fd) != 0) return failed(errno);
    if (::rename(tmp.c_str(), path.c_str()) != 0) return failed(errno);
    return std::nullopt;
}

FileResult<ConfigImage> readProfileFile(const std::string& path) {
    using R = FileResult<ConfigImage>;
    auto bytes = readFilePrefix(path, kImageSize);
    if (!bytes) return R::fail(bytes.error.kind, bytes.error.message);
    if (bytes.value->size() < kImageSize) return R::fail(FileErrorKind::TooShort, kLoadingBinError);
    if ((*bytes.value)[image::kMarkerOffset] != image::kMarker)
        return R::fail(FileErrorKind::BadMarker, kLoadingBinError);
    ConfigImage image{};
    std::copy(bytes.value->begin(), bytes.value->end(), image.begin());
    return R{image, {}};
}

std::optional<FileError> writeProfileFile(const std::string& path, const ConfigImage& image) {
    return writeFileAtomically(path, image);
}

std::optional<FileError> writeMacroBlockFile(const std::string& path,
                                             std::span<const std::uint8_t, 512> block) {
    return writeFileAtomically(path, block);
}

std::string saveFileName(const std::string& chosenPath) {
    const std::string_view suffix = ".bin";
    const bool hasSuffix =
        chosenPath.size() >= suffix.size() &&
        std::equal(suffix.rbegin(), suffix.rend(), chosenPath.rbegin(),
                   [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
    return hasSuffix ? chosenPath : chosenPath + std::string(suffix);
}

} // namespace krm
