#pragma once

#include "shell/SkinLayout.h"

#include <QColor>
#include <QFont>
#include <QString>

#include <vector>

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

// Sets the Tab order of `widgets` to their reading order where they are placed now: rows from the top
// (tops within a few pixels make one row), each row from the left.
void orderTabsByPosition(std::vector<QWidget*> widgets);

} // namespace krm::gui
