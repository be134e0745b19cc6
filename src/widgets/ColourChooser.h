#pragma once

#include "base/TextSource.h"
#include "shell/SkinLayout.h"

#include <QColor>
#include <QString>

#include <optional>

class QWidget;

namespace krm::gui {

// The colour chooser in the window's look and language: the basic colours, a field of hue and
// saturation (the pointer or the arrow keys), red, green and blue boxes, the colour code (#rrggbb) and the
// chosen colour, with OK and Cancel drawn as the window's buttons, in a dialog of the look (LookDialog)
// titled by language id `titleId`. Modal, centred on the window; Enter takes the colour, Esc keeps the
// old one. The colour chosen, or nothing.
std::optional<QColor> chooseColour(QWidget* mainWindow, const QColor& initial, const SkinLayout& layout,
                                   const QString& fontFamily, const TextSource* texts, const char* titleId);

} // namespace krm::gui
