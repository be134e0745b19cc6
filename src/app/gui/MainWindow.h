#pragma once

#include "app/gui/PageMap.h"
#include "base/IniFile.h"
#include "session/ImageOperations.h"
#include "session/Session.h"
#include "settings/SettingsFiles.h"
#include "shell/SkinLayout.h"
#include "shell/SkinPictures.h"
#include "shell/TextRolling.h"
#include "widgets/LookDialog.h"

#include <QBitmap>
#include <QPixmap>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QLabel;

namespace krm {
class UiPort;
}

namespace krm::gui {

class BusyWindow;
class CompanionControls;
class ImageButton;
class KeyPageView;
class NavigationBar;
class PageStack;
class WindowMenu;

// The borderless, skinned main window: the pages, the navigation, the three timers and the busy
// window. It runs the start-up steps in their fixed order, forwards what the user does to the
// session, and repaints from what the session reports.
class MainWindow : public QWidget, public SessionObserver, public PageHost {
    Q_OBJECT
public:
    static constexpr const char* kWindowTitle = "KRMR210B Gaming Mouse v1.0";
    // Shows a message modally and returns when it is dismissed.
    using MessagePresenter =
        std::function<void(QWidget* parent, const QString& text, const QString& fontFamily)>;

    MainWindow(Session& session, UiPort& ui);
    ~MainWindow() override;

    // The start-up sequence of the window, step by step. No device I/O happens here.
    void formCreate();
    // The engineering page's button shows even where the skin hides it (krmconfig --engineering); set
    // before formCreate.
    void setEngineeringButtonShown(bool shown) { engineeringButton_ = shown; }
    // Creates the busy window hidden; its creation starts the first presence timer unless told not to.
    void createBusyWindow(bool startFirstTimer = true);

    // One presence poll, as both presence timers run it.
    void devTimerTimer();

    // --- navigation ---
    // A page button: asks the session, then shows the page (or the no-mouse message).
    void pageButtonClicked(Page page);
    void languageButtonClicked(int language);
    // Shows a page with its marks, pictures and window size, without asking the session.
    void showPage(Page page) override;
    Page shownPage() const { return shownPage_; }

    // --- what the core asks through UiPort ---
    QTimer& devTimer() { return devTimer_; }
    QTimer& devTimerFirst() { return devTimerFirst_; }
    QTimer& labelRun() { return labelRun_; }
    BusyWindow* busyWindow() const;
    bool pagesCovered() const;
    void setPagesCovered(bool covered);
    void closeMenus();
    // Shows a message through the presenter and returns when it is dismissed; one that comes while
    // another is shown is queued behind it and returns at once.
    void showMessage(const QString& text);
    void setMessagePresenter(MessagePresenter presenter) { presenter_ = std::move(presenter); }
    void restoreAndRaise();
    // The core lets pending events run in the middle of a transfer (a close may arrive there).
    void nestEvents(bool entering) { nestedEvents_ += entering ? 1 : -1; }

    // --- text rolling (navigation buttons and key labels) ---
    void rollingLabelEntered(QLabel* label) override;
    void rollingLabelLeft(QLabel* label) override;
    void labelRunTimer();

    // Renders every page in every look, the reconnect message and the busy window to DIR/<what>.png.
    // Returns false when a file could not be written.
    bool renderScreenshots(const QString& dir, QStringList* written = nullptr);

    Session& session() { return session_; }
    NavigationBar& navigation() { return *nav_; }
    PageStack& pages() { return *pages_; }
    PageMap& pageMap() { return *pageMap_; }
    // The key page (built at start-up with the first page shown).
    KeyPageView* keyPage();
    const SkinLayout& layout() const { return layout_; }
    // Font family of the current language (its FontName text).
    QString fontFamily() const { return fontFamily_; }
    // What a dialog needs to be drawn in the window's look and language.
    DialogLook dialogLook() const;

    // --- the window's menu (the title bar's menu button, a right click) ---
    // The background companion's settings it shows: the companion's own, or the window makes its own.
    void setCompanionControls(CompanionControls* controls);
    WindowMenu& windowMenu() { return *windowMenu_; }
    // Opens it at `at` (global).
    void openWindowMenu(QPoint at);
    // How long the first (start-up) and the last skin and language pass took.
    qint64 firstSkinPassNs() const { return firstSkinPassNs_; }
    qint64 lastSkinPassNs() const { return lastSkinPassNs_; }

    // SessionObserver
    void editorsReloaded() override;
    void pagesReset() override;
    void imageRead() override;
    void profileChangedByMouse(int profile) override;
    void dpiLevelChangedByMouse(int level) override;

signals:
    // A look or a language was applied to the window (at start and at every language button).
    void skinApplied();
    // Once, when the window's first frame has been drawn and handed to the screen: work that the first
    // frame does not show (the theme icon, services of the session) starts here, not before it.
    void firstFrameShown();

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    // FormCreate, in order.
    void disableTimers();
    void clearSharedState();
    void loadStartBackground();
    void sizeWindowAndPages();
    void centreOnScreen();
    void makeBorderless();
    void invalidateDeviceHandles();
    void recordProgramDirectory();
    void showCovers();
    void loadFirstPicturesAndBranding();
    void openMacroLibraryAndFireMacros();
    void setEngineeringCaptions();
    void applySkinForLanguage1();
    void readPointerSettings();
    void setApplicationTitle();
    void setDeviceIdEntry0();
    void showFirstPageAtStart();
    void centreNumericFields();
    void runLanguageButton();
    void loadDefaultImages();
    void startInputReader();

    // The skin and language pass of a language: layout, look pictures, texts, fonts.
    void applySkinPass(int language);
    void connectNavigation();
    // The save or open dialog of the profile files and settings files, for ProfileFiles.
    ChooseFile profileFileDialog(bool save);
    void keepOnScreen();
    void fitWindowTo(int container);
    const IniFile& skin(int language);

    Session& session_;
    UiPort& ui_;
    SkinLayout layout_;
    PictureSizes pictureSizes_;
    std::array<std::optional<IniFile>, 3> skins_;
    QPixmap background_;
    std::unique_ptr<PageStack> pages_;
    NavigationBar* nav_ = nullptr;
    std::unique_ptr<PageMap> pageMap_;
    WindowMenu* windowMenu_ = nullptr;
    ImageOperations operations_;
    ProfileFiles profileFiles_;
    QPointer<BusyWindow> busy_;
    QTimer devTimer_, devTimerFirst_, labelRun_;
    MessagePresenter presenter_;
    QStringList pendingMessages_;
    bool presentingMessages_ = false;
    QString programDirectory_;
    QString fontFamily_ = QStringLiteral("DejaVu Sans");
    Page shownPage_ = Page::Profile1;
    TextRolling rolling_;
    QPointer<QLabel> rollingLabel_;
    qint64 firstSkinPassNs_ = 0;
    qint64 lastSkinPassNs_ = 0;
    int nestedEvents_ = 0;
    int skinnedLanguage_ = 0; // the language of the last skin and language pass
    bool firstFramePainted_ = false;
    bool engineeringButton_ = false;
    bool dragging_ = false;
    QPoint dragOffset_;
};

} // namespace krm::gui
