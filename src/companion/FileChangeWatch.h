#pragma once

#include <string>
#include <vector>

namespace krm {

// Tells when a file may have changed, without polling it: an inotify watch on the folder that holds it
// (editors that save by writing a new file and renaming it over the old one replace the file, which a
// watch on the file itself would lose), and, when the path is a symbolic link, on the folder of the file
// it names (a file kept with one's dotfiles). A folder that is not there yet is watched through the
// nearest folder above it that is, so a file created later is seen too.
class FileChangeWatch {
public:
    explicit FileChangeWatch(std::string path);
    ~FileChangeWatch();
    FileChangeWatch(const FileChangeWatch&) = delete;
    FileChangeWatch& operator=(const FileChangeWatch&) = delete;

    // Readable when the file may have changed; -1 when the system gives no watch (then nothing tells).
    int descriptor() const { return fd_; }
    // Takes the events waiting (without blocking): true when one may concern the file (written and
    // closed, created, moved in or out, removed, its permissions changed, a folder on its way made or
    // removed). The watches follow a link that now names another file and folders that appeared.
    bool takeChanges();

private:
    // One folder watched, and the name in it that matters: the file's, or the next folder on its way.
    struct Watch {
        int wd = -1;
        std::string folder;
        std::string name;
    };
    void arm();
    void disarm();

    std::string path_;
    int fd_ = -1;
    std::vector<Watch> watches_;
};

} // namespace krm
