#pragma once

#include "fire/FireEditor.h"
#include "session/EditRequest.h"
#include "widgets/TabPanel.h"

#include <QObject>

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace krm::gui {

// The fire parts of the engineering page, each a group box of fixed size built from the same
// PageContext the pages get and placed on its tab by the engineering page.

// The operator tab's fire group (gbFireMode): the three fire-key slots (count 1..16, interval
// 0..4094 ms, continue) and the game-mode trigger (cb_ChangeFireFun) with the gun-key switch
// (cb_IsGunFireMode). Every change is written at once.
class FireModePanel : public QObject, public TabPanel {
    Q_OBJECT
public:
    static constexpr int kWidth = 470, kHeight = 190;
    FireModePanel(const PageContext& context, FireEditor& fire);

    QGroupBox* box() const { return box_; }
    QWidget* widget() override;
    void setTexts(const TextSource& texts) override;
    void refresh() override;

    QComboBox* count(int k) const { return counts_.at(static_cast<std::size_t>(k - 1)); }
    QLineEdit* time(int k) const { return times_.at(static_cast<std::size_t>(k - 1)); }
    QCheckBox* continueBox(int k) const { return continues_.at(static_cast<std::size_t>(k - 1)); }
    QComboBox* trigger() const { return trigger_; }
    QCheckBox* gunMode() const { return gunMode_; }

private:
    void commit(int k);
    void finish(const EditOutcome& outcome);

    PageContext context_;
    FireEditor& fire_;
    QGroupBox* box_ = nullptr;
    std::array<QLabel*, 3> slotLabels_{};
    std::array<QLabel*, 3> headers_{};
    std::array<QComboBox*, 3> counts_{};
    std::array<QLineEdit*, 3> times_{};
    std::array<QCheckBox*, 3> continues_{};
    QLabel* triggerLabel_ = nullptr;
    QComboBox* trigger_ = nullptr;
    QCheckBox* gunMode_ = nullptr;
    bool filling_ = false;
};

// The gun tab's fire-macro part: the X/Y offsets of the ten fire macros (gbXYOffset, written at once
// to 0xAB.. and 0xB5..), the combo masks of the trigger functions and the gun keys (cb_MidCom ..
// cb_GunCom), the profile-switch options (gbProfileSwitch: cb_RTZ, cb_AXY, cb_CC and edt_OffSet,
// which takes its value when it is left or Enter is pressed), and the gun-key list (gbSOS: "Fire
// Macro1".."Fire Macro10" with its file).
class FireGunTuningPanel : public QObject, public TabPanel {
    Q_OBJECT
public:
    static constexpr int kWidth = 700, kHeight = 300;
    FireGunTuningPanel(const PageContext& context, FireEditor& fire);

    QGroupBox* box() const { return box_; }
    QWidget* widget() override;
    void setTexts(const TextSource& texts) override;
    void refresh() override;

    QLineEdit* offset(int n, bool y) const {
        return (y ? yOffsets_ : xOffsets_).at(static_cast<std::size_t>(n - 1));
    }
    QComboBox* comboMask(ComboGroup g) const { return masks_.at(static_cast<std::size_t>(g)); }
    QListWidget* gunKeyList() const { return list_; }
    QComboBox* keepLeft() const { return keepLeft_; }
    QComboBox* startIndex() const { return start_; }
    QComboBox* number() const { return number_; }
    QPushButton* addButton() const { return add_; }
    QPushButton* deleteButton() const { return delete_; }
    QComboBox* switchOption(int i /*0 cb_RTZ, 1 cb_AXY, 2 cb_CC*/) const {
        return switchFlags_.at(static_cast<std::size_t>(i));
    }
    QLineEdit* switchOffset() const { return switchOffset_; }

private:
    void offsetEdited(int n, bool y, QLineEdit* edit);
    void finish(const EditOutcome& outcome);
    void gunKeyChanged(bool ok, const std::string& message);
    void switchOptionsChanged();

    PageContext context_;
    FireEditor& fire_;
    QGroupBox* box_ = nullptr;
    QGroupBox* offsetsBox_ = nullptr;
    QGroupBox* listBox_ = nullptr;
    std::array<QLineEdit*, 10> xOffsets_{}, yOffsets_{};
    std::array<QComboBox*, kComboGroupCount> masks_{};
    std::array<QLabel*, kComboGroupCount> maskLabels_{};
    QListWidget* list_ = nullptr;
    QComboBox* keepLeft_ = nullptr;
    QComboBox* start_ = nullptr;
    QComboBox* number_ = nullptr;
    std::array<QLabel*, 3> listLabels_{};
    QPushButton* add_ = nullptr;
    QPushButton* delete_ = nullptr;
    QGroupBox* switchBox_ = nullptr;
    std::array<QLabel*, 4> switchLabels_{};
    std::array<QComboBox*, 3> switchFlags_{};
    QLineEdit* switchOffset_ = nullptr;
    bool filling_ = false;
};

} // namespace krm::gui
