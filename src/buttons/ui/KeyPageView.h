#pragma once

#include "buttons/AssignmentEditor.h"
#include "buttons/EditorState.h"
#include "session/EditRequest.h"
#include "shell/SkinLayout.h"
#include "widgets/PageView.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <array>
#include <string>
#include <vector>

class QLabel;
class QWidget;

namespace krm::gui {

// Key 4's menu open three levels deep: Special Key, then CPI Key (for screenshots).
inline const std::vector<int> kThreeLevelMenuPath{2, 7};

class ClickLabel;
class FunctionMenu;
class KeyComboDialogView;

// The key page: the labels Key1..Key12 with their highlight pictures, the mode-switch toggles
// IB_ComboKey1..8, the cascading function menu and the key-combination dialog. Everything the user does
// goes to the assignment editor; the view hands the outcome to the edit sink, shows its message, runs
// its follow-up and repaints.
class KeyPageView : public QObject, public PageView {
    Q_OBJECT
public:
    // The menu panels and the dialog's cover are children of the context's window. `shared` is the
    // editor state that naming reads (the device macros and the gun-key list of the menu).
    KeyPageView(const PageContext& context, AssignmentEditor& editor, const EditorState& shared);
    ~KeyPageView() override;

    // Positions, fonts and colours of the labels, toggles and menu; menu widths.
    void applySkin(const PageSkin& skin) override;
    // Captions of the toggles and the menu items, then the labels from the editor.
    void setTexts(const TextSource& texts) override;
    // Captions of Key1..Key12 from the editor (current profile) and the toggles' ticks.
    void refresh() override;
    // The page shown for a profile (or the engineering page): how much of the menu it offers, and
    // whether the gun toggle shows.
    void shown(Page page) override;
    void hideMenus() override;

    // Opens the menu as a click on Key<button> does, then hovers the items given by their tags
    // (branch tags such as 2 for "Special Key", menu tags, kUserDefinedItem, macro slots), each in the
    // panel the previous one opened. For screenshots and tests.
    void openMenuPath(int button, const std::vector<int>& tagsOrBranches);
    // Opens the key-combination dialog for the remembered target (covering the window on profile 1)
    // and returns it. For screenshots and tests; the menu's "User-defined" asks the editor first.
    QWidget* openKeyComboDialog();

    ClickLabel* keyLabel(int button) const;
    QLabel* keyPicture(int button) const;
    ClickLabel* toggleLabel(int n) const;
    ClickLabel* togglePicture(int n) const;
    FunctionMenu& menu() const { return *menu_; }
    KeyComboDialogView* keyComboDialog() const;
    QWidget* cover() const { return cover_; }

signals:
    // A toggle changed gameModeTrigger or ledModeCombination: the option's own editor applies it.
    void modeOptionChanged(krm::Followup followup);

private:
    void build();
    void keyEntered(int button);
    void keyLeft(int button);
    void keyClicked(int button);
    void toggleClicked(int n);
    void placeAndShow(QWidget* widget, const std::string& name, bool shown);
    bool gunToggleShown() const;
    void updateMacroLists();

    void chooseFunction(int tag);
    void chooseUserDefined();
    void chooseDeviceMacro(int slot);
    void chooseGunKeyEntry(int n);
    void dialogConfirmed(const QString& code, const QString& caption);
    // Applies an editor's outcome: the writes, the message of a refusal, the follow-up, the repaint.
    void finish(const EditOutcome& outcome);
    void showDialog(bool coverWindow);
    void setCovered(bool covered);

    PageContext context_;
    AssignmentEditor& editor_;
    const EditorState& shared_;
    const SkinLayout* layout_ = nullptr;
    QString fontFamily_;
    int language_ = 1;
    Page page_ = Page::Profile1;

    std::array<ClickLabel*, 12> keys_{};
    std::array<QLabel*, 12> keyPictures_{};
    std::array<ClickLabel*, 8> toggles_{};
    std::array<ClickLabel*, 8> togglePictures_{};
    FunctionMenu* menu_ = nullptr;
    QWidget* cover_ = nullptr;
    QPointer<KeyComboDialogView> dialog_;
};

} // namespace krm::gui
