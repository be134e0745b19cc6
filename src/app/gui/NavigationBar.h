#pragma once

#include "session/Session.h"
#include "shell/SkinLayout.h"

#include <QObject>
#include <QString>
#include <QVector>

#include <optional>

class QLabel;
class QWidget;

namespace krm::gui {

class ImageButton;

// The buttons every user page carries: profiles and pages, save and load, the three languages, the
// three restore buttons, exit, minimise, the window's menu and the vendor web button. The skin places the
// five copies of each identically, so the window shows one set above pages 1 to 5; the menu button, which
// no skin knows, stands left of minimise as far from it as minimise is from exit.
class NavigationBar : public QObject {
    Q_OBJECT
public:
    enum class Kind { Page, Setting, Language, Confirm, Exit, Minimize, Menu, Web };
    struct Entry {
        const char* role;   // "Main": picture Img_Main_n, label Btn_Main_n
        const char* textId; // caption, or nullptr
        Kind kind;
        int value; // page number (Page), language (Language), restore number (Confirm)
        const char* fixedCaption = nullptr; // a caption no language table holds
        ImageButton* button = nullptr;
    };

    explicit NavigationBar(QWidget* window);

    // The first pictures: the profile-1 and language-1 buttons marked, everything else normal.
    void loadFirstPictures();
    // Places, shows or hides and captions every button from the skin pass and the active texts.
    void applySkin(const SkinLayout& layout, const Branding& branding, const TextSource& texts,
                   const QString& fontFamily);
    // "SetS_03" on the current page's button, "SetS_01" on the other page and setting buttons.
    void markPage(std::optional<Page> page);
    void markLanguage(int language);

    // The engineering page's button shows where the skin places it even when the skin hides it
    // (krmconfig --engineering).
    void setEngineeringShown(bool shown) { engineeringShown_ = shown; }
    void setVisible(bool visible);
    void raise();
    // The title bar's buttons (exit, minimise, menu) where the skin puts them, `shift` pixels to the right
    // (a wider window).
    void placeTitleBar(const SkinLayout& layout, int shift);
    ImageButton* button(const char* role) const;
    const QVector<Entry>& entries() const { return entries_; }

signals:
    void pageClicked(krm::Page page);
    void languageClicked(int language);
    void restoreClicked(int number);
    void saveClicked();
    void loadClicked();
    void exitClicked();
    void minimizeClicked();
    void menuClicked();
    void webClicked();
    // The pointer entered or left a captioned button (text rolling).
    void labelEntered(QLabel* label);
    void labelLeft(QLabel* label);

private:
    void clicked(const Entry& entry);
    QVector<Entry> entries_;
    bool shown_ = true;
    bool engineeringShown_ = false;
};

} // namespace krm::gui
