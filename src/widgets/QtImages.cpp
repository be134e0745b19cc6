#include "widgets/QtImages.h"

#include "base/PngImage.h"

#include <QHash>
#include <QtDebug>

#include <future>
#include <map>
#include <mutex>
#include <thread>

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
    QImage image = early.valid() ? early.get() : resourceImage(name);
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

QImage withoutColourKey(const QImage& image) {
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((line[x] & 0xFFFFFF) == (kColourKey & 0xFFFFFF)) line[x] = 0;
    }
    return out;
}

} // namespace krm::gui
