#include "companion/Processes.h"

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace krm {

namespace {

std::optional<std::string> linkTarget(const std::string& path) {
    char buffer[4096];
    const ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer - 1);
    if (n <= 0) return std::nullopt;
    std::string target(buffer, static_cast<std::size_t>(n));
    // An executable replaced on disk (an update while the program runs) still names itself.
    constexpr std::string_view kDeleted = " (deleted)";
    if (target.ends_with(kDeleted)) target.resize(target.size() - kDeleted.size());
    return target;
}

std::string firstWord(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    char buffer[4096];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    if (n <= 0) return {};
    return std::string(buffer, ::strnlen(buffer, static_cast<std::size_t>(n)));
}

} // namespace

std::optional<ProgramInfo> ProcessTable::program(int pid) const {
    if (pid <= 0) return std::nullopt;
    const std::string folder = root_ + "/" + std::to_string(pid);
    auto exe = linkTarget(folder + "/exe");
    if (!exe) {
        known_.erase(pid);
        return std::nullopt;
    }
    auto it = known_.find(pid);
    if (it == known_.end() || it->second.exe != *exe)
        it = known_.insert_or_assign(pid, ProgramInfo{pid, *exe, firstWord(folder + "/cmdline")}).first;
    return it->second;
}

std::vector<ProgramInfo> ProcessTable::programs() const {
    std::vector<ProgramInfo> out;
    DIR* dir = ::opendir(root_.c_str());
    if (!dir) return out;
    std::map<int, ProgramInfo> seen;
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (!*name || std::strspn(name, "0123456789") != std::strlen(name)) continue;
        const int pid = std::atoi(name);
        if (auto p = program(pid)) seen.emplace(pid, std::move(*p));
    }
    ::closedir(dir);
    for (const auto& entry : seen) out.push_back(entry.second); // in pid order
    known_ = std::move(seen);                                   // processes that ended are forgotten
    return out;
}

} // namespace krm
