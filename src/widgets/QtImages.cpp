#include "widgets/QtImages.h"

#include "base/PngImage.h"
#include "base/ResourceTable.h"
#include "shell/SkinPictures.h"

#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QSysInfo>
#include <QtDebug>

#include <future>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace krm::gui {

QBitmap colourKeyMask(const QImage& picture) {
    // QBitmap::fromImage maps the mask image's set bits to "not in the window", so the colour must be
    // masked *in* for the key-coloured pixels to be the ones cut out. The key is opaque, so in any of the
    // 0xAARRGGBB formats it is the same word and the picture needs no converted copy.
    const QImage::Format f = picture.format();
    const bool keyWords =
        f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 || f == QImage::Format_ARGB32_Premultiplied;
    return QBitmap::fromImage((keyWords ? picture : picture.convertToFormat(QImage::Format_RGB32))
                                  .createMaskFromColor(kColourKey, Qt::MaskInColor));
}

namespace {

// Pictures being decoded ahead, by name; the worker is joined when the program ends.
struct AheadDecoder {
    std::mutex mutex;
    std::map<QString, std::future<QImage>> pictures;
    std::thread worker;
    ~AheadDecoder() {
        if (worker.joinable()) worker.join();
    }
};

AheadDecoder& ahead() {
    static AheadDecoder decoder;
    return decoder;
}

} // namespace

QImage resourceImage(const QString& name) {
    const std::string key = name.toStdString();
    const auto bytes = ResourceTable::find(key);
    if (!bytes) {
        qWarning("no picture named %s", key.c_str());
        return {};
    }
    // Decoded into the image's own memory in its native word order, then premultiplied in place.
    const PngImage::Order order =
        QSysInfo::ByteOrder == QSysInfo::LittleEndian ? PngImage::Order::Bgra : PngImage::Order::Argb;
    QImage image;
    const std::string error = PngImage::decodeInto(*bytes, order, [&image](int width, int height) {
        image = QImage(width, height, QImage::Format_ARGB32);
        return PngImage::Target{image.bits(), static_cast<std::ptrdiff_t>(image.bytesPerLine())};
    });
    if (!error.empty()) {
        qWarning("%s: %s", key.c_str(), error.c_str());
        return {};
    }
    image.convertTo(QImage::Format_ARGB32_Premultiplied);
    return image;
}

namespace {

struct DecodedPicture {
    QPixmap pixmap;
    QBitmap mask; // null until asked for
};

QHash<QString, DecodedPicture>& pictureCache() {
    static QHash<QString, DecodedPicture> cache;
    return cache;
}

// The picture as decoded: by the worker when it was decoded ahead, else here.
QImage decodedPicture(const QString& name) {
    std::future<QImage> early;
    {
        AheadDecoder& d = ahead();
        std::lock_guard lock(d.mutex);
        if (auto found = d.pictures.find(name); found != d.pictures.end()) {
            early = std::move(found->second);
            d.pictures.erase(found);
        }
    }
    return early.valid() ? early.get() : resourceImage(name);
}

// The picture drawn at twice the pixels ("Name@2x"), with device pixel ratio 2 so that every size read
// from it stays the 1x picture's; null when no screen of the program is above 100 % or there is no such
// picture of exactly twice the size. Only this one is decoded then.
QPixmap sharpPixmap(const QString& name) {
    const auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app || app->devicePixelRatio() <= 1.0) return {};
    const QString sharpName = name + QStringLiteral("@2x");
    const auto sharpBytes = ResourceTable::find(sharpName.toStdString());
    const auto bytes = ResourceTable::find(name.toStdString());
    if (!sharpBytes || !bytes) return {};
    const auto sharpSize = pngHeaderSize(*sharpBytes);
    const auto size = pngHeaderSize(*bytes);
    if (!sharpSize || !size || sharpSize->width != 2 * size->width || sharpSize->height != 2 * size->height) {
        qWarning("%s is not twice the size of %s; the 1x picture is used", qPrintable(sharpName),
                 qPrintable(name));
        return {};
    }
    QImage image = resourceImage(sharpName);
    if (image.isNull()) return {};
    {
        // A 1x picture decoded ahead is not needed any more.
        AheadDecoder& d = ahead();
        std::lock_guard lock(d.mutex);
        d.pictures.erase(name);
    }
    QPixmap pixmap = QPixmap::fromImage(fillColourKey(std::move(image)));
    pixmap.setDevicePixelRatio(2);
    return pixmap;
}

// The picture for drawing: the sharp one when the screens want it, else the 1x picture (`decoded`, when
// the caller has decoded it already).
QPixmap drawingPixmap(const QString& name, QImage decoded = {}) {
    if (QPixmap sharp = sharpPixmap(name); !sharp.isNull()) return sharp;
    return QPixmap::fromImage(fillColourKey(decoded.isNull() ? decodedPicture(name) : std::move(decoded)));
}

} // namespace

QPixmap resourcePixmap(const QString& name) {
    auto& cache = pictureCache();
    auto it = cache.find(name);
    if (it != cache.end()) return it->pixmap;
    // The decoded pixels live on in the pixmap only.
    const QPixmap pixmap = drawingPixmap(name);
    cache.insert(name, DecodedPicture{pixmap, {}});
    return pixmap;
}

QPixmap transientPixmap(const QString& name) {
    return drawingPixmap(name);
}

QBitmap resourceMask(const QString& name) {
    auto& cache = pictureCache();
    auto it = cache.find(name);
    if (it != cache.end() && !it->mask.isNull()) return it->mask;
    QImage picture = decodedPicture(name);
    if (picture.isNull()) return {};
    const QBitmap mask = colourKeyMask(picture);
    if (it != cache.end())
        it->mask = mask;
    else
        cache.insert(name, DecodedPicture{drawingPixmap(name, std::move(picture)), mask});
    return mask;
}

void decodeAhead(const QStringList& names) {
    AheadDecoder& d = ahead();
    std::vector<std::pair<QString, std::promise<QImage>>> work;
    {
        std::lock_guard lock(d.mutex);
        if (d.worker.joinable()) return;
        for (const QString& name : names) {
            std::promise<QImage> promise;
            d.pictures.emplace(name, promise.get_future());
            work.emplace_back(name, std::move(promise));
        }
    }
    d.worker = std::thread([work = std::move(work)]() mutable {
        // Each promise is let go once kept, so a picture taken while the worker goes on is held by its
        // taker alone (a second holder would make the colour-key fill copy all its pixels).
        for (auto& [name, promise] : work) {
            promise.set_value(resourceImage(name));
            promise = {};
        }
    });
}

void finishDecodingAhead() {
    AheadDecoder& d = ahead();
    std::thread worker;
    {
        std::lock_guard lock(d.mutex);
        worker = std::move(d.worker);
    }
    if (worker.joinable()) worker.join();
}

QImage fillColourKey(QImage picture) {
    QImage out = std::move(picture);
    out.convertTo(QImage::Format_ARGB32_Premultiplied); // in place; nothing to do when decoded here
    const QRgb key = kColourKey;                        // opaque: the same premultiplied
    const int width = out.width();
    const int height = out.height();
    const qsizetype stride = out.bytesPerLine() / qsizetype(sizeof(QRgb));
    QRgb* const pixels = reinterpret_cast<QRgb*>(out.bits()); // one detach, then plain words
    std::vector<std::pair<int, int>> pending;                 // (x, y) of key pixels
    for (int y = 0; y < height; ++y) {
        const QRgb* line = pixels + y * stride;
        for (int x = 0; x < width; ++x)
            if (line[x] == key) pending.emplace_back(x, y);
    }
    // The key sits in the cut-out corners, a few pixels deep: each pass gives the key pixels beside a
    // window pixel that pixel's colour.
    auto at = [&](int x, int y) -> QRgb& { return pixels[y * stride + x]; };
    auto neighbour = [&](int x, int y) -> QRgb {
        if (x > 0 && at(x - 1, y) != key) return at(x - 1, y);
        if (x + 1 < width && at(x + 1, y) != key) return at(x + 1, y);
        if (y > 0 && at(x, y - 1) != key) return at(x, y - 1);
        if (y + 1 < height && at(x, y + 1) != key) return at(x, y + 1);
        return key;
    };
    while (!pending.empty()) {
        std::vector<std::pair<std::pair<int, int>, QRgb>> filled;
        std::vector<std::pair<int, int>> left;
        for (const auto& [x, y] : pending) {
            const QRgb colour = neighbour(x, y);
            if (colour == key)
                left.emplace_back(x, y);
            else
                filled.push_back({{x, y}, colour});
        }
        if (filled.empty()) break; // nothing but key
        for (const auto& [p, colour] : filled) at(p.first, p.second) = colour;
        pending = std::move(left);
    }
    return out;
}

QImage cutToMask(const QImage& picture, const QRegion& mask) {
    if (mask.isEmpty()) return picture;
    QImage out = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter p(&out);
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    const QRect whole(QPoint(0, 0), out.deviceIndependentSize().toSize());
    p.setClipRegion(QRegion(whole) - mask);
    p.fillRect(whole, Qt::transparent);
    return out;
}

} // namespace krm::gui
