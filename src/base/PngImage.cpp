#include "base/PngImage.h"

#include "base/ResourceTable.h"

#include <png.h>

#include <cstring>

namespace krm {

PngImage PngImage::decode(std::span<const std::uint8_t> bytes) {
    PngImage out;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (bytes.empty()) {
        out.error_ = "empty PNG data";
        return out;
    }
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
        out.error_ = std::string("not a readable PNG: ") + image.message;
        png_image_free(&image);
        return out;
    }
    // The header alone decides the allocation below: a few bytes can claim 2^31 x 2^31 pixels.
    if (image.width == 0 || image.height == 0 || image.width > kMaxSide || image.height > kMaxSide ||
        std::uint64_t{image.width} * image.height > kMaxPixels) {
        out.error_ = "PNG too large: " + std::to_string(image.width) + " x " + std::to_string(image.height) +
                     " pixels (at most " + std::to_string(kMaxSide) + " a side and " +
                     std::to_string(kMaxPixels) + " in all)";
        png_image_free(&image);
        return out;
    }
    image.format = PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        out.error_ = std::string("corrupt PNG: ") + image.message;
        png_image_free(&image);
        return out;
    }
    // libpng reports some damage (a short final chunk, a bad CRC it was told to ignore) only as a warning.
    if (image.warning_or_error & PNG_IMAGE_ERROR) {
        out.error_ = std::string("corrupt PNG: ") + image.message;
        return out;
    }
    out.width_ = static_cast<int>(image.width);
    out.height_ = static_cast<int>(image.height);
    out.pixels_ = std::move(pixels);
    return out;
}

PngImage PngImage::fromResource(const std::string& name) {
    auto bytes = ResourceTable::find(name);
    if (!bytes) {
        PngImage out;
        out.error_ = "no picture named " + name;
        return out;
    }
    PngImage out = decode(*bytes);
    if (out.isNull()) out.error_ = name + ": " + out.error_;
    return out;
}

std::vector<std::uint8_t> encodePng(int width, int height, std::span<const std::uint8_t> rgba) {
    if (width <= 0 || height <= 0 || rgba.size() < static_cast<std::size_t>(width) * height * 4) return {};
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr)) return {};
    std::vector<std::uint8_t> out(size);
    if (!png_image_write_to_memory(&image, out.data(), &size, 0, rgba.data(), 0, nullptr)) return {};
    out.resize(size);
    return out;
}

} // namespace krm
