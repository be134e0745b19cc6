#pragma once

#include <QString>

class QLineEdit;

namespace krm::gui {

// Entry boxes filled from an editor's values.
//
// A repaint puts the editor's value into a box, except into the box the user is typing in: while a box
// has the keyboard focus, the text the user changed since it was last filled stays as it is (with its
// caret and selection) until that box is committed. The same text is not set again either: that would
// drop the selection a Tab into the box made, and the next key would be added to the old value.
void refill(QLineEdit* box, const QString& text);

// Rewrites the text of a box the user is typing in (a value clamped while typing) and keeps it counted
// as the user's: a repaint in the meantime leaves it alone.
void correctTyping(QLineEdit* box, const QString& text);

// The box's own value is being committed: the repaint that follows shows it as the editor stored it.
void committing(QLineEdit* box);

} // namespace krm::gui
