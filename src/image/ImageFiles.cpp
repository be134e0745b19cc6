#include "image/ImageFiles.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <set>
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

// Temporary files are ".krm-<pid>.XXXXXX" in the target's folder: short, whatever the target's
// name, and tied to the process that made them.
constexpr const char* kTemporaryPrefix = ".krm-";

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Removes the temporary files that writers killed before their rename left in `folder`: those
// whose process is gone. Once per folder and process.
void removeStaleTemporaries(const std::string& folder) {
    static std::mutex mutex;
    static std::set<std::string> cleaned;
    {
        std::lock_guard lock(mutex);
        if (!cleaned.insert(folder).second) return;
    }
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    const std::string prefix = kTemporaryPrefix;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        const auto dot = name.find('.', prefix.size());
        if (dot == std::string::npos || name.size() != dot + 7) continue;
        const std::string pidText = name.substr(prefix.size(), dot - prefix.size());
        if (pidText.empty() || pidText.size() > 10 ||
            pidText.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const long pid = std::stol(pidText);
        if (pid <= 0 || pid == ::getpid() || ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH)
            continue;
        struct stat st {};
        const std::string full = folder + "/" + name;
        if (::lstat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid())
            ::unlink(full.c_str());
    }
    ::closedir(dir);
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

std::string notRegularMessage(const std::string& path) {
    return "\"" + path + "\" is not a regular file (a folder, a device or a pipe cannot be used).";
}

FileResult<std::vector<std::uint8_t>> readFilePrefix(const std::string& path, std::size_t maxBytes) {
    using R = FileResult<std::vector<std::uint8_t>>;
    // Non-blocking, so that a pipe with no writer cannot hang the open; it is refused right after.
    Fd f{::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY)};
    if (f.fd < 0) return R::fail(FileErrorKind::CannotOpen, cannotOpenMessage(path, errno));
    struct stat st {};
    if (::fstat(f.fd, &st) != 0) return R::fail(FileErrorKind::CannotOpen, cannotOpenMessage(path, errno));
    if (S_ISDIR(st.st_mode)) return R::fail(FileErrorKind::CannotOpen, cannotOpenMessage(path, EISDIR));
    if (!S_ISREG(st.st_mode)) return R::fail(FileErrorKind::NotRegular, notRegularMessage(path));
    if (static_cast<std::uintmax_t>(st.st_size) > kMaxInputFileBytes)
        return R::fail(FileErrorKind::TooLarge,
                       "File \"" + path + "\" is too large: " + std::to_string(st.st_size) +
                           " bytes, at most " + std::to_string(kMaxInputFileBytes) + " expected.");
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

std::optional<FileError> checkWritableTarget(const std::string& path) {
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0 && !S_ISREG(old.st_mode))
        return FileError{FileErrorKind::NotRegular, notRegularMessage(path) + " Nothing was written."};
    return std::nullopt;
}

// The file a path names once symbolic links are followed (a dangling link names the file it would
// create); nothing for a loop of links.
std::optional<std::string> linkTarget(const std::string& path) {
    std::filesystem::path p = path;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(p, ec))) return p.string();
        const std::filesystem::path next = std::filesystem::read_symlink(p, ec);
        if (ec) return p.string();
        p = next.is_absolute() ? next : p.parent_path() / next;
    }
    return std::nullopt;
}

std::optional<FileError> writeFileAtomically(const std::string& givenPath,
                                             std::span<const std::uint8_t> bytes,
                                             const std::function<bool(int fd)>& beforeRename) {
    // A symbolic link stays a link: the file it points to is replaced, in that file's own folder.
    const auto target = linkTarget(givenPath);
    if (!target) return FileError{FileErrorKind::CannotCreate, cannotCreateMessage(givenPath, ELOOP)};
    const std::string& path = *target;
    // A device node, a pipe or a folder of that name is never replaced by a file.
    if (auto refused = checkWritableTarget(path)) return refused;
    const std::string folder = folderOf(path);
    removeStaleTemporaries(folder);
    std::string tmp = folder + "/" + kTemporaryPrefix + std::to_string(::getpid()) + ".XXXXXX";
    auto failed = [&](int err) {
        ::unlink(tmp.c_str());
        return FileError{FileErrorKind::CannotCreate, cannotCreateMessage(givenPath, err)};
    };
    Fd f{::mkostemp(tmp.data(), O_CLOEXEC)};
    if (f.fd < 0) return FileError{FileErrorKind::CannotCreate, cannotCreateMessage(givenPath, errno)};
    struct stat old {};
    // mkostemp makes the file 0600; a new file gets what a plain create would give it.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : (0666 & ~mask);
    if (::fchmod(f.fd, mode) != 0) return failed(errno);
    if (!writeAll(f.fd, bytes) || ::fsync(f.fd) != 0) return failed(errno);
    if (beforeRename && !beforeRename(f.fd)) return failed(errno);
    const int fd = f.fd;
    f.fd = -1;
    if (::close(fd) != 0) return failed(errno);
    if (::rename(tmp.c_str(), path.c_str()) != 0) return failed(errno);
    return std::nullopt;
}

std::optional<FileError> createFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) return std::nullopt;
    const std::string folder = folderOf(path);
    std::string tmp = folder + "/" + kTemporaryPrefix + std::to_string(::getpid()) + ".XXXXXX";
    Fd f{::mkostemp(tmp.data(), O_CLOEXEC)};
    if (f.fd < 0) return FileError{FileErrorKind::CannotCreate, cannotCreateMessage(path, errno)};
    const mode_t mask = ::umask(0);
    ::umask(mask);
    int error = 0;
    if (::fchmod(f.fd, 0666 & ~mask) != 0 || !writeAll(f.fd, bytes) || ::fsync(f.fd) != 0)
        error = errno;
    else if (::link(tmp.c_str(), path.c_str()) != 0 && errno != EEXIST)
        error = errno;
    ::unlink(tmp.c_str());
    if (error) return FileError{FileErrorKind::CannotCreate, cannotCreateMessage(path, error)};
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
