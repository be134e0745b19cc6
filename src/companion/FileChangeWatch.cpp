#include "companion/FileChangeWatch.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <sys/inotify.h>
#include <unistd.h>

namespace krm {

namespace {

constexpr std::uint32_t kFolderEvents = IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE | IN_DELETE |
                                        IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

// The nearest folder at or above `folder` that exists, and the name below it on the way to `folder`
// (empty when `folder` itself exists).
std::pair<std::string, std::string> nearestFolder(const std::filesystem::path& folder, std::string name) {
    std::filesystem::path at = folder.empty() ? std::filesystem::path(".") : folder;
    for (;;) {
        std::error_code ec;
        if (std::filesystem::is_directory(at, ec)) return {at.string(), name};
        if (!at.has_parent_path() || at.parent_path() == at) return {at.string(), name};
        name = at.filename().string();
        at = at.parent_path();
    }
}

} // namespace

FileChangeWatch::FileChangeWatch(std::string path) : path_(std::move(path)) {
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    arm();
}

FileChangeWatch::~FileChangeWatch() {
    disarm();
    if (fd_ >= 0) ::close(fd_);
}

void FileChangeWatch::disarm() {
    for (const Watch& w : watches_)
        if (w.wd >= 0) ::inotify_rm_watch(fd_, w.wd);
    watches_.clear();
}

void FileChangeWatch::arm() {
    if (fd_ < 0) return;
    std::vector<std::filesystem::path> files = {std::filesystem::path(path_)};
    // A symbolic link: the file it names changes where that file lives.
    std::error_code ec;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(files[0], ec))) {
        const auto target = std::filesystem::weakly_canonical(files[0], ec);
        if (!ec && target != files[0]) files.push_back(target);
    }
    std::vector<Watch> wanted;
    for (const auto& file : files) {
        auto [folder, name] = nearestFolder(file.parent_path(), file.filename().string());
        wanted.push_back({-1, std::move(folder), std::move(name)});
    }
    const auto same = [](const Watch& a, const Watch& b) { return a.folder == b.folder && a.name == b.name; };
    if (std::equal(wanted.begin(), wanted.end(), watches_.begin(), watches_.end(), same)) return;
    disarm();
    for (Watch& w : wanted) w.wd = ::inotify_add_watch(fd_, w.folder.c_str(), kFolderEvents);
    watches_ = std::move(wanted);
}

bool FileChangeWatch::takeChanges() {
    if (fd_ < 0) return false;
    alignas(inotify_event) std::array<char, 16 * (sizeof(inotify_event) + NAME_MAX + 1)> buffer{};
    bool concerns = false, rearm = false, lost = false;
    for (;;) {
        const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        for (ssize_t at = 0; at < n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(buffer.data() + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
            if (e->mask & IN_Q_OVERFLOW) {
                concerns = rearm = true; // events were lost: look again
                continue;
            }
            for (const Watch& w : watches_) {
                if (w.wd != e->wd) continue;
                if (e->mask & (IN_DELETE_SELF | IN_MOVE_SELF)) {
                    concerns = lost = true; // the folder itself went: watched again from wherever it is
                } else if (e->len > 0 && w.name == e->name) {
                    concerns = true;
                    // A name made, moved or removed: a folder on the way, or a link that may name
                    // another file now.
                    rearm = rearm || (e->mask & (IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE)) != 0;
                }
            }
        }
    }
    if (lost) disarm();
    if (rearm || lost) arm();
    return concerns;
}

} // namespace krm
