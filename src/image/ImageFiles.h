#pragma once

#include "image/ConfigImage.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace krm {

// WrongSize: a file whose length belongs to another kind or variant (a patch for the other chip).
enum class FileErrorKind { CannotOpen, CannotCreate, TooShort, BadMarker, NotRegular, TooLarge, WrongSize };

// The largest file any reader takes (the longest, a profile file, is 2048 bytes).
inline constexpr std::size_t kMaxInputFileBytes = 1 << 20;

struct FileError {
    FileErrorKind kind = FileErrorKind::CannotOpen;
    std::string message; // the text to show the user
};

// A value read from a file, or why there is none.
template <typename T> struct FileResult {
    std::optional<T> value;
    FileError error;

    explicit operator bool() const { return value.has_value(); }
    static FileResult fail(FileErrorKind kind, std::string message) {
        return {std::nullopt, {kind, std::move(message)}};
    }
};

// "Cannot open file "%s". %s" / "Cannot create file "%s". %s" with the system's error text.
std::string cannotOpenMessage(const std::string& path, int errorNumber);
std::string cannotCreateMessage(const std::string& path, int errorNumber);
// The refusal of a file that ends before the bytes an operation needs.
std::string tooShortMessage(const std::string& path, std::size_t size, std::size_t needed);

// The first `maxBytes` bytes of a file (fewer when it is shorter). Only a regular file of at most
// kMaxInputFileBytes is read: a folder, device or pipe is refused at once (the open does not wait for
// a pipe's writer).
FileResult<std::vector<std::uint8_t>> readFilePrefix(const std::string& path, std::size_t maxBytes);

// Refused when `path` exists and is not a regular file (a folder, a device, a pipe).
std::optional<FileError> checkWritableTarget(const std::string& path);

// Write a file as a whole or not at all: a temporary file ".krm-PID.XXXXXX" in the same folder,
// flushed to disk, then renamed over `path` (keeping the permissions of a file it replaces). A
// symbolic link is followed: the file it points to is replaced and the link stays. A target that
// exists and is not a regular file is refused. The first write into a folder removes the
// temporary files that killed writers left there. Nothing on success. `beforeRename`, when given, is
// handed the new file's descriptor once its bytes are on disk and before it takes the old file's
// place (to take a lock on it that must already be there when other processes find it).
std::optional<FileError> writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                                             const std::function<bool(int fd)>& beforeRename = {});

// Makes `path` with these bytes when no file of that name exists, as a whole or not at all (a
// temporary file linked to the name, which fails when another writer got there first). Nothing when
// the file is there afterwards, made here or not.
std::optional<FileError> createFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);

// A profile file: the 2048-byte image. Refused with "Loading .bin is error!" when it is shorter than
// 2048 bytes or byte 495 is not the marker 0xE0; the section checksums are not looked at.
FileResult<ConfigImage> readProfileFile(const std::string& path);
std::optional<FileError> writeProfileFile(const std::string& path, const ConfigImage& image);
// The macro block file: the 512 bytes of the macro block.
std::optional<FileError> writeMacroBlockFile(const std::string& path,
                                             std::span<const std::uint8_t, 512> block);

// The name a save dialog's choice is written under: ".bin" is added when the name lacks it (in any
// case), so the file a dialog confirmed replacing is the file written ("abc" and "abc.bin" both give
// "abc.bin").
std::string saveFileName(const std::string& chosenPath);

inline constexpr const char* kLoadingBinError = "Loading .bin is error!";

} // namespace krm
