#pragma once

#include "buttons/EditRequest.h"
#include "shell/SkinLayout.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <array>
#include <string>
#include <vector>

class QLabel;
class QWidget;

namespace krm {
class Session;
class UiPort;
enum class Page;
} // namespace krm

namespace krm::gui {

class ClickLabel;
class FunctionMenu;
class KeyComboDialogView;

// The key page's views: the labels Key1..Key12 with their highlight pictures, the mode-switch
// toggles IB_ComboKey1..8, the cascading function menu and the key-combination dialog. Everything the
// user does goes to the session's assignment editor; the view applies the outcome through the session,
// shows its message, runs its follow-up and repaints.
class KeyPageView : public QObject {
    Q_OBJECT
public:
    // `page1` is the key page container (window-sized, its children placed in window coordinates);
    // the menu panels and the dialog's cover are children of `window`.
    KeyPageView(QWidget* page1, QWidget* window, Session& session, SkinLayout& layout, UiPort& ui);
    ~KeyPageView() override;

    // After every skin and language pass: positions, fonts, colours, captions of the toggles and of
    // the menu items, menu widths; then the captions from the editor.
    void applySkin(const QString& fontFamily);
    // Captions of Key1..Key12 from the editor (current profile) and the toggles' ticks.
    void refresh();
    // The page shown: how much of the menu it offers, and whether the gun toggle shows.
    void setPageMenuSizes(Page page);
    // HideAllMenu.
    void hideAllMenus();

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
    void labelEntered(QLabel* label);
    void labelLeft(QLabel* label);
    // "Fire Macro" on the main page: show the gun page with gun 1 selected.
    void gunPageRequested();
    // A toggle changed cb_ChangeFireFun or cb_ChangeLEDModeFun: the option's own editor applies it.
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

    QWidget* page1_;
    QWidget* window_;
    Session& session_;
    SkinLayout& layout_;
    UiPort& ui_;
    QString fontFamily_;
    Page page_;

    std::array<ClickLabel*, 12> keys_{};
    std::array<QLabel*, 12> keyPictures_{};
    std::array<ClickLabel*, 8> toggles_{};
    std::array<ClickLabel*, 8> togglePictures_{};
    FunctionMenu* menu_ = nullptr;
    QWidget* cover_ = nullptr;
    QPointer<KeyComboDialogView> dialog_;
};

} // namespace krm::gui
