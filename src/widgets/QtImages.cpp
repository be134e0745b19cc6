#include "widgets/QtImages.h"

#include "base/PngImage.h"

#include <QHash>
#include <QPainter>
#include <QtDebug>

#include <future>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace krm::gui {

QBitmap colourKeyMask(const QImage& picture) {
    // QBitmap::fromImage maps the mask image's set bits to "not in the window", so the colour must be
    // masked *in* for the key-coloured pixels to be the ones cut out.
    return QBitmap::fromImage(
        picture.convertToFormat(QImage::Format_RGB32).createMaskFromColor(kColourKey, Qt::MaskInColor));
}

namespace {

// Pictures being decoded ahead, by name; the worker is joined when the program ends.
struct AheadDecoder {
    std::mutex mutex;
    std::map<QString, std::shared_future<QImage>> pictures;
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
    PngImage png = PngImage::fromResource(name.toStdString());
    if (png.isNull()) {
        qWarning("%s", png.error().c_str());
        return {};
    }
    QImage view(png.rgba().data(), png.width(), png.height(), png.width() * 4, QImage::Format_RGBA8888);
    return view.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QPixmap resourcePixmap(const QString& name) {
    static QHash<QString, QPixmap> cache;
    auto it = cache.find(name);
    if (it != cache.end()) return *it;
    std::shared_future<QImage> early;
    {
        AheadDecoder& d = ahead();
        std::lock_guard lock(d.mutex);
        if (auto found = d.pictures.find(name); found != d.pictures.end()) {
            early = std::move(found->second);
            d.pictures.erase(found);
        }
    }
    QImage image = fillColourKey(early.valid() ? early.get() : resourceImage(name));
    early = {}; // the decoded pixels live on in the pixmap only
    QPixmap pixmap = QPixmap::fromImage(std::move(image));
    cache.insert(name, pixmap);
    return pixmap;
}

void decodeAhead(const QStringList& names) {
    AheadDecoder& d = ahead();
    std::vector<std::pair<QString, std::promise<QImage>>> work;
    {
        std::lock_guard lock(d.mutex);
        if (d.worker.joinable()) return;
        for (const QString& name : names) {
            std::promise<QImage> promise;
            d.pictures.emplace(name, promise.get_future().share());
            work.emplace_back(name, std::move(promise));
        }
    }
    d.worker = std::thread([work = std::move(work)]() mutable {
        for (auto& [name, promise] : work) promise.set_value(resourceImage(name));
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

QImage fillColourKey(const QImage& picture) {
    QImage out = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QRgb key = kColourKey; // opaque: the same premultiplied
    std::vector<QPoint> pending;
    for (int y = 0; y < out.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(out.constScanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if (line[x] == key) pending.emplace_back(x, y);
    }
    // The key sits in the cut-out corners, a few pixels deep: each pass gives the key pixels beside a
    // window pixel that pixel's colour.
    auto at = [&out](QPoint p) -> QRgb& { return reinterpret_cast<QRgb*>(out.scanLine(p.y()))[p.x()]; };
    while (!pending.empty()) {
        std::vector<std::pair<QPoint, QRgb>> filled;
        std::vector<QPoint> left;
        for (const QPoint p : pending) {
            QRgb colour = key;
            for (const QPoint n : {p + QPoint(-1, 0), p + QPoint(1, 0), p + QPoint(0, -1), p + QPoint(0, 1)})
                if (out.rect().contains(n) && at(n) != key) {
                    colour = at(n);
                    break;
                }
            if (colour == key)
                left.push_back(p);
            else
                filled.emplace_back(p, colour);
        }
        if (filled.empty()) break; // nothing but key
        for (const auto& [p, colour] : filled) at(p) = colour;
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
