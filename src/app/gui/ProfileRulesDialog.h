#pragma once

#include "base/TextSource.h"
#include "companion/ProfileRules.h"

#include <QDialog>

#include <functional>
#include <optional>
#include <vector>

class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QTableWidget;

namespace krm::gui {

// The per-game rules as a small dialog: the default profile, one row per rule (program and profile),
// a rule added for the program that last had the focus, a running program or a typed name or pattern,
// and the selected rule removed. Every change is written to the rules file at once (atomically), with
// the lines the dialog does not show kept as they were.
class ProfileRulesDialog : public QDialog {
    Q_OBJECT
public:
    struct Programs {
        // The program that had the focus before this dialog (none when the desktop does not say).
        std::function<std::optional<ProgramInfo>()> focused;
        std::function<std::vector<ProgramInfo>()> running;
    };

    ProfileRulesDialog(RulesFile& file, const TextSource& texts, Programs programs,
                       QWidget* parent = nullptr);

    // What the controls do.
    void addRule(const QString& pattern, int profile = 2);
    void addFocusedProgram();
    void removeSelected();
    void setRuleProfile(int row, int profile);
    void setDefaultProfile(int profile);
    // The rows again from the file (it may have been edited meanwhile).
    void reload();

    QTableWidget* table() const { return table_; }
    QComboBox* defaultBox() const { return defaultBox_; }
    QMenu* addMenu() const { return addMenu_; }
    QPushButton* removeButton() const { return remove_; }
    QLabel* problems() const { return problems_; }

signals:
    // The rules file was written.
    void rulesChanged();

protected:
    void showEvent(QShowEvent* e) override;

private:
    bool save(ProfileRules rules);
    QComboBox* profileBox(int profile);
    void chooseRunningProgram();
    void typePattern();

    RulesFile& file_;
    const TextSource& texts_;
    Programs programs_;
    QComboBox* defaultBox_ = nullptr;
    QTableWidget* table_ = nullptr;
    QMenu* addMenu_ = nullptr;
    QPushButton* remove_ = nullptr;
    QLabel* problems_ = nullptr;
    bool filling_ = false;
};

} // namespace krm::gui
