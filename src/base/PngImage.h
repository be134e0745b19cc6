#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace krm {

// A decoded picture: 8-bit RGBA pixels, rows top to bottom, no padding.
class PngImage {
public:
    PngImage() = default;

    // Byte order of a decoded pixel. Bgra and Argb are a native 0xAARRGGBB word on little- and big-endian
    // machines, the layout toolkits keep their images in.
    enum class Order { Rgba, Bgra, Argb };
    // Where decodeInto puts the pixels: `height` rows of `stride` bytes (`pixels` null refuses).
    struct Target {
        std::uint8_t* pixels = nullptr;
        std::ptrdiff_t stride = 0;
    };
    // Decodes straight into memory the caller hands out once the size is known (a toolkit image, say), so
    // no second copy of the pixels is ever held. Returns why it failed, empty on success; after a failure
    // the target's contents are undefined. The size limits below apply before `target` is asked.
    static std::string decodeInto(std::span<const std::uint8_t> bytes, Order order,
                                  const std::function<Target(int width, int height)>& target);

    // Decodes a PNG held in memory. On failure the result is empty and error() tells why;
    // a corrupt or truncated file never yields partly decoded pixels.
    static PngImage decode(std::span<const std::uint8_t> bytes);
    // Larger pictures are refused before any pixel memory is taken (the skins' largest is some
    // hundred pixels a side).
    static constexpr std::uint32_t kMaxSide = 8192;
    static constexpr std::uint64_t kMaxPixels = 16u << 20;
    // Decodes the embedded picture of that name (see ResourceTable).
    static PngImage fromResource(const std::string& name);

    bool isNull() const { return width_ == 0 || height_ == 0; }
    int width() const { return width_; }
    int height() const { return height_; }
    const std::vector<std::uint8_t>& rgba() const { return pixels_; }
    const std::string& error() const { return error_; }

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint8_t> pixels_;
    std::string error_;
};

// Encodes RGBA pixels as PNG (used by the picture generator and tests). Returns an empty vector on failure.
std::vector<std::uint8_t> encodePng(int width, int height, std::span<const std::uint8_t> rgba);

} // namespace krm
