#include "base/PngImage.h"

#include "base/ResourceTable.h"

#include <png.h>

#include <cstring>

namespace krm {

std::string PngImage::decodeInto(std::span<const std::uint8_t> bytes, Order order,
                                 const std::function<Target(int width, int height)>& target) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (bytes.empty()) return "empty PNG data";
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
        std::string error = std::string("not a readable PNG: ") + image.message;
        png_image_free(&image);
        return error;
    }
    // The header alone decides the allocation below: a few bytes can claim 2^31 x 2^31 pixels.
    if (image.width == 0 || image.height == 0 || image.width > kMaxSide || image.height > kMaxSide ||
        std::uint64_t{image.width} * image.height > kMaxPixels) {
        png_image_free(&image);
        return "PNG too large: " + std::to_string(image.width) + " x " + std::to_string(image.height) +
               " pixels (at most " + std::to_string(kMaxSide) + " a side and " + std::to_string(kMaxPixels) +
               " in all)";
    }
    image.format = order == Order::Rgba   ? PNG_FORMAT_RGBA
                   : order == Order::Bgra ? PNG_FORMAT_BGRA
                                          : PNG_FORMAT_ARGB;
    const Target out = target(static_cast<int>(image.width), static_cast<int>(image.height));
    if (!out.pixels || out.stride < static_cast<std::ptrdiff_t>(PNG_IMAGE_ROW_STRIDE(image))) {
        png_image_free(&image);
        return "no memory for a " + std::to_string(image.width) + " x " + std::to_string(image.height) +
               " picture";
    }
    // libpng counts the row stride in components (one byte each here).
    if (!png_image_finish_read(&image, nullptr, out.pixels, static_cast<png_int_32>(out.stride), nullptr)) {
        std::string error = std::string("corrupt PNG: ") + image.message;
        png_image_free(&image);
        return error;
    }
    // libpng reports some damage (a short final chunk, a bad CRC it was told to ignore) only as a warning.
    if (image.warning_or_error & PNG_IMAGE_ERROR) return std::string("corrupt PNG: ") + image.message;
    return {};
}

PngImage PngImage::decode(std::span<const std::uint8_t> bytes) {
    PngImage out;
    std::vector<std::uint8_t> pixels;
    int width = 0, height = 0;
    out.error_ = decodeInto(bytes, Order::Rgba, [&](int w, int h) {
        width = w;
        height = h;
        pixels.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4);
        return Target{pixels.data(), static_cast<std::ptrdiff_t>(w) * 4};
    });
    if (!out.error_.empty()) return out;
    out.width_ = width;
    out.height_ = height;
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
