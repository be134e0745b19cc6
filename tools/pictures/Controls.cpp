// Shared pictures: neutral graphite and steel, so they sit on every look; the marked ("_03", "_E") states
// light up in near-white.
#include "Pictures.h"

#include <QLinearGradient>
#include <QRadialGradient>
#include <QtMath>

#include <array>

namespace krm::pictures {

namespace {

enum class State { Normal, Hover, Marked };

QColor stateFill(State s) {
    switch (s) {
    case State::Normal:
        return ink::card;
    case State::Hover:
        return QColor(44, 50, 61);
    case State::Marked:
        return QColor(58, 66, 80);
    }
    return ink::card;
}

QColor stateBorder(State s) {
    switch (s) {
    case State::Normal:
        return QColor(52, 59, 72);
    case State::Hover:
        return QColor(120, 130, 148);
    case State::Marked:
        return ink::light;
    }
    return ink::line;
}

// Navigation and setting buttons: a tab with a bar on the left that lights up when marked.
QImage setButton(State s) {
    QImage img = canvas(111, 30);
    QPainter p;
    beginPainter(p, img);
    QLinearGradient g(0, 0, 0, 30);
    g.setColorAt(0, stateFill(s).lighter(s == State::Normal ? 108 : 115));
    g.setColorAt(1, stateFill(s));
    drawCard(p, QRectF(0, 0, 111, 30), 5, QColor(0, 0, 0, 0), stateBorder(s));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(QRectF(1, 1, 109, 28), 4.5, 4.5);
    p.setPen(QPen(stateBorder(s), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(0.5, 0.5, 110, 29), 5, 5);
    const QColor bar = s == State::Marked ? ink::white : s == State::Hover ? ink::muted : ink::steel;
    p.setPen(Qt::NoPen);
    p.setBrush(bar);
    p.drawRoundedRect(QRectF(3, 7, 3, 16), 1.5, 1.5);
    if (s == State::Marked) {
        QLinearGradient glow(0, 0, 60, 0);
        glow.setColorAt(0, QColor(255, 255, 255, 40));
        glow.setColorAt(1, QColor(255, 255, 255, 0));
        p.setBrush(glow);
        p.drawRoundedRect(QRectF(1, 1, 109, 28), 4.5, 4.5);
    }
    return img;
}

// Pill-shaped action buttons (confirm, macro page buttons, insert OK/cancel).
QImage pillButton(int w, int h, State s) {
    QImage img = canvas(w, h);
    QPainter p;
    beginPainter(p, img);
    const qreal r = h / 2.0 - 1;
    QLinearGradient g(0, 0, 0, h);
    if (s == State::Marked) {
        g.setColorAt(0, QColor(30, 34, 41));
        g.setColorAt(1, QColor(52, 59, 72));
    } else {
        g.setColorAt(0, stateFill(s).lighter(125));
        g.setColorAt(1, stateFill(s));
    }
    p.setPen(QPen(stateBorder(s), 1));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(0.5, 0.5, w - 1, h - 1), r, r);
    // Top sheen.
    p.setPen(QPen(QColor(255, 255, 255, s == State::Marked ? 10 : 28), 1));
    p.drawLine(QPointF(r, 1.5), QPointF(w - r, 1.5));
    return img;
}

QImage keyLabel(State s) {
    QImage img = canvas(150, 30);
    QPainter p;
    beginPainter(p, img);
    drawCard(p, QRectF(0, 0, 150, 30), 4, withAlpha(stateFill(s), 240), stateBorder(s));
    p.setPen(Qt::NoPen);
    p.setBrush(s == State::Hover ? ink::white : ink::steel);
    p.drawRoundedRect(QRectF(4, 8, 3, 14), 1.5, 1.5);
    return img;
}

// The title bar's round buttons: close (a cross), minimise (a bar) and the settings menu (three bars).
enum class Glyph { Exit, Minimize, Menu };

QImage glyphButton(Glyph g, State s) {
    QImage img = canvas(20, 20);
    QPainter p;
    beginPainter(p, img);
    QColor glyph = ink::muted;
    if (s != State::Normal) {
        const QColor fill = g == Glyph::Exit ? (s == State::Hover ? QColor(229, 72, 77) : QColor(170, 40, 48))
                                             : (s == State::Hover ? QColor(70, 78, 94) : QColor(50, 56, 68));
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawEllipse(QRectF(0.5, 0.5, 19, 19));
        glyph = ink::white;
    }
    p.setPen(QPen(glyph, 1.8, Qt::SolidLine, Qt::RoundCap));
    switch (g) {
    case Glyph::Exit:
        p.drawLine(QPointF(6.5, 6.5), QPointF(13.5, 13.5));
        p.drawLine(QPointF(13.5, 6.5), QPointF(6.5, 13.5));
        break;
    case Glyph::Minimize:
        p.drawLine(QPointF(6, 10.5), QPointF(14, 10.5));
        break;
    case Glyph::Menu:
        for (const qreal y : {6.5, 10.0, 13.5}) p.drawLine(QPointF(6, y), QPointF(14, y));
        break;
    }
    return img;
}

QImage webButton(State s) {
    QImage img = canvas(200, 66);
    QPainter p;
    beginPainter(p, img);
    drawCard(p, QRectF(0, 0, 200, 66), 12, stateFill(s), stateBorder(s));
    const QPointF c(33, 33);
    p.setPen(QPen(s == State::Normal ? ink::muted : ink::white, 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 16, 16);
    p.drawEllipse(c, 7, 16);
    p.drawLine(QPointF(17, 33), QPointF(49, 33));
    p.drawLine(QPointF(20, 24), QPointF(46, 24));
    p.drawLine(QPointF(20, 42), QPointF(46, 42));
    return img;
}

QImage checkBox(bool on) {
    QImage img = canvas(16, 16);
    QPainter p;
    beginPainter(p, img);
    if (on) {
        p.setPen(Qt::NoPen);
        p.setBrush(ink::light);
        p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3.5, 3.5);
        p.setPen(QPen(QColor(20, 23, 28), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(4, 8.3), QPointF(7, 11.2), QPointF(12.2, 5)}));
    } else {
        p.setPen(QPen(QColor(104, 113, 130), 1.2));
        p.setBrush(QColor(18, 21, 26));
        p.drawRoundedRect(QRectF(1, 1, 14, 14), 3, 3);
    }
    return img;
}

QImage radio(bool on) {
    QImage img = canvas(15, 15);
    QPainter p;
    beginPainter(p, img);
    p.setPen(QPen(on ? ink::light : QColor(104, 113, 130), 1.3));
    p.setBrush(QColor(18, 21, 26));
    p.drawEllipse(QRectF(1, 1, 13, 13));
    if (on) {
        p.setPen(Qt::NoPen);
        p.setBrush(ink::white);
        p.drawEllipse(QRectF(4, 4, 7, 7));
    }
    return img;
}

// A bar step: a segment with a gap on its right, so steps placed side by side read as a segmented bar.
QImage barStep(int w, int h, bool on) {
    QImage img = canvas(w, h);
    QPainter p;
    beginPainter(p, img);
    const QRectF seg(1, 2, w - 4, h - 4);
    if (on) {
        QRadialGradient glow(seg.center(), w * 0.7);
        glow.setColorAt(0, QColor(255, 255, 255, 70));
        glow.setColorAt(1, QColor(255, 255, 255, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawRect(QRectF(0, 0, w, h));
        QLinearGradient g(0, seg.top(), 0, seg.bottom());
        g.setColorAt(0, ink::white);
        g.setColorAt(1, QColor(188, 198, 212));
        p.setBrush(g);
    } else {
        p.setPen(QPen(QColor(66, 74, 88), 1));
        p.setBrush(QColor(40, 46, 56));
    }
    p.drawRoundedRect(seg, 2, 2);
    return img;
}

QImage colourFrame() {
    QImage img = canvas(18, 18);
    QPainter p;
    beginPainter(p, img);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(10, 12, 15), 1));
    p.drawRoundedRect(QRectF(0.5, 0.5, 17, 17), 4, 4);
    p.setPen(QPen(ink::light, 1.6));
    p.drawRoundedRect(QRectF(1.8, 1.8, 14.4, 14.4), 3, 3);
    return img;
}

QImage sliderThumb() {
    QImage img = canvas(25, 25);
    QPainter p;
    beginPainter(p, img);
    QRadialGradient shadow(QPointF(12.5, 13.5), 12);
    shadow.setColorAt(0.7, QColor(0, 0, 0, 110));
    shadow.setColorAt(1, QColor(0, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shadow);
    p.drawEllipse(QRectF(0, 1, 25, 24));
    QLinearGradient g(0, 4, 0, 21);
    g.setColorAt(0, ink::white);
    g.setColorAt(1, QColor(196, 204, 216));
    p.setBrush(g);
    p.drawEllipse(QRectF(4, 4, 17, 17));
    p.setBrush(QColor(34, 39, 47));
    p.drawEllipse(QRectF(10, 10, 5, 5));
    return img;
}

QImage sliderRuler() {
    QImage img = canvas(25, 25);
    QPainter p;
    beginPainter(p, img);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(58, 65, 78));
    p.drawRect(QRectF(0, 11, 25, 3));
    return img;
}

// Gun silhouettes, drawn from a few parts in a 100 x 36 box.
struct GunShape {
    qreal barrel;   // barrel length
    qreal stock;    // 0 none, 1 solid, 2 skeleton
    qreal magazine; // 0 none, 1 straight, 2 curved, 3 drum
    bool scope;
    qreal body; // receiver length
};

constexpr std::array<GunShape, 7> kGuns = {{
    {26, 1, 2, false, 40}, // 1: assault rifle, curved magazine
    {24, 2, 1, true, 38},  // 2: carbine with optic
    {14, 2, 1, false, 30}, // 3: sub-machine gun
    {30, 1, 3, false, 44}, // 4: light machine gun, drum
    {40, 1, 1, true, 40},  // 5: marksman rifle, long barrel and scope
    {30, 1, 0, false, 36}, // 6: shotgun
    {20, 2, 2, true, 42},  // 7: bullpup-like with optic
}};

QPainterPath gunPath(const GunShape& g) {
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    const qreal stockLen = g.stock > 0 ? 22 : 4;
    const qreal x0 = 100 - (stockLen + g.body + g.barrel);
    qreal x = x0 / 2 + 2;
    if (g.stock == 1) {
        QPolygonF stock({{x, 13}, {x + stockLen, 11}, {x + stockLen, 20}, {x + 3, 25}, {x, 25}});
        path.addPolygon(stock);
    } else if (g.stock == 2) {
        path.addRect(QRectF(x, 12, stockLen, 3));
        path.addRect(QRectF(x, 12, 3, 12));
        path.addRect(QRectF(x, 21, stockLen, 3));
    } else {
        path.addRect(QRectF(x + stockLen - 4, 12, 4, 8));
    }
    x += stockLen;
    path.addRoundedRect(QRectF(x, 10, g.body, 10), 2, 2);
    // Grip.
    path.addPolygon(QPolygonF({{x + 8, 19}, {x + 15, 19}, {x + 12, 30}, {x + 6, 30}}));
    // Magazine.
    const qreal mx = x + g.body * 0.55;
    if (g.magazine == 1) path.addRect(QRectF(mx, 19, 6, 11));
    if (g.magazine == 2) path.addPolygon(QPolygonF({{mx, 19}, {mx + 7, 19}, {mx + 11, 30}, {mx + 5, 32}}));
    if (g.magazine == 3) path.addEllipse(QRectF(mx - 2, 18, 13, 13));
    if (g.scope) {
        path.addRoundedRect(QRectF(x + g.body * 0.3, 4, g.body * 0.45, 5), 2, 2);
        path.addRect(QRectF(x + g.body * 0.45, 8, 3, 3));
    }
    x += g.body;
    path.addRect(QRectF(x, 12.5, g.barrel, 3.5));
    path.addRect(QRectF(x, 16, g.barrel * 0.6, 2));   // handguard underside
    path.addRect(QRectF(x + g.barrel - 2, 10, 2, 3)); // front sight
    return path;
}

QImage gunButton(int gun, bool chosen) {
    QImage img = canvas(120, 56);
    QPainter p;
    beginPainter(p, img);
    drawCard(p, QRectF(0, 0, 120, 56), 6, chosen ? QColor(46, 53, 65) : ink::card,
             chosen ? ink::light : QColor(52, 59, 72));
    if (chosen) {
        p.setPen(Qt::NoPen);
        p.setBrush(ink::white);
        p.drawRoundedRect(QRectF(10, 52, 100, 2), 1, 1);
    }
    // The silhouette takes the top of the button; the caption is centred under it.
    p.translate(33, 2);
    p.scale(0.54, 0.54);
    p.setPen(Qt::NoPen);
    p.setBrush(chosen ? QColor(236, 240, 246, 210) : QColor(120, 130, 148, 170));
    p.drawPath(gunPath(kGuns[static_cast<std::size_t>(gun - 1)]));
    return img;
}

// Stage badges of guns 6 and 7: a hexagon with one to three chevrons.
QImage stageBadge(int size, int chevrons) {
    QImage img = canvas(size, size);
    QPainter p;
    beginPainter(p, img);
    const QPointF c(size / 2.0, size / 2.0);
    const qreal r = size / 2.0 - 1.5;
    QPolygonF hex;
    for (int i = 0; i < 6; ++i) {
        const qreal a = qDegreesToRadians(60.0 * i - 90);
        hex << c + QPointF(r * qCos(a), r * qSin(a));
    }
    QLinearGradient g(0, 0, 0, size);
    g.setColorAt(0, QColor(52, 59, 72));
    g.setColorAt(1, QColor(28, 32, 39));
    p.setPen(QPen(QColor(150, 160, 176), 1.4));
    p.setBrush(g);
    p.drawPolygon(hex);
    p.setPen(QPen(ink::white, size / 14.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const qreal w = size * 0.26, h = size * 0.12, step = size * 0.15;
    const qreal top = c.y() - (chevrons - 1) * step / 2 - h / 2;
    for (int i = 0; i < chevrons; ++i) {
        const qreal y = top + i * step;
        p.drawPolyline(QPolygonF({{c.x() - w, y}, {c.x(), y + h}, {c.x() + w, y}}));
    }
    return img;
}

enum class Watermark { Clock, Key, Cross };

QImage insertBase(Watermark mark) {
    QImage img = canvas(207, 162);
    QPainter p;
    beginPainter(p, img);
    drawCard(p, QRectF(0, 0, 207, 162), 8, QColor(30, 34, 42), QColor(60, 68, 82));
    p.setPen(QPen(QColor(255, 255, 255, 22), 6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    const QPointF c(178, 96);
    switch (mark) {
    case Watermark::Clock:
        p.drawEllipse(c, 22, 22);
        p.drawLine(c, c + QPointF(0, -13));
        p.drawLine(c, c + QPointF(9, 5));
        break;
    case Watermark::Key:
        p.drawRoundedRect(QRectF(c.x() - 20, c.y() - 18, 40, 36), 7, 7);
        p.drawLine(c + QPointF(-8, 6), c + QPointF(8, 6));
        break;
    case Watermark::Cross:
        p.drawEllipse(c, 18, 18);
        p.drawLine(c + QPointF(-26, 0), c + QPointF(26, 0));
        p.drawLine(c + QPointF(0, -26), c + QPointF(0, 26));
        break;
    }
    return img;
}

// Background of the message box and the small dialogs, with corners cut by the colour key.
QImage messageBackground() {
    QImage img = canvas(530, 200, kColourKey);
    QPainter p(&img); // no antialiasing at the cut: every corner pixel is either key or dialog
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(50, 57, 70));
    p.drawRoundedRect(QRect(0, 0, 530, 200), 10, 10);
    p.setBrush(QColor(24, 27, 33));
    p.drawRoundedRect(QRect(1, 1, 528, 198), 9, 9);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient top(0, 0, 0, 46);
    top.setColorAt(0, QColor(36, 41, 50));
    top.setColorAt(1, QColor(24, 27, 33));
    p.setBrush(top);
    p.drawRect(QRectF(10, 1, 510, 45));
    p.setPen(QPen(QColor(255, 255, 255, 30), 1));
    p.drawLine(QPointF(14, 46.5), QPointF(516, 46.5));
    p.setPen(Qt::NoPen);
    p.setBrush(ink::light);
    p.drawRoundedRect(QRectF(14, 18, 3, 16), 1.5, 1.5);
    return img;
}

QImage updatePicture() {
    QImage img = canvas(540, 102);
    QPainter p;
    beginPainter(p, img);
    drawCard(p, QRectF(0, 0, 540, 102), 10, ink::card, QColor(52, 59, 72));
    // A chip with pins.
    const QRectF chip(28, 23, 56, 56);
    p.setPen(QPen(QColor(150, 160, 176), 2));
    for (int i = 0; i < 4; ++i) {
        const qreal o = 10 + i * 12;
        p.drawLine(QPointF(chip.left() + o, chip.top() - 8), QPointF(chip.left() + o, chip.top()));
        p.drawLine(QPointF(chip.left() + o, chip.bottom()), QPointF(chip.left() + o, chip.bottom() + 8));
        p.drawLine(QPointF(chip.left() - 8, chip.top() + o), QPointF(chip.left(), chip.top() + o));
        p.drawLine(QPointF(chip.right(), chip.top() + o), QPointF(chip.right() + 8, chip.top() + o));
    }
    p.setBrush(QColor(40, 46, 56));
    p.drawRoundedRect(chip, 6, 6);
    p.setPen(QPen(ink::white, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(56, 62), QPointF(56, 40));
    p.drawPolyline(QPolygonF({{47, 48}, {56, 39}, {65, 48}}));
    // A transfer track: dots rising in brightness toward the chip.
    for (int i = 0; i < 22; ++i) {
        const int a = 40 + i * 9;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(226, 231, 238, std::min(255, a)));
        p.drawEllipse(QPointF(510 - i * 18, 51), 2.5, 2.5);
    }
    return img;
}

} // namespace

void drawSharedPictures(PictureSet& out) {
    const std::array<State, 3> states = {State::Normal, State::Hover, State::Marked};
    for (int i = 0; i < 3; ++i) {
        const QString n = QStringLiteral("_0%1").arg(i + 1);
        out["SetS" + n] = setButton(states[i]);
        out["BtnS" + n] = pillButton(101, 30, states[i]);
        out["ExitS" + n] = glyphButton(Glyph::Exit, states[i]);
        out["MenuS" + n] = glyphButton(Glyph::Menu, states[i]);
        out["WebS" + n] = webButton(states[i]);
        out["MacroS" + n] = pillButton(90, 25, states[i]);
        out["MacroBtnS" + n] = pillButton(50, 25, states[i]);
    }
    out["MiniS_01"] = glyphButton(Glyph::Minimize, State::Normal);
    out["MiniS_02"] = glyphButton(Glyph::Minimize, State::Hover);
    out["KeyS_01"] = keyLabel(State::Normal);
    out["KeyS_02"] = keyLabel(State::Hover);
    out["CbS_D"] = checkBox(false);
    out["CbS_E"] = checkBox(true);
    out["RdS_D"] = radio(false);
    out["RdS_E"] = radio(true);
    out["Bar1_D"] = barStep(26, 18, false);
    out["Bar1_E"] = barStep(26, 18, true);
    out["Bar2_D"] = barStep(20, 16, false);
    out["Bar2_E"] = barStep(20, 16, true);
    out["Col_F"] = colourFrame();
    out["Slider_Thumb"] = sliderThumb();
    out["Slider_Ruler"] = sliderRuler();
    for (int g = 1; g <= 7; ++g) {
        out[QStringLiteral("Gun%1_01").arg(g)] = gunButton(g, false);
        out[QStringLiteral("Gun%1_02").arg(g)] = gunButton(g, true);
    }
    const std::array<std::pair<int, int>, 5> badges = {{{42, 1}, {52, 2}, {42, 1}, {52, 2}, {62, 3}}};
    for (int k = 0; k < 5; ++k)
        out[QStringLiteral("GunMode%1").arg(k + 1)] = stageBadge(badges[k].first, badges[k].second);
    out["InsertDelayBase"] = insertBase(Watermark::Clock);
    out["InsertKeyBase"] = insertBase(Watermark::Key);
    out["InsertXYBase"] = insertBase(Watermark::Cross);
    out["MSG"] = messageBackground();
    out["Update"] = updatePicture();
}

void drawBusyFrames(PictureSet& out) {
    // A ring of twelve dots with a bright head and a fading tail, turning one dot per frame.
    constexpr int kFrames = 12;
    for (int f = 0; f < kFrames; ++f) {
        QImage img = canvas(200, 192);
        QPainter p;
        beginPainter(p, img);
        const QPointF c(100, 96);
        p.setPen(QPen(QColor(255, 255, 255, 26), 3));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(c, 52, 52);
        for (int i = 0; i < 12; ++i) {
            const int age = (f - i + 12) % 12;
            const qreal a = qDegreesToRadians(i * 30.0 - 90);
            const QPointF at = c + QPointF(52 * qCos(a), 52 * qSin(a));
            const qreal r = age == 0 ? 9 : std::max(3.0, 8.0 - age * 0.6);
            const int alpha = std::max(36, 255 - age * 30);
            if (age == 0) {
                QRadialGradient glow(at, 22);
                glow.setColorAt(0, QColor(255, 255, 255, 90));
                glow.setColorAt(1, QColor(255, 255, 255, 0));
                p.setPen(Qt::NoPen);
                p.setBrush(glow);
                p.drawEllipse(at, 22, 22);
            }
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(240, 244, 250, alpha));
            p.drawEllipse(at, r, r);
        }
        out[QStringLiteral("WaitGif_%1").arg(f + 1, 2, 10, QLatin1Char('0'))] = img;
    }
}

} // namespace krm::pictures
