#include "app/gui/QtImages.h"

#include "shell/PngImage.h"

#include <QHash>
#include <QtDebug>

namespace krm::gui {

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
    QPixmap pixmap = QPixmap::fromImage(resourceImage(name));
    cache.insert(name, pixmap);
    return pixmap;
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
