#include "fire/GunKeyListFile.h"

#include "image/ImageFiles.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace krm {

GunKeyListFile::Result GunKeyListFile::open(const std::string& path) {
    path_ = path;
    list_ = {};
    readable_ = false;
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        readable_ = !ec;
        if (ec) return {false, "Cannot open file \"" + path + "\". " + ec.message()};
        return {};
    }
    const auto bytes = readFilePrefix(path, kFileSize);
    if (!bytes)
        return {false, bytes.error.message + " The fire macro list was not read and will not be changed."};
    const auto& b = *bytes.value;
    for (std::size_t k = 0; k < list_.entries.size(); ++k)
        for (std::size_t i = 0; i < 4; ++i)
            if (4 * k + i < b.size()) list_.entries[k][i] = b[4 * k + i];
    list_.fileFound = true;
    readable_ = true;
    return {};
}

int GunKeyListFile::listed() const {
    return static_cast<int>(std::count_if(list_.entries.begin(), list_.entries.end(),
                                          [](const CodeBytes& e) { return e != CodeBytes{}; }));
}

GunKeyListFile::Result GunKeyListFile::write(const GunKeyList& before) {
    std::array<std::uint8_t, kFileSize> bytes{};
    for (std::size_t k = 0; k < list_.entries.size(); ++k)
        std::copy(list_.entries[k].begin(), list_.entries[k].end(),
                  bytes.begin() + static_cast<std::ptrdiff_t>(4 * k));
    if (const auto error = writeFileAtomically(path_, bytes)) {
        list_ = before;
        return {false, error->message + " The fire macro list was not changed."};
    }
    list_.fileFound = true;
    return {};
}

GunKeyListFile::Result GunKeyListFile::add(int startIndex, int count, bool keepLeft) {
    if (!readable_ || path_.empty())
        return {false, "The fire macro list file could not be read; nothing was added."};
    if (startIndex < 0 || startIndex > 9) return {false, "The first fire macro is 1..10."};
    if (count < 1 || count > 10) return {false, "The number of fire macros is 1..10."};
    const int n = listed();
    if (n >= static_cast<int>(list_.entries.size()))
        return {false, "The list holds ten fire macros already."};
    const GunKeyList before = list_;
    list_.entries[static_cast<std::size_t>(n)] = {
        0x0B, static_cast<std::uint8_t>((keepLeft ? 0x10 : 0) + startIndex), static_cast<std::uint8_t>(count),
        0x00};
    return write(before);
}

GunKeyListFile::Result GunKeyListFile::remove(int n) {
    if (!readable_ || path_.empty())
        return {false, "The fire macro list file could not be read; nothing was deleted."};
    if (n < 1 || n > static_cast<int>(list_.entries.size()) ||
        list_.entries[static_cast<std::size_t>(n - 1)] == CodeBytes{})
        return {false, "There is no Fire Macro" + std::to_string(n) + "."};
    const GunKeyList before = list_;
    auto& e = list_.entries;
    std::move(e.begin() + n, e.end(), e.begin() + (n - 1));
    e.back() = {};
    return write(before);
}

} // namespace krm
