#pragma once

#include <QAbstractButton>
#include <QString>

namespace krm::gui {

// A check box or option drawn with the skin's pictures ("CbS_D" off and "CbS_E" on for a check box,
// "RdS_D" and "RdS_E" for one option of several) and its caption beside it in the palette's text
// colour; the focus underlines the caption. Tab reaches it, Space or Enter ticks it. Options of one
// parent exclude each other (setAutoExclusive).
class PictureCheckBox : public QAbstractButton {
    Q_OBJECT
public:
    enum class Kind { CheckBox, Option };
    explicit PictureCheckBox(QWidget* parent = nullptr, Kind kind = Kind::CheckBox);

protected:
    void paintEvent(QPaintEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    QSize sizeHint() const override;

private:
    QString picture(bool on) const;
    Kind kind_;
};

} // namespace krm::gui
