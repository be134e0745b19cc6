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

} // namespace krm::gui
