#include "widgets/EntryBox.h"

#include <QLineEdit>

namespace krm::gui {

void refill(QLineEdit* box, const QString& text) {
    if (box->text() == text) return;
    if (box->hasFocus() && box->isModified()) return;
    box->setText(text);
}

void correctTyping(QLineEdit* box, const QString& text) {
    if (box->text() == text) return;
    box->setText(text);
    box->setModified(true);
}

void committing(QLineEdit* box) {
    box->setModified(false);
}

} // namespace krm::gui
