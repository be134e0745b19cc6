#pragma once

#include <QBitmap>
#include <QImage>
#include <QPixmap>
#include <QRegion>
#include <QRgb>
#include <QString>
#include <QStringList>

namespace krm::gui {

// The colour key of the skinned windows (clMaroon): pixels of this colour are not part of the window.
inline constexpr QRgb kColourKey = 0xFF800000;

// The shape of a colour-keyed window: every pixel of `picture` except those in kColourKey.
QBitmap colourKeyMask(const QImage& picture);

// An embedded picture as a QImage (null when it is missing or damaged; the reason goes to the log).
// Safe to call from any thread.
QImage resourceImage(const QString& name);

// An embedded picture as a pixmap for drawing, decoded once and kept for the rest of the run; its
// colour-key pixels carry the colour of the window beside them (see fillColourKey), so a window's shape
// comes from resourceMask. When a screen of the program is above 100 % and the picture was also drawn at
// twice the pixels ("Name@2x"), the pixmap is that one with device pixel ratio 2: its
// deviceIndependentSize() is the 1x picture's size, its size() twice that. UI thread only.
QPixmap resourcePixmap(const QString& name);
// The same picture decoded now and not kept (at 2x under the same rule), for pictures shown briefly.
QPixmap transientPixmap(const QString& name);
// The shape of a window whose picture is that embedded picture (colourKeyMask, always from the 1x picture:
// a widget's mask is in logical pixels), kept for the rest of the run. Asked before resourcePixmap, one
// decoding serves both. UI thread only.
QBitmap resourceMask(const QString& name);

// Starts decoding pictures on a worker thread, so that the first window's pictures are ready when the
// window asks for them (resourcePixmap waits for a picture still being decoded). Call it once, early.
void decodeAhead(const QStringList& names);
// Waits for the pictures decoded ahead. The program calls it before the toolkit goes away: the decoder
// uses the toolkit's image conversion.
void finishDecodingAhead();

// The picture with every colour-key pixel in the colour of a window pixel next to it. The window's mask
// cuts those pixels away; on a high-density screen the picture is drawn scaled and its edge pixels are
// blended with their neighbours, which are then the window's own colour instead of the key's.
QImage fillColourKey(QImage picture);

// A window's picture as its mask shows it: what the mask cuts away is transparent.
QImage cutToMask(const QImage& picture, const QRegion& mask);

} // namespace krm::gui
