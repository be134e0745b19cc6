#pragma once

#include <QLabel>
#include <QPointer>

namespace krm::gui {

// A label that reports the pointer coming and going and a left click (press and release inside it).
// The base of every clickable skinned control: image buttons, key labels, mode-switch captions and
// their tick pictures, function menu items.
// For the keyboard it is a button: Tab reaches it (the keyboard focus counts as the pointer being on
// it), Enter and Space click it. Screen readers hear what it stands for (its Role, a button unless told
// otherwise) named by its accessible name, else its whole caption, else its tool tip, with its ticked or
// chosen state.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    // What the label is to a screen reader.
    enum class Role {
        Button,
        CheckBox, // ticked: checked
        Option,   // one of several (a radio button); chosen: checked
        PageTab,  // a page's button; the page shown: selected
        Heading,  // a caption over a group, not a control
    };

    explicit ClickLabel(QWidget* parent = nullptr);

    void setRole(Role role) { role_ = role; }
    Role role() const { return role_; }
    // The ticked, chosen or shown state. A check box or option shows it in its tick picture ("CbS_E" and
    // "CbS_D", "RdS_E" and "RdS_D"): its own, or that of the picture given to setTickPicture.
    void setChecked(bool checked);
    bool isChecked() const { return checked_; }
    // The picture beside this caption that shows its tick. It is part of this control: a click on it
    // does what a click on the caption does (the owner connects both), while the keyboard and a screen
    // reader reach the caption alone, not the picture as a second control.
    void setTickPicture(ClickLabel* picture);
    ClickLabel* tickPicture() const { return tick_.data(); }
    // The caption this picture belongs to (set by setTickPicture), or null.
    ClickLabel* tickOf() const { return tickOf_.data(); }

    // The pointer is on it or it has the keyboard focus.
    bool isHovered() const { return hover_ || focus_; }
    bool isDown() const { return down_; }

    // The label holds its caption in one place: whatever shows for a moment (a rolling caption) is put
    // back from it, and a new caption replaces it wherever it is shown.
    //
    // A caption that may be longer than the label: it shows cut at a whole character with "…", and the
    // whole caption is the label's tooltip while it does not fit.
    void setCaption(const QString& caption);
    // A caption drawn whole, as a plain label draws it. (Hides QLabel::setText: a label that takes the
    // focus would otherwise get a rich-text document per caption, most of a start-up's text work.)
    void setText(const QString& text);
    // The whole caption (for a label given its text as a plain QLabel, that text).
    QString caption() const { return elided_ || instead_ ? caption_ : text(); }
    // Shows other text for a while (the caption rolling under the pointer); the caption stays.
    void showInstead(const QString& text);
    // Shows the caption again.
    void showCaption();

signals:
    void clicked();
    void entered();
    void left();

protected:
    bool event(QEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void changeEvent(QEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;
    void focusInEvent(QFocusEvent*) override;
    void focusOutEvent(QFocusEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    // Switched off, a picture fades in its own colours: the style's own disabled picture is tinted by
    // the window's palette, whose colour is the window shape's colour key.
    void paintEvent(QPaintEvent*) override;

private:
    void setHovered(bool hover, bool focus);
    void display(const QString& text);

    void showTick();

    QString caption_;
    Role role_ = Role::Button;
    QPointer<ClickLabel> tick_;   // the picture showing this caption's tick
    QPointer<ClickLabel> tickOf_; // the caption whose tick this picture shows
    bool checked_ = false;
    bool elided_ = false;  // set by setCaption: the caption is cut to the label's width
    bool instead_ = false; // other text shows in the caption's place
    bool hover_ = false;
    bool focus_ = false;
    bool down_ = false;
};

} // namespace krm::gui
