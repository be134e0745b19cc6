#pragma once

#include "image/ImageFiles.h"
#include "macros/MacroEvents.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace krm {

// One macro as the library keeps it: its name and its 256-byte event buffer (the stream, then zeros).
struct MacroRecord {
    MacroName name{};
    MacroEventBuffer events{};

    bool inUse() const { return name[0] != 0 || name[1] != 0; }
    // The 272 bytes of a single-macro file.
    std::array<std::uint8_t, macro::kRecordSize> bytes() const;
    static MacroRecord fromBytes(std::span<const std::uint8_t, macro::kRecordSize> bytes);
    bool operator==(const MacroRecord&) const = default;
};

namespace macro_library {
inline constexpr std::size_t kCapacity = 100;
inline constexpr std::size_t kFileSize = kCapacity * macro::kRecordSize; // 27200
inline constexpr const char* kFileName = "KRMR210B-Macro.bin";           // for both variants
} // namespace macro_library

// The folder the library lives in: the branding's folder when it names one, else the user's data
// folder ($XDG_DATA_HOME/krm, or ~/.local/share/krm), never the program's own folder.
std::string macroLibraryFolder(const std::string& brandingFolder);
std::string macroLibraryPath(const std::string& brandingFolder);

// How a library operation ended.
struct LibraryResult {
    enum class Kind {
        Done,
        Duplicate, // a macro of that name exists (Str106); nothing changed
        Full,      // 100 macros: nothing added
        NoSelection,
        TooLong,   // the events would not fit the 256-byte buffer
        FileError, // reading or writing a file failed; `message` says which and why
    };
    Kind kind = Kind::Done;
    std::string message;
    explicit operator bool() const { return kind == Kind::Done; }
    static LibraryResult fail(Kind kind, std::string text = {}) { return {kind, std::move(text)}; }
};

// The PC macro library: up to 100 macros in one 27 200-byte file (100 records of 272 bytes, no header,
// records in use packed from 0). Every change rewrites the whole file atomically; a change that fails
// to be written is taken back, so memory and file stay the same.
class MacroLibrary {
public:
    // Reads the file at `path`, creating it with empty records when there is none. A file of another
    // size is read as far as it goes. Records in use after an empty one are moved up (and the file
    // written so) to keep the library packed. On an error the library is empty and the message says
    // why; later changes try the file again.
    LibraryResult open(const std::string& path);
    const std::string& path() const { return path_; }

    std::size_t size() const { return count_; }
    bool full() const { return count_ >= macro_library::kCapacity; }
    const MacroRecord& at(std::size_t i) const { return records_.at(i); }
    std::string name(std::size_t i) const { return macroNameText(records_.at(i).name); }
    std::optional<std::size_t> find(const MacroName& name) const;

    // A new empty macro named `name` at the end.
    LibraryResult add(const std::string& name);
    LibraryResult rename(std::size_t i, const std::string& name);
    LibraryResult remove(std::size_t i);
    // The events of macro i replaced (the stream as compiled, at most 256 bytes).
    LibraryResult setEvents(std::size_t i, std::span<const std::uint8_t> events);

    // A single-macro file (272 bytes; a longer file's first 272) added at the end.
    LibraryResult importOne(const std::string& file);
    // A whole library file: record i from byte 272·i; a shorter file leaves the records past its end.
    LibraryResult importAll(const std::string& file);
    LibraryResult exportOne(std::size_t i, const std::string& file) const;
    LibraryResult exportAll(const std::string& file) const;

    // The 27 200 bytes of the file.
    std::vector<std::uint8_t> fileBytes() const;

private:
    using Records = std::array<MacroRecord, macro_library::kCapacity>;
    LibraryResult commit(const Records& next);
    void adopt(const Records& next);

    std::string path_;
    Records records_{};
    std::size_t count_ = 0;
};

} // namespace krm
