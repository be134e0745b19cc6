#pragma once

#include "buttons/EditorState.h"

#include <string>

namespace krm {

// The gun-key list ("Fire Macro1".."Fire Macro10") and its file: exactly ten 4-byte entries, 40 bytes,
// entry k at 4k; an all-zero entry is empty. Every change rewrites the whole file atomically; a change
// that cannot be written is taken back, so list and file stay the same. A file that exists but cannot
// be read leaves the list empty and refuses changes, so the file is never written over unread.
class GunKeyListFile {
public:
    static constexpr const char* kFileName = "Fire Macro.bin";
    static constexpr std::size_t kFileSize = 40;

    struct Result {
        bool ok = true;
        std::string message;
        explicit operator bool() const { return ok; }
    };

    explicit GunKeyListFile(GunKeyList& list) : list_(list) {}

    // Reads the list from `path`. A missing file gives an empty list and is created on the first add.
    Result open(const std::string& path);
    // Adds the entry 0B, (keepLeft ? 0x10 : 0) + startIndex, count, 00 after the listed ones.
    // `startIndex` 0..9, `count` 1..10.
    Result add(int startIndex, int count, bool keepLeft);
    // Removes entry n (1..10); the entries after it move up and are renumbered.
    Result remove(int n);
    int listed() const;
    const std::string& path() const { return path_; }

private:
    Result write(const GunKeyList& before);

    GunKeyList& list_;
    std::string path_;
    bool readable_ = false;
};

} // namespace krm
