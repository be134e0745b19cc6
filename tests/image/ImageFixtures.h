#pragma once

#include "image/ConfigImage.h"
#include "image/DefaultImages.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace krm::test {

// "3A 7E 0C51": every pair of hex digits is a byte; blanks and commas separate.
inline std::vector<std::uint8_t> hex(std::string_view text) {
    std::vector<std::uint8_t> out;
    std::string digits;
    for (char c : text)
        if (std::isxdigit(static_cast<unsigned char>(c))) digits += c;
    if (digits.size() % 2) throw std::invalid_argument("odd hex text");
    for (std::size_t i = 0; i < digits.size(); i += 2)
        out.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    return out;
}

inline std::vector<std::uint8_t> slice(std::span<const std::uint8_t> bytes, std::size_t from, std::size_t n) {
    return {bytes.begin() + static_cast<std::ptrdiff_t>(from),
            bytes.begin() + static_cast<std::ptrdiff_t>(from + n)};
}

// The six embedded factory images, loaded once.
inline const DefaultImageSet& factoryImages() {
    static const DefaultImageSet set = [] {
        DefaultImageSet s;
        loadDefaultImages(s, 1);
        return s;
    }();
    return set;
}

// A folder of its own for one test, removed afterwards.
class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "krm-image-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string file(std::string_view name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline void writeFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<std::uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace krm::test
