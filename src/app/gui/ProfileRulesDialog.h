#pragma once

#include "companion/ProfileRules.h"
#include "widgets/LookDialog.h"

#include <QPointer>

#include <functional>
#include <optional>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QTableWidget;

namespace krm::gui {

class ImageButton;

// The per-game rules as a small dialog in the window's look and language: the default profile, one row
// per rule (program and profile), a rule added for the program that last had the focus or for a running
// program, a name or a pattern typed, and the selected rule removed. Every change is written to the
// rules file at once (atomically), with the lines the dialog does not show kept as they were.
class ProfileRulesDialog : public LookDialog {
    Q_OBJECT
public:
    struct Programs {
        // The program that had the focus before this dialog (none when the desktop does not say).
        std::function<std::optional<ProgramInfo>()> focused;
        std::function<std::vector<ProgramInfo>()> running;
    };

    ProfileRulesDialog(RulesFile& file, const DialogLook& look, Programs programs, QWidget* parent = nullptr);

    // What the controls do.
    void addRule(const QString& pattern, int profile = 2);
    void addFocusedProgram();
    // Asks for a program: the running ones are offered, any file name or path pattern may be typed.
    void chooseProgram();
    void removeSelected();
    void setRuleProfile(int row, int profile);
    void setDefaultProfile(int profile);
    // The rows again from the file (it may have been edited meanwhile).
    void reload();

    QTableWidget* table() const { return table_; }
    QComboBox* defaultBox() const { return defaultBox_; }
    QLineEdit* pathBox() const { return path_; }
    QMenu* addMenu() const { return addMenu_; }
    ImageButton* removeButton() const { return remove_; }
    QLabel* problems() const { return problems_; }
    // The prompt of chooseProgram while it is open.
    LookDialog* prompt() const { return prompt_; }

signals:
    // The rules file was written.
    void rulesChanged();

protected:
    void showEvent(QShowEvent* e) override;

private:
    bool save(ProfileRules rules);
    QComboBox* profileBox(int profile);
    void warn(const QString& text);

    RulesFile& file_;
    Programs programs_;
    QComboBox* defaultBox_ = nullptr;
    QLineEdit* path_ = nullptr;
    QTableWidget* table_ = nullptr;
    QMenu* addMenu_ = nullptr;
    ImageButton* remove_ = nullptr;
    QLabel* problems_ = nullptr;
    QPointer<LookDialog> prompt_;
    bool filling_ = false;
};

} // namespace krm::gui
