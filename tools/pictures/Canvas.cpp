#include "Canvas.h"

namespace krm::pictures {

const Look& look(int number) {
    static const Look kLooks[3] = {
        {1, QColor(235, 64, 80)}, {2, QColor(40, 200, 230)}, {3, QColor(255, 170, 40)}};
    return kLooks[(number - 1) % 3];
}

QImage canvas(int width, int height, const QColor& fill) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    return image;
}

void beginPainter(QPainter& p, QImage& image) {
    p.begin(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
}

QPainterPath roundedRect(const QRectF& r, qreal radius) {
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

void drawCard(QPainter& p, const QRectF& r, qreal radius, const QColor& fill, const QColor& border) {
    p.save();
    p.setPen(QPen(border, 1));
    p.setBrush(fill);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    p.restore();
}

QColor withAlpha(QColor c, int alpha) {
    c.setAlpha(alpha);
    return c;
}

QColor mix(const QColor& a, const QColor& b, qreal t) {
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t, a.greenF() + (b.greenF() - a.greenF()) * t,
                            a.blueF() + (b.blueF() - a.blueF()) * t,
                            a.alphaF() + (b.alphaF() - a.alphaF()) * t);
}

void keepColourKey(QImage& picture, const QImage& outline) {
    const QRgb key = kColourKey.rgb();
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (outline.pixel(x, y) == key) picture.setPixel(x, y, key);
}

} // namespace krm::pictures
