#include "macros/MacroLibrary.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace krm {

using macro_library::kCapacity;
using macro_library::kFileSize;

namespace {

std::string defaultFolder() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') return std::string(xdg) + "/krm";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.local/share/krm";
}

std::string withSeparator(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

} // namespace

std::array<std::uint8_t, macro::kRecordSize> MacroRecord::bytes() const {
    std::array<std::uint8_t, macro::kRecordSize> out{};
    std::copy(name.begin(), name.end(), out.begin());
    std::copy(events.begin(), events.end(), out.begin() + macro::kNameSize);
    return out;
}

MacroRecord MacroRecord::fromBytes(std::span<const std::uint8_t, macro::kRecordSize> bytes) {
    MacroRecord r;
    std::copy_n(bytes.begin(), macro::kNameSize, r.name.begin());
    std::copy_n(bytes.begin() + macro::kNameSize, macro::kEventBufferSize, r.events.begin());
    return r;
}

std::string macroLibraryFolder(const std::string& brandingFolder) {
    // A branding folder written for Windows ("C:\...\") is of no use here.
    if (!brandingFolder.empty() && brandingFolder.find('\\') == std::string::npos)
        return withSeparator(brandingFolder);
    return withSeparator(defaultFolder());
}

std::string macroLibraryPath(const std::string& brandingFolder) {
    return macroLibraryFolder(brandingFolder) + macro_library::kFileName;
}

// --- file ---

LibraryResult MacroLibrary::open(const std::string& path) {
    path_ = path;
    adopt({});
    const std::filesystem::path file(path);
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        const auto folder = file.parent_path();
        if (!folder.empty() && !std::filesystem::is_directory(folder, ec)) {
            // Only the user's own data folder is made; a folder named elsewhere must exist.
            if (folder.string() + "/" != withSeparator(defaultFolder()))
                return LibraryResult::fail(LibraryResult::Kind::FileError,
                                           "The macro library folder \"" + folder.string() +
                                               "\" does not exist; macros are kept until the program ends.");
            std::filesystem::create_directories(folder, ec);
            if (ec)
                return LibraryResult::fail(LibraryResult::Kind::FileError,
                                           "Cannot create the macro library folder \"" + folder.string() +
                                               "\". " + ec.message());
        }
        return commit({});
    }
    auto bytes = readFilePrefix(path, kFileSize);
    if (!bytes) return LibraryResult::fail(LibraryResult::Kind::FileError, bytes.error.message);
    Records read{};
    for (std::size_t i = 0; (i + 1) * macro::kRecordSize <= bytes.value->size(); ++i)
        read[i] = MacroRecord::fromBytes(std::span<const std::uint8_t, macro::kRecordSize>(
            bytes.value->data() + i * macro::kRecordSize, macro::kRecordSize));
    adopt(read);
    if (fileBytes() != *bytes.value) return commit(records_); // repacked or completed: written so
    return {};
}

void MacroLibrary::adopt(const Records& next) {
    // Records in use keep their order and move up over empty ones.
    Records packed{};
    std::size_t n = 0;
    for (const MacroRecord& r : next)
        if (r.inUse()) packed[n++] = r;
    records_ = packed;
    count_ = n;
}

LibraryResult MacroLibrary::commit(const Records& next) {
    const Records before = records_;
    const std::size_t countBefore = count_;
    adopt(next);
    if (path_.empty()) return {};
    if (auto error = writeFileAtomically(path_, fileBytes())) {
        records_ = before;
        count_ = countBefore;
        return LibraryResult::fail(LibraryResult::Kind::FileError,
                                   error->message + " The macro library was not changed.");
    }
    return {};
}

std::vector<std::uint8_t> MacroLibrary::fileBytes() const {
    std::vector<std::uint8_t> out;
    out.reserve(kFileSize);
    for (const MacroRecord& r : records_) {
        const auto b = r.bytes();
        out.insert(out.end(), b.begin(), b.end());
    }
    return out;
}

// --- changes ---

std::optional<std::size_t> MacroLibrary::find(const MacroName& name) const {
    for (std::size_t i = 0; i < count_; ++i)
        if (records_[i].name == name) return i;
    return std::nullopt;
}

LibraryResult MacroLibrary::add(const std::string& name) {
    const MacroName bytes = macroNameBytes(name);
    if (bytes[0] == 0 && bytes[1] == 0) return LibraryResult::fail(LibraryResult::Kind::NoSelection);
    if (full()) return LibraryResult::fail(LibraryResult::Kind::Full);
    if (find(bytes)) return LibraryResult::fail(LibraryResult::Kind::Duplicate);
    Records next = records_;
    next[count_] = MacroRecord{bytes, {}};
    return commit(next);
}

LibraryResult MacroLibrary::rename(std::size_t i, const std::string& name) {
    const MacroName bytes = macroNameBytes(name);
    if (i >= count_ || (bytes[0] == 0 && bytes[1] == 0))
        return LibraryResult::fail(LibraryResult::Kind::NoSelection);
    if (find(bytes)) return LibraryResult::fail(LibraryResult::Kind::Duplicate);
    Records next = records_;
    next[i].name = bytes;
    return commit(next);
}

LibraryResult MacroLibrary::remove(std::size_t i) {
    if (i >= count_) return LibraryResult::fail(LibraryResult::Kind::NoSelection);
    Records next = records_;
    next[i] = MacroRecord{};
    return commit(next);
}

LibraryResult MacroLibrary::setEvents(std::size_t i, std::span<const std::uint8_t> events) {
    if (i >= count_) return LibraryResult::fail(LibraryResult::Kind::NoSelection);
    if (events.size() > macro::kEventBufferSize) return LibraryResult::fail(LibraryResult::Kind::TooLong);
    Records next = records_;
    next[i].events.fill(0);
    std::copy(events.begin(), events.end(), next[i].events.begin());
    return commit(next);
}

LibraryResult MacroLibrary::importOne(const std::string& file) {
    if (full()) return LibraryResult::fail(LibraryResult::Kind::Full);
    auto bytes = readFilePrefix(file, macro::kRecordSize);
    if (!bytes) return LibraryResult::fail(LibraryResult::Kind::FileError, bytes.error.message);
    if (bytes.value->size() < macro::kRecordSize)
        return LibraryResult::fail(LibraryResult::Kind::FileError,
                                   tooShortMessage(file, bytes.value->size(), macro::kRecordSize));
    const MacroRecord record = MacroRecord::fromBytes(
        std::span<const std::uint8_t, macro::kRecordSize>(bytes.value->data(), macro::kRecordSize));
    if (!record.inUse())
        return LibraryResult::fail(LibraryResult::Kind::FileError,
                                   "\"" + file + "\" holds no macro: its name is empty.");
    if (find(record.name)) return LibraryResult::fail(LibraryResult::Kind::Duplicate);
    Records next = records_;
    next[count_] = record;
    return commit(next);
}

LibraryResult MacroLibrary::importAll(const std::string& file) {
    auto bytes = readFilePrefix(file, kFileSize);
    if (!bytes) return LibraryResult::fail(LibraryResult::Kind::FileError, bytes.error.message);
    if (bytes.value->size() < macro::kRecordSize)
        return LibraryResult::fail(LibraryResult::Kind::FileError,
                                   tooShortMessage(file, bytes.value->size(), macro::kRecordSize));
    Records next = records_;
    for (std::size_t i = 0; (i + 1) * macro::kRecordSize <= bytes.value->size(); ++i)
        next[i] = MacroRecord::fromBytes(std::span<const std::uint8_t, macro::kRecordSize>(
            bytes.value->data() + i * macro::kRecordSize, macro::kRecordSize));
    return commit(next);
}

LibraryResult MacroLibrary::exportOne(std::size_t i, const std::string& file) const {
    if (i >= count_) return LibraryResult::fail(LibraryResult::Kind::NoSelection);
    const auto bytes = records_[i].bytes();
    if (auto error = writeFileAtomically(file, bytes))
        return LibraryResult::fail(LibraryResult::Kind::FileError, error->message);
    return {};
}

LibraryResult MacroLibrary::exportAll(const std::string& file) const {
    if (auto error = writeFileAtomically(file, fileBytes()))
        return LibraryResult::fail(LibraryResult::Kind::FileError, error->message);
    return {};
}

} // namespace krm
