#pragma once

#include "base/TextSource.h"
#include "shell/SkinLayout.h"

#include <QColor>
#include <QString>

#include <optional>

class QWidget;

namespace krm::gui {

// The colour dialog in the window's look: Qt's colour picker (its own widgets, never a desktop dialog)
// in a borderless frame of the look's panel colour with a border in its highlight, the look's text,
// boxes and menus, its title (language id `titleId`) and OK and Cancel drawn as the window's buttons,
// in the active language. Modal, centred on the window; Enter takes the colour, Esc keeps the old one.
// The colour chosen, or nothing.
std::optional<QColor> chooseColour(QWidget* mainWindow, const QColor& initial, const SkinLayout& layout,
                                   const QString& fontFamily, const TextSource* texts, const char* titleId);

} // namespace krm::gui
