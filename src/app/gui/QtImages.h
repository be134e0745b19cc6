#pragma once

#include <QImage>
#include <QPixmap>
#include <QRgb>
#include <QString>

namespace krm::gui {

// The colour key of the skinned windows (clMaroon): pixels of this colour are not part of the window.
inline constexpr QRgb kColourKey = 0xFF800000;

// An embedded picture as a QImage (null when it is missing or damaged; the reason goes to the log).
QImage resourceImage(const QString& name);

// An embedded picture as a pixmap, decoded once and kept for the rest of the run.
QPixmap resourcePixmap(const QString& name);

// The picture with the colour key made transparent, as a window with that mask shows it.
QImage withoutColourKey(const QImage& image);

} // namespace krm::gui
