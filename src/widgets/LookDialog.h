#pragma once

#include "base/TextSource.h"
#include "shell/SkinLayout.h"

#include <QColor>
#include <QDialog>
#include <QString>

class QHBoxLayout;
class QLabel;
class QVBoxLayout;

namespace krm::gui {

class ImageButton;

// What a dialog in the window's look needs: the look's colours (its skin layout), the language's font
// and texts.
struct DialogLook {
    const SkinLayout* layout = nullptr;
    QString fontFamily;
    const TextSource* texts = nullptr;

    QString text(const char* id) const;
};

// A dialog in the window's look: borderless, on the look's panel colour inside a border of its
// highlight, its title on a band that drags it, a close button on the band (the "ExitS" pictures; Esc
// closes too), the look's boxes, lists and menus, and buttons drawn as the window's ("BtnS"). Its content
// goes into body(), its buttons into the row under it (right-aligned, in the order added). It opens
// centred over the main window, on that window's screen.
class LookDialog : public QDialog {
    Q_OBJECT
public:
    LookDialog(QWidget* mainWindow, const DialogLook& look, const QString& title);

    QVBoxLayout* body() const { return body_; }
    ImageButton* addButton(const char* objectName, const QString& caption);
    QLabel* title() const { return title_; }
    ImageButton* closeButton() const { return close_; }
    const DialogLook& look() const { return look_; }
    // The look's colours the dialog is drawn in.
    QColor panelColour() const { return panel_; }

protected:
    void paintEvent(QPaintEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    DialogLook look_;
    QWidget* mainWindow_;
    QColor panel_, border_;
    QLabel* title_;
    ImageButton* close_;
    QVBoxLayout* body_;
    QHBoxLayout* buttons_;
    bool dragging_ = false;
    QPoint dragOffset_;
};

} // namespace krm::gui
