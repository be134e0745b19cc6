#include "base/PngImage.h"

#include "base/ResourceTable.h"

#include <png.h>

#include <csetjmp>
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

namespace {

void appendBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void flushNothing(png_structp) {}

// Writes the rows into `out`; false when libpng refused. Nothing with a destructor lives across the
// setjmp: libpng leaves through longjmp.
bool writeRows(png_structp png, png_infop info, int width, int height, const std::uint8_t* rgba,
               std::vector<std::uint8_t>* out) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, out, appendBytes, flushNothing);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
    // Rows unfiltered: the pictures are drawn (flat areas, gradients, outlines), so deflate alone packs
    // them as small as any filter does, and decoding them costs a third as much (no row prediction to
    // undo, Paeth's above all).
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, 9);
    png_write_info(png, info);
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    for (int y = 0; y < height; ++y)
        png_write_row(png, const_cast<png_bytep>(rgba + static_cast<std::size_t>(y) * rowBytes));
    png_write_end(png, info);
    return true;
}

} // namespace

std::vector<std::uint8_t> encodePng(int width, int height, std::span<const std::uint8_t> rgba) {
    if (width <= 0 || height <= 0 || rgba.size() < static_cast<std::size_t>(width) * height * 4) return {};
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    std::vector<std::uint8_t> out;
    const bool written = info && writeRows(png, info, width, height, rgba.data(), &out);
    png_destroy_write_struct(&png, &info);
    if (!written) out.clear();
    return out;
}

} // namespace krm
