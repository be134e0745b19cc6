#pragma once

#include <QBitmap>
#include <QImage>
#include <QPixmap>
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

// An embedded picture as a pixmap, decoded once and kept for the rest of the run. UI thread only.
QPixmap resourcePixmap(const QString& name);

// Starts decoding pictures on a worker thread, so that the first window's pictures are ready when the
// window asks for them (resourcePixmap waits for a picture still being decoded). Call it once, early.
void decodeAhead(const QStringList& names);
// Waits for the pictures decoded ahead. The program calls it before the toolkit goes away: the decoder
// uses the toolkit's image conversion.
void finishDecodingAhead();

// The picture with the colour key made transparent, as a window with that mask shows it.
QImage withoutColourKey(const QImage& image);

} // namespace krm::gui
