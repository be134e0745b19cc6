#pragma once

// Drawing helpers shared by the picture generator.

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>

#include <map>

namespace krm::pictures {

// The window's transparent colour key: pixels of exactly this colour are cut out of the window.
inline const QColor kColourKey(128, 0, 0);

// Shared palette: graphite surfaces, steel lines, near-white highlights.
namespace ink {
inline const QColor window(14, 16, 20);
inline const QColor panel(20, 23, 28);
inline const QColor card(26, 30, 37);
inline const QColor raised(34, 39, 47);
inline const QColor line(40, 46, 56);
inline const QColor steel(74, 82, 98);
inline const QColor muted(150, 158, 172);
inline const QColor light(226, 231, 238);
inline const QColor white(248, 250, 252);
} // namespace ink

// One look: its number and accent colour.
struct Look {
    int number;
    QColor accent;
};
const Look& look(int number);

// Puts the colour key back on every pixel that holds it in `outline` (the picture before its inside was
// painted), so that glows and gradients drawn later cannot leave near-key pixels that the window shows.
void keepColourKey(QImage& picture, const QImage& outline);

// A transparent RGBA canvas of `width` x `height` logical pixels. Under a ScaledDrawing it holds that many
// pixels times the scale and carries the scale as its device pixel ratio, so a painter on it draws the
// same logical geometry with every shape rendered at the higher density.
QImage canvas(int width, int height, const QColor& fill = Qt::transparent);

// While one lives, canvas() makes pictures at `scale` device pixels per logical pixel (1 or 2).
class ScaledDrawing {
public:
    explicit ScaledDrawing(int scale);
    ~ScaledDrawing();
    ScaledDrawing(const ScaledDrawing&) = delete;
    ScaledDrawing& operator=(const ScaledDrawing&) = delete;

private:
    int previous_;
};

// Gives `sharp` (a picture drawn at twice the pixels) exactly the colour-key pixels of `picture` doubled:
// the window's shape is cut from the 1x picture, so a key pixel inside that shape would show as a red rim
// at 200 %. A pixel inside the shape that the 2x drawing left as key takes the 1x pixel's colour.
void matchColourKeyShape(QImage& sharp, const QImage& picture);
// Whether any pixel of `picture` is the colour key.
bool hasColourKey(const QImage& picture);
// Antialiased painter on an image.
void beginPainter(QPainter& p, QImage& image);

QPainterPath roundedRect(const QRectF& r, qreal radius);
// A card: rounded rectangle with fill and a one-pixel border.
void drawCard(QPainter& p, const QRectF& r, qreal radius, const QColor& fill, const QColor& border);
// Colour with another alpha.
QColor withAlpha(QColor c, int alpha);
QColor mix(const QColor& a, const QColor& b, qreal t);

// The pictures made so far, by name.
using PictureSet = std::map<QString, QImage>;

} // namespace krm::pictures
