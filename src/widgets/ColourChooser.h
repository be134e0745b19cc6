#pragma once

#include "shell/SkinLayout.h"

#include <QColor>
#include <QString>

#include <optional>

class QWidget;

namespace krm::gui {

// What the colour dialog says, in the active language.
struct ColourChooserTexts {
    QString title, ok, cancel;
};

// The colour dialog in the window's look: Qt's colour picker (its own widgets, never a desktop dialog)
// in a borderless frame of the look's panel colour with a border in its highlight, the look's text,
// boxes and menus, and OK and Cancel drawn as the window's buttons. Modal, centred on the window; Enter
// takes the colour, Esc keeps the old one. The colour chosen, or nothing.
std::optional<QColor> chooseColour(QWidget* mainWindow, const QColor& initial, const SkinLayout& layout,
                                   const QString& fontFamily, const ColourChooserTexts& texts);

} // namespace krm::gui
