#pragma once

#include "widgets/ClickLabel.h"

#include <QMenu>
#include <QPointer>

#include <functional>
#include <string>
#include <vector>

namespace krm::gui {

class MainWindow;

// The title bar's chooser of the mouse the window shows, there while more than one is attached:
// "Mouse 1 of 2", in the look's colours and the chosen language, opening a menu of the mice (by number
// and id, the shown one ticked). Keyboard and screen readers reach it as a button.
class MouseChooser : public ClickLabel {
    Q_OBJECT
public:
    struct Mouse {
        std::string id;
        std::string node;
        bool shown = false; // the window's
    };

    explicit MouseChooser(MainWindow& window);

    // The attached mice; hidden with fewer than two.
    void setMice(std::vector<Mouse> mice);
    // Look and language again (after the window's skin pass).
    void restyle();
    // What a choice does: the window shows mouse `id`.
    std::function<void(const std::string& id)> chosen;
    QMenu* menu() const { return menu_; }

    // Where it sits, left of the language buttons (logical pixels of the window).
    static constexpr int kLeft = 80, kTop = 16, kWidth = 200, kHeight = 26;

private:
    void openMenu();
    QString text(const char* id, const QString& a, const QString& b = {}) const;

    MainWindow& window_;
    std::vector<Mouse> mice_;
    QPointer<QMenu> menu_;
};

} // namespace krm::gui
