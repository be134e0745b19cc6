#pragma once

#include "shell/SkinLayout.h"

#include <QColor>
#include <QFont>
#include <QString>

class QWidget;

namespace krm::gui {

// Skin colours (R + 256·G + 65536·B) as Qt colours.
QColor toQColor(SkinColour colour);

// The font of skinned texts: the language's family at the skin's size (points, as the skin gives them).
QFont skinFont(const QString& family, int pointSize, bool bold = false);

// Puts a widget where its placement says: position and size (relative to its parent widget, which for
// controls inside a box is that box), and, for controls with text, font size and colour. Visibility is
// left to the caller, which combines the skin's verdict (placement.visible) with the editor's state.
void applyPlacement(QWidget* widget, const Placement& placement, const QString& fontFamily);

} // namespace krm::gui
