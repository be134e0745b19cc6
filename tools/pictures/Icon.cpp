// The application icon: the look-1 mouse seen from above on a graphite tile. Drawn in a 256-unit square;
// below 48 pixels the seams and the emblem are left out and the outline and wheel are drawn bolder, so the
// shape still reads at menu sizes.
#include "Pictures.h"

#include <QLinearGradient>
#include <QRadialGradient>

namespace krm::pictures {

namespace {

QPainterPath iconMouseBody() {
    QPainterPath path;
    path.moveTo(128, 30);
    path.cubicTo(158, 29, 186, 52, 191, 96);
    path.cubicTo(195, 126, 199, 166, 194, 196);
    path.cubicTo(188, 228, 160, 234, 128, 234);
    path.cubicTo(96, 234, 68, 228, 62, 196);
    path.cubicTo(57, 166, 61, 126, 65, 96);
    path.cubicTo(70, 52, 98, 29, 128, 30);
    return path;
}

} // namespace

void drawAppIcon(QPainter& p, int size) {
    const bool detailed = size >= 48;
    // Lines at least one device pixel wide at every size.
    const qreal pixel = 256.0 / size;
    const QColor accent = look(1).accent;

    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);

    // Tile.
    QLinearGradient tile(0, 8, 0, 248);
    tile.setColorAt(0, QColor(40, 45, 55));
    tile.setColorAt(1, QColor(14, 16, 20));
    p.setPen(QPen(QColor(64, 72, 86), std::max(2.0, pixel)));
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(10, 10, 236, 236), 44, 44);

    QRadialGradient halo(QPointF(128, 132), 118);
    halo.setColorAt(0, withAlpha(accent, 90));
    halo.setColorAt(1, withAlpha(accent, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(halo);
    p.drawEllipse(QPointF(128, 132), 112, 112);

    // Shell with its accent outline.
    const QPainterPath body = iconMouseBody();
    QLinearGradient shell(64, 30, 192, 234);
    shell.setColorAt(0, QColor(70, 78, 94));
    shell.setColorAt(0.55, QColor(34, 39, 47));
    shell.setColorAt(1, QColor(20, 23, 28));
    p.setBrush(shell);
    p.setPen(QPen(accent, detailed ? std::max(5.0, 1.25 * pixel) : std::max(12.0, 1.5 * pixel)));
    p.drawPath(body);

    // Wheel.
    const QRectF wheel(119, 58, 18, 44);
    p.setPen(Qt::NoPen);
    p.setBrush(accent.lighter(115));
    p.drawRoundedRect(detailed ? wheel : wheel.adjusted(-4, -6, 4, 6), 9, 9);
    if (!detailed) {
        p.restore();
        return;
    }

    // Seams between the buttons and where they meet the palm.
    p.setPen(QPen(QColor(8, 9, 11), 4));
    p.drawLine(QPointF(128, 33), QPointF(128, 52));
    p.drawLine(QPointF(128, 108), QPointF(128, 122));
    QPainterPath palm;
    palm.moveTo(64, 120);
    palm.quadTo(128, 140, 192, 120);
    p.setBrush(Qt::NoBrush);
    p.drawPath(palm);
    p.setPen(QPen(QColor(20, 23, 28), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(wheel, 9, 9);

    // The emblem on the palm: three slanted bars.
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 3; ++i) {
        p.setBrush(withAlpha(accent, 255 - i * 60));
        const qreal x = 100 + i * 16.0;
        p.drawPolygon(QPolygonF({{x + 13, 158}, {x + 24, 158}, {x + 11, 202}, {x, 202}}));
    }
    p.restore();
}

} // namespace krm::pictures
