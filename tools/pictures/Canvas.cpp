#include "Canvas.h"

#include <algorithm>

namespace krm::pictures {

const Look& look(int number) {
    static const Look kLooks[3] = {
        {1, QColor(235, 64, 80)}, {2, QColor(40, 200, 230)}, {3, QColor(255, 170, 40)}};
    return kLooks[(number - 1) % 3];
}

namespace {
int currentScale = 1; // device pixels per logical pixel of the pictures being drawn
} // namespace

ScaledDrawing::ScaledDrawing(int scale) : previous_(currentScale) {
    currentScale = scale;
}
ScaledDrawing::~ScaledDrawing() {
    currentScale = previous_;
}

QImage canvas(int width, int height, const QColor& fill) {
    QImage image(width * currentScale, height * currentScale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(currentScale);
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

bool hasColourKey(const QImage& picture) {
    const QRgb key = kColourKey.rgb();
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (picture.pixel(x, y) == key) return true;
    return false;
}

void matchColourKeyShape(QImage& sharp, const QImage& picture) {
    const QRgb key = kColourKey.rgb();
    for (int y = 0; y < sharp.height(); ++y)
        for (int x = 0; x < sharp.width(); ++x) {
            const QRgb below =
                picture.pixel(std::min(x / 2, picture.width() - 1), std::min(y / 2, picture.height() - 1));
            if (below == key)
                sharp.setPixel(x, y, key);
            else if (sharp.pixel(x, y) == key)
                sharp.setPixel(x, y, below);
        }
}

} // namespace krm::pictures
