#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>

namespace krm::gui {

// An embedded picture as a QImage (null when it is missing or damaged; the reason goes to the log).
QImage resourceImage(const QString& name);

// An embedded picture as a pixmap, decoded once and kept for the rest of the run.
QPixmap resourcePixmap(const QString& name);

} // namespace krm::gui
