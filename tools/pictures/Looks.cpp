// Pictures of one look: the window background and the five page pictures. Each look has its own accent
// colour; the key page shows the look's mouse with call-out lines to the key labels of its skin.
#include "Pictures.h"

#include "shell/Skin.h"

#include <QFile>
#include <QFont>
#include <QLinearGradient>
#include <QRadialGradient>

#include <vector>

namespace krm::pictures {

namespace {

// Geometry shared with tools/pictures/make_skins.py (window pixels).
constexpr int kSidebarRight = 150;
constexpr int kTitleBottom = 56;
const QRect kContent(158, 64, 860, 586);

// Three slanted bars: the emblem in the title bar and on the mouse.
void drawEmblem(QPainter& p, const QPointF& at, qreal scale, const QColor& colour) {
    p.save();
    p.translate(at);
    p.scale(scale, scale);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 3; ++i) {
        QColor c = colour;
        c.setAlpha(255 - i * 60);
        p.setBrush(c);
        const qreal x = i * 7.0;
        p.drawPolygon(QPolygonF({{x + 6, 0}, {x + 11, 0}, {x + 5, 20}, {x, 20}}));
    }
    p.restore();
}

QImage background(const Look& look) {
    QImage img = canvas(1030, 662, kColourKey);
    QPainter p(&img);
    // The window outline is cut hard, so each edge pixel is either the colour key or the window.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(44, 50, 61));
    p.drawRoundedRect(QRect(0, 0, 1030, 662), 14, 14);
    QLinearGradient body(0, 0, 0, 662);
    body.setColorAt(0, QColor(18, 21, 26));
    body.setColorAt(1, QColor(11, 13, 16));
    p.setBrush(body);
    p.drawRoundedRect(QRect(1, 1, 1028, 660), 13, 13);
    // Whatever is drawn below must not tint the cut-out corners: they stay exactly the colour key.
    const QImage outline = img.copy();

    p.setRenderHint(QPainter::Antialiasing);
    // Title bar.
    QLinearGradient title(0, 0, 0, kTitleBottom);
    title.setColorAt(0, QColor(28, 32, 39));
    title.setColorAt(1, QColor(20, 23, 28));
    p.setBrush(title);
    p.drawRect(QRectF(14, 1, 1002, kTitleBottom - 1));
    p.drawRect(QRectF(1, 14, 14, kTitleBottom - 14));
    p.drawRect(QRectF(1015, 14, 14, kTitleBottom - 14));
    p.setBrush(QColor(28, 32, 39));
    p.drawPie(QRectF(1, 1, 28, 28), 90 * 16, 90 * 16);
    p.drawPie(QRectF(1001, 1, 28, 28), 0, 90 * 16);
    p.setPen(QPen(QColor(44, 50, 61), 1));
    p.drawLine(QPointF(1, kTitleBottom + 0.5), QPointF(1029, kTitleBottom + 0.5));
    // Accent line under the title bar, fading to the right.
    QLinearGradient accentLine(0, 0, 620, 0);
    accentLine.setColorAt(0, look.accent);
    accentLine.setColorAt(1, withAlpha(look.accent, 0));
    p.setPen(QPen(QBrush(accentLine), 2));
    p.drawLine(QPointF(1, kTitleBottom + 1), QPointF(620, kTitleBottom + 1));
    drawEmblem(p, QPointF(22, 18), 1.0, look.accent);
    // A glow behind the emblem.
    QRadialGradient glow(QPointF(34, 28), 90);
    glow.setColorAt(0, withAlpha(look.accent, 38));
    glow.setColorAt(1, withAlpha(look.accent, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawRect(QRectF(1, 1, 200, kTitleBottom - 1));

    // Navigation column with separators between the groups of buttons.
    p.setBrush(QColor(15, 17, 21));
    p.drawRect(QRectF(1, kTitleBottom + 2, kSidebarRight, 662 - kTitleBottom - 16));
    p.drawRect(QRectF(14, 648, kSidebarRight - 13, 13));
    p.drawPie(QRectF(1, 634, 26, 26), 180 * 16, 90 * 16);
    p.setPen(QPen(QColor(36, 41, 50), 1));
    p.drawLine(QPointF(kSidebarRight + 1.5, kTitleBottom + 2), QPointF(kSidebarRight + 1.5, 661));
    for (qreal y : {190.5, 350.5, 454.5}) p.drawLine(QPointF(20, y), QPointF(131, y));

    // Content panel, with a faint accent glow in its top right corner.
    drawCard(p, kContent, 10, QColor(20, 23, 28), QColor(36, 41, 50));
    QRadialGradient corner(QPointF(kContent.right(), kContent.top()), 460);
    corner.setColorAt(0, withAlpha(look.accent, 24));
    corner.setColorAt(0.45, withAlpha(look.accent, 10));
    corner.setColorAt(1, withAlpha(look.accent, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(corner);
    p.drawPath(roundedRect(QRectF(kContent).adjusted(1, 1, -1, -1), 9));
    // A hairline between the page picture area and the band under it.
    QLinearGradient hair(kContent.left(), 0, kContent.right(), 0);
    hair.setColorAt(0, QColor(255, 255, 255, 0));
    hair.setColorAt(0.5, QColor(255, 255, 255, 22));
    hair.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(QPen(QBrush(hair), 1));
    p.drawLine(QPointF(kContent.left() + 12, 450.5), QPointF(kContent.right() - 12, 450.5));
    p.end();
    keepColourKey(img, outline);
    return img;
}

// A card of a page picture, with a short accent strip on its top edge.
void pageCard(QPainter& p, const QRectF& r, const Look& look) {
    drawCard(p, r, 8, ink::card, QColor(40, 46, 56));
    QLinearGradient strip(r.left(), 0, r.left() + 160, 0);
    strip.setColorAt(0, look.accent);
    strip.setColorAt(1, withAlpha(look.accent, 0));
    p.setPen(QPen(QBrush(strip), 2));
    p.drawLine(QPointF(r.left() + 8, r.top() + 1), QPointF(r.left() + 160, r.top() + 1));
}

void separator(QPainter& p, qreal x0, qreal x1, qreal y) {
    p.setPen(QPen(QColor(255, 255, 255, 16), 1));
    p.drawLine(QPointF(x0, y + 0.5), QPointF(x1, y + 0.5));
}

QImage pagePicture(int w, int h, const std::vector<QRectF>& cards, const Look& look) {
    QImage img = canvas(w, h);
    QPainter p;
    beginPainter(p, img);
    for (const QRectF& r : cards) pageCard(p, r, look);
    p.end();
    return img;
}

// --- The key page: a mouse seen from above, with call-outs to the key labels. ---

// Where each button slot sits on the drawn mouse (key page picture pixels).
QPointF anchorOfSlot(int slot) {
    switch (slot) {
    case 1:
        return {296, 92}; // left button
    case 2:
        return {244, 241}; // back (side)
    case 3:
        return {265, 131}; // fire button beside the left button
    case 4:
        return {384, 92}; // right button
    case 5:
        return {244, 199}; // forward (side)
    case 6:
        return {246, 291}; // lower side button
    case 7:
        return {340, 96}; // wheel
    case 8:
        return {340, 146}; // DPI button
    case 9:
        return {436, 213}; // right side button
    default:
        return {340, 260};
    }
}

QPainterPath mouseBody() {
    QPainterPath path;
    path.moveTo(340, 22);
    path.cubicTo(380, 20, 418, 50, 426, 110);
    path.cubicTo(432, 150, 440, 230, 432, 290);
    path.cubicTo(425, 345, 385, 368, 340, 368);
    path.cubicTo(295, 368, 255, 345, 248, 290);
    path.cubicTo(240, 230, 248, 150, 254, 110);
    path.cubicTo(262, 50, 300, 20, 340, 22);
    return path;
}

void drawButtonCap(QPainter& p, const QRectF& r, const Look& look) {
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, QColor(62, 70, 84));
    g.setColorAt(1, QColor(36, 41, 50));
    p.setPen(QPen(withAlpha(look.accent, 150), 1.2));
    p.setBrush(g);
    p.drawRoundedRect(r, std::min(r.width(), r.height()) / 2, std::min(r.width(), r.height()) / 2);
}

void drawMouse(QPainter& p, const Look& look, const std::vector<int>& buttons) {
    auto has = [&](int slot) { return std::find(buttons.begin(), buttons.end(), slot) != buttons.end(); };
    // Soft shadow.
    for (int i = 6; i >= 1; --i) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 18));
        p.drawEllipse(QRectF(262 - i * 5, 60 + i * 2, 156 + i * 10, 318 + i * 4));
    }
    // Accent glow behind the mouse.
    QRadialGradient halo(QPointF(340, 195), 185);
    halo.setColorAt(0, withAlpha(look.accent, 42));
    halo.setColorAt(0.6, withAlpha(look.accent, 14));
    halo.setColorAt(1, withAlpha(look.accent, 0));
    p.setBrush(halo);
    p.drawEllipse(QPointF(340, 195), 185, 185);

    // Side buttons sit under the shell and stick out of its outline.
    for (int slot : {5, 2, 6, 9}) {
        if (!has(slot)) continue;
        const QPointF a = anchorOfSlot(slot);
        const qreal h = slot == 6 ? 26 : 34;
        drawButtonCap(p, QRectF(a.x() - 6, a.y() - h / 2, 12, h), look);
    }

    const QPainterPath body = mouseBody();
    QLinearGradient shell(250, 20, 430, 370);
    shell.setColorAt(0, QColor(44, 50, 61));
    shell.setColorAt(0.55, QColor(26, 30, 37));
    shell.setColorAt(1, QColor(16, 18, 22));
    p.setPen(Qt::NoPen);
    p.setBrush(shell);
    p.drawPath(body);
    // Rim light: accent on the right, steel on the left.
    QLinearGradient rim(248, 0, 436, 0);
    rim.setColorAt(0, QColor(110, 120, 138, 170));
    rim.setColorAt(0.5, QColor(110, 120, 138, 40));
    rim.setColorAt(1, withAlpha(look.accent, 220));
    p.setPen(QPen(QBrush(rim), 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(body);

    // Button seams: between the two main buttons, and where the buttons meet the palm.
    p.setPen(QPen(QColor(8, 9, 11), 2.2));
    p.drawLine(QPointF(340, 24), QPointF(340, 164));
    QPainterPath palm;
    palm.moveTo(256, 160);
    palm.quadTo(340, 184, 424, 160);
    p.drawPath(palm);
    p.setPen(QPen(QColor(255, 255, 255, 24), 1));
    p.drawLine(QPointF(341.5, 26), QPointF(341.5, 164));

    // Wheel with ribs.
    const QRectF wheel(332, 62, 16, 56);
    p.setPen(QPen(QColor(6, 7, 9), 2));
    p.setBrush(QColor(12, 14, 17));
    p.drawRoundedRect(wheel.adjusted(-3, -3, 3, 3), 9, 9);
    QLinearGradient rubber(0, wheel.top(), 0, wheel.bottom());
    rubber.setColorAt(0, QColor(70, 78, 94));
    rubber.setColorAt(0.5, QColor(120, 130, 148));
    rubber.setColorAt(1, QColor(50, 56, 68));
    p.setPen(Qt::NoPen);
    p.setBrush(rubber);
    p.drawRoundedRect(wheel, 7, 7);
    p.setPen(QPen(QColor(20, 23, 28, 180), 1));
    for (qreal y = wheel.top() + 5; y < wheel.bottom() - 3; y += 5)
        p.drawLine(QPointF(334, y), QPointF(346, y));
    p.setPen(QPen(withAlpha(look.accent, 200), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(wheel.adjusted(-3, -3, 3, 3), 9, 9);

    // DPI button behind the wheel and the buttons on the shell.
    drawButtonCap(p, QRectF(333, 134, 14, 24), look);
    if (has(3)) drawButtonCap(p, QRectF(260, 116, 10, 30), look);

    // Emblem on the palm and the light strip at the back.
    QRadialGradient logoGlow(QPointF(340, 272), 40);
    logoGlow.setColorAt(0, withAlpha(look.accent, 90));
    logoGlow.setColorAt(1, withAlpha(look.accent, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(logoGlow);
    p.drawEllipse(QPointF(340, 272), 40, 40);
    drawEmblem(p, QPointF(325, 258), 1.3, look.accent);
    QPainterPath strip;
    strip.moveTo(286, 343);
    strip.quadTo(340, 366, 394, 343);
    p.setPen(QPen(withAlpha(look.accent, 70), 7, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(strip);
    p.setPen(QPen(look.accent.lighter(130), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(strip);
}

QImage keyPage(const Look& look, const QString& skinDirectory) {
    QImage img = canvas(680, 380);
    QPainter p;
    beginPainter(p, img);

    // The key labels of this look's skin, in picture pixels.
    SkinLayout layout;
    applySkin(readSkin(skinDirectory, look.number), look.number, {}, PictureSizes::listed(), layout);
    const Placement* page = layout.find("Img_P1");
    const QPoint origin = page ? QPoint(page->x, page->y) : QPoint(248, 68);
    std::vector<int> buttons;
    for (int slot = 1; slot <= 12; ++slot) {
        const Placement* label = layout.find("Key" + std::to_string(slot));
        if (label && label->visible) buttons.push_back(slot);
    }

    drawMouse(p, look, buttons);
    for (int slot : buttons) {
        const Placement* label = layout.find("Key" + std::to_string(slot));
        const QRectF r(label->x - origin.x(), label->y - origin.y(), label->width, label->height);
        const bool left = r.center().x() < 340;
        const QPointF edge(left ? r.right() + 3 : r.left() - 3, r.center().y());
        const QPointF elbow(left ? r.right() + 34 : r.left() - 34, r.center().y());
        const QPointF anchor = anchorOfSlot(slot);
        p.setPen(QPen(withAlpha(look.accent, 170), 1.3));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({edge, elbow, anchor}));
        p.setPen(Qt::NoPen);
        p.setBrush(withAlpha(look.accent, 70));
        p.drawEllipse(anchor, 7, 7);
        p.setBrush(look.accent.lighter(120));
        p.drawEllipse(anchor, 3.2, 3.2);
        p.drawEllipse(edge, 2, 2);
    }
    return img;
}

QImage gunPage(const Look& look) {
    QImage img = canvas(720, 650);
    QPainter p;
    beginPainter(p, img);
    // The gun page lies over the window: a raised panel with a shadowed edge.
    for (int i = 4; i >= 1; --i) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 30));
        p.drawRoundedRect(QRectF(4 - i, 4 - i, 712 + 2 * i, 642 + 2 * i), 14, 14);
    }
    drawCard(p, QRectF(4, 4, 712, 642), 12, QColor(22, 25, 31), QColor(52, 59, 72));
    QLinearGradient head(0, 4, 0, 190);
    head.setColorAt(0, withAlpha(look.accent, 34));
    head.setColorAt(1, withAlpha(look.accent, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(head);
    p.drawPath(roundedRect(QRectF(5, 5, 710, 185), 11));
    QLinearGradient strip(0, 0, 720, 0);
    strip.setColorAt(0, withAlpha(look.accent, 0));
    strip.setColorAt(0.5, look.accent);
    strip.setColorAt(1, withAlpha(look.accent, 0));
    p.setPen(QPen(QBrush(strip), 2));
    p.drawLine(QPointF(40, 5), QPointF(680, 5));
    // The stage table: header, three stage rows.
    const QRectF table(20, 196, 680, 290);
    pageCard(p, table, look);
    for (int row = 0; row < 3; ++row) {
        const qreal y = 234 + row * 80;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, row % 2 ? 6 : 10));
        p.drawRoundedRect(QRectF(28, y, 664, 66), 6, 6);
    }
    separator(p, 28, 692, 228);
    return img;
}

} // namespace

IniFile readSkin(const QString& skinDirectory, int look) {
    QFile file(skinDirectory + QStringLiteral("/org%1.ini").arg(look));
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("cannot read %s", qPrintable(file.fileName()));
        return {};
    }
    const QByteArray text = file.readAll();
    return IniFile::parse(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
}

void drawLookPictures(int number, const QString& skinDirectory, PictureSet& out) {
    const Look& l = look(number);
    const QString prefix = QStringLiteral("L%1_").arg(number);
    out[prefix + "BackGround"] = background(l);
    out[prefix + "Back1"] = keyPage(l, skinDirectory);

    // Performance: DPI levels on the left, report rate and pointer settings on the right.
    QImage performance = pagePicture(850, 374, {QRectF(12, 8, 500, 358), QRectF(524, 8, 314, 358)}, l);
    {
        QPainter p;
        beginPainter(p, performance);
        separator(p, 24, 500, 62);  // under the column titles
        separator(p, 24, 500, 300); // above the sniper row
        separator(p, 536, 826, 72); // under the report rate
    }
    out[prefix + "Back2"] = performance;
    // Lighting: modes and brightness on the left, speed and colours on the right.
    QImage lighting = pagePicture(
        850, 374, {QRectF(12, 8, 300, 358), QRectF(324, 8, 514, 112), QRectF(324, 130, 514, 236)}, l);
    {
        QPainter p;
        beginPainter(p, lighting);
        separator(p, 24, 300, 272);
        // The numbers under the colour table's swatches are the page's own labels: they go with the
        // swatches where a LED type has no colour table.
    }
    out[prefix + "Back3"] = lighting;
    // Macros: PC macros, the macro's content and the macros stored in the mouse.
    out[prefix + "Back4"] = pagePicture(
        850, 374, {QRectF(12, 8, 270, 358), QRectF(294, 8, 280, 358), QRectF(586, 8, 252, 358)}, l);
    out[prefix + "Back5"] = gunPage(l);
}

} // namespace krm::pictures
