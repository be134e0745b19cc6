#pragma once

#include "shell/SkinLayout.h"

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QString>

#include <vector>

class QWidget;

namespace krm::gui {

// How much of a switched-off control shows (its pictures and texts fade toward what lies behind).
inline constexpr double kFadedOpacity = 0.4;

// A colour swatch under its rounded "Col_F" frame: the palette's window colour drawn in the frame's
// rounded square, so that no corner shows outside the frame.
class Swatch : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent*) override;
};

// Skin colours (R + 256·G + 65536·B) as Qt colours.
QColor toQColor(SkinColour colour);

// The font of skinned texts: the language's family at the skin's size (points, as the skin gives them).
QFont skinFont(const QString& family, int pointSize, bool bold = false);

// Puts a widget where its placement says: position and size (relative to its parent widget, which for
// controls inside a box is that box), and, for controls with text, font size and colour (faded while the
// control is switched off). Visibility is left to the caller, which combines the skin's verdict
// (placement.visible) with the editor's state.
void applyPlacement(QWidget* widget, const Placement& placement, const QString& fontFamily);

// The skin regions whose entry boxes a page styles: the performance page (D), the macro page (F) and the
// gun page with its recorder (J).
enum class EntryRegion { Performance, Macro, Gun };

// The style sheet of a region's entry boxes (line edits, drop-down lists and their pop-ups, spin boxes,
// item lists): the region's text colour on its box colour inside its border, the region's highlight for
// a selection. Set on a page's container of boxes, it gives every look readable boxes.
QString entryBoxStyle(const SkinLayout& layout, EntryRegion region);

// The style sheet of the look's menus and pop-up lists: the menu colours of the skin (Color_G_*), the
// chosen entry in the look's highlight.
QString menuStyle(const SkinLayout& layout);

// The style sheet of a dialog in the look: its panel colour with the look's text, buttons, boxes and
// menus as the window draws them.
QString dialogStyle(const SkinLayout& layout);

// Sets the Tab order of `widgets` to their reading order where they are placed now: rows from the top
// (tops within a few pixels make one row), each row from the left.
void orderTabsByPosition(std::vector<QWidget*> widgets);

} // namespace krm::gui
