#include "app/gui/MainWindow.h"

#include "app/gui/NavigationBar.h"
#include "app/gui/PageStack.h"
#include "app/gui/WindowMenu.h"
#include "buttons/ui/KeyPageView.h"
#include "device/UiPort.h"
#include "shell/EngineeringCaptions.h"
#include "shell/Skin.h"
#include "shell/WindowGeometry.h"
#include "widgets/BusyWindow.h"
#include "widgets/ClickLabel.h"
#include "widgets/ImageButton.h"
#include "widgets/MessageBox.h"
#include "widgets/QtImages.h"
#include "widgets/SkinWidgets.h"
#include "widgets/WindowShape.h"

#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QUrl>
#include <QWindow>

namespace krm::gui {

namespace {

constexpr int kFirstPresenceIntervalMs = 1000;
constexpr int kRollingIntervalMs = 200;

QString qstr(const std::string& s) {
    return QString::fromStdString(s);
}

// To a screen reader the main window is a window (a frame), named by its title.
QAccessibleInterface* mainWindowAccessible(const QString&, QObject* object) {
    auto* window = qobject_cast<MainWindow*>(object);
    return window ? new QAccessibleWidget(window, QAccessible::Window) : nullptr;
}

} // namespace

MainWindow::MainWindow(Session& session, UiPort& ui)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::Window), session_(session), ui_(ui),
      pictureSizes_(PictureSizes::fromResources()), operations_(session, ui),
      profileFiles_(session, operations_, ui) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromLatin1(kWindowTitle));
    devTimer_.setInterval(DevicePresence::kPollIntervalMs);
    devTimerFirst_.setInterval(kFirstPresenceIntervalMs);
    labelRun_.setInterval(kRollingIntervalMs);
    connect(&devTimer_, &QTimer::timeout, this, &MainWindow::devTimerTimer);
    connect(&devTimerFirst_, &QTimer::timeout, this, &MainWindow::devTimerTimer);
    connect(&labelRun_, &QTimer::timeout, this, &MainWindow::labelRunTimer);
    presenter_ = [](QWidget* parent, const QString& text, const QString& fontFamily) {
        MessageBox::show(parent, text, fontFamily);
    };
    windowMenu_ = new WindowMenu(this);
    static const bool kAccessibleAsWindow = (QAccessible::installFactory(mainWindowAccessible), true);
    (void)kAccessibleAsWindow;
    session_.addObserver(this);
}

MainWindow::~MainWindow() {
    // Nothing may call back into the window once it is gone.
    session_.stopInputReader();
    session_.closeDevice();
    session_.removeObserver(this);
    pageMap_.reset();
    delete busy_;
}

// --- start-up ---

void MainWindow::formCreate() {
    disableTimers();
    clearSharedState();
    loadStartBackground();
    sizeWindowAndPages();
    centreOnScreen();
    makeBorderless();
    invalidateDeviceHandles();
    recordProgramDirectory();
    showCovers();
    loadFirstPicturesAndBranding();
    openMacroLibraryAndFireMacros();
    setEngineeringCaptions();
    applySkinForLanguage1();
    readPointerSettings();
    setApplicationTitle();
    setDeviceIdEntry0();
    showFirstPageAtStart();
    centreNumericFields();
    runLanguageButton();
    loadDefaultImages();
    startInputReader();
    update();
}

void MainWindow::disableTimers() {
    devTimerFirst_.stop();
    devTimer_.stop();
}

void MainWindow::clearSharedState() {
    session_.setRefreshGuard(false);
    session_.presence().setNoDevice(false);
}

void MainWindow::loadStartBackground() {
    resourceMask(
        QStringLiteral("L1_BackGround")); // asked first, one decoding gives the shape and the picture
    background_ = resourcePixmap(QStringLiteral("L1_BackGround"));
    if (background_.isNull()) {
        background_ = QPixmap(layout_.windowWidth, layout_.windowHeight);
        background_.fill(QColor(14, 16, 20));
    }
}

void MainWindow::sizeWindowAndPages() {
    setFixedSize(background_.deviceIndependentSize().toSize());
    pages_ = std::make_unique<PageStack>(this, background_);
}

void MainWindow::centreOnScreen() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect s = screen->geometry();
    move(s.left() + centredOffset(s.width(), width()), s.top() + centredOffset(s.height(), height()));
}

void MainWindow::makeBorderless() {
    // The skin's pictures are the window: pixels in the colour key are cut out of it.
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(kColourKey));
    setPalette(pal);
    setAutoFillBackground(true);
    fitWindowTo(1);
}

void MainWindow::invalidateDeviceHandles() {
    session_.closeDevice();
}

void MainWindow::recordProgramDirectory() {
    programDirectory_ = QCoreApplication::applicationDirPath() + QDir::separator();
}

void MainWindow::showCovers() {
    pages_->createCovers();
}

void MainWindow::loadFirstPicturesAndBranding() {
    nav_ = new NavigationBar(this);
    nav_->setEngineeringShown(engineeringButton_);
    nav_->loadFirstPictures();
    connectNavigation();

    PageContext context;
    context.window = this;
    context.sink = &session_;
    context.ui = &ui_;
    context.host = this;
    context.texts = &session_.texts();
    context.branding = &session_.branding();
    pageMap_ = std::make_unique<PageMap>(*pages_, context, session_);
    // The branding record was read with the session; the web button is placed with the skin pass.
}

void MainWindow::openMacroLibraryAndFireMacros() {
    // A problem is shown on the macro page; the window starts either way.
    session_.macros().openLibrary(macroLibraryPath(session_.branding().macroLibraryFolder));
    // The gun-key list names gun buttons: it is read before the first image is.
    const auto fireMacros =
        session_.fire().gunKeyList().open(gunKeyListPath(session_.branding().macroLibraryFolder));
    if (!fireMacros) ui_.showMessage(fireMacros.message);
}

void MainWindow::setEngineeringCaptions() {
    static_cast<EngineeringPanel*>(pages_->container(7))
        ->setCaption(qstr(std::string(engineeringCaption(7))), fontFamily_);
}

void MainWindow::applySkinForLanguage1() {
    applySkinPass(1);
}

void MainWindow::readPointerSettings() {}

void MainWindow::setApplicationTitle() {
    QGuiApplication::setApplicationDisplayName(qstr(session_.textSlots().title));
}

void MainWindow::setDeviceIdEntry0() {
    session_.setDeviceIdEntry0();
}

void MainWindow::showFirstPageAtStart() {
    showPage(Page::Profile1);
}

void MainWindow::centreNumericFields() {}

void MainWindow::runLanguageButton() {
    languageButtonClicked(session_.language());
}

void MainWindow::loadDefaultImages() {
    session_.loadDefaultImages();
}

void MainWindow::startInputReader() {
    session_.startInputReader();
}

void MainWindow::createBusyWindow(bool startFirstTimer) {
    busy_ = new BusyWindow(this);
    busy_->setWindowTitle(qstr(session_.texts().text("Str925")));
    busy_->placeOverMainWindow(40);
    if (startFirstTimer) devTimerFirst_.start();
}

// --- the skin and language pass ---

const IniFile& MainWindow::skin(int language) {
    auto& slot = skins_[static_cast<std::size_t>(language - 1)];
    if (!slot) slot = loadSkin(language);
    return *slot;
}

void MainWindow::applySkinPass(int language) {
    QElapsedTimer timer;
    timer.start();
    session_.setLanguage(language);
    fontFamily_ = session_.textSlots().fontName.empty() ? QStringLiteral("DejaVu Sans")
                                                        : qstr(session_.textSlots().fontName);
    const Branding& b = session_.branding();
    applySkin(skin(language), language, SkinBranding{b.icConfigType, b.barConfigType, b.numOrder},
              pictureSizes_, layout_);
    pages_->applySkin(layout_, language);
    nav_->applySkin(layout_, b, session_.texts(), fontFamily_);
    pageMap_->applySkin(PageSkin{&layout_, fontFamily_, language});
    pageMap_->setTexts(session_.texts());
    skinnedLanguage_ = language;

    if (busy_) busy_->setWindowTitle(qstr(session_.texts().text("Str925")));
    lastSkinPassNs_ = timer.nsecsElapsed();
    if (firstSkinPassNs_ == 0) firstSkinPassNs_ = lastSkinPassNs_;
    emit skinApplied();
}

// --- navigation ---

void MainWindow::connectNavigation() {
    connect(nav_, &NavigationBar::pageClicked, this, &MainWindow::pageButtonClicked);
    connect(nav_, &NavigationBar::languageClicked, this, &MainWindow::languageButtonClicked);
    connect(nav_, &NavigationBar::labelEntered, this, &MainWindow::rollingLabelEntered);
    connect(nav_, &NavigationBar::labelLeft, this, &MainWindow::rollingLabelLeft);
    connect(nav_, &NavigationBar::exitClicked, this, &QWidget::close);
    connect(nav_, &NavigationBar::minimizeClicked, this, &QWidget::showMinimized);
    connect(nav_, &NavigationBar::menuClicked, this, [this] {
        const ImageButton* b = nav_->button("Menu");
        openWindowMenu(b->mapToGlobal(QPoint(0, b->height())));
    });
    connect(nav_, &NavigationBar::webClicked, this, [this] {
        if (session_.branding().webEnabled)
            QDesktopServices::openUrl(QUrl(qstr(session_.branding().webAddress)));
    });
    // Restores, profile save and load: the operations check for the mouse and run the file dialog
    // at the point the window runs it. A name ending in ".ini" is a settings file.
    connect(nav_, &NavigationBar::restoreClicked, this, [this](int k) { operations_.restore(k); });
    connect(nav_, &NavigationBar::saveClicked, this, [this] { profileFiles_.save(profileFileDialog(true)); });
    connect(nav_, &NavigationBar::loadClicked, this,
            [this] { profileFiles_.load(profileFileDialog(false)); });
}

ChooseFile MainWindow::profileFileDialog(bool save) {
    return [this, save]() -> std::optional<std::string> {
        const QString images = save ? QStringLiteral("SaveFile (*.bin)") : QStringLiteral("LoadFile (*.bin)");
        const QString settings = QStringLiteral("Settings (*.ini)");
        QFileDialog dialog(this, qstr(session_.texts().text(save ? "Str009" : "Str010")), QString(),
                           images + QStringLiteral(";;") + settings);
        dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        // The dialog adds the chosen filter's suffix to a typed name before it asks whether to replace
        // a file, so the file it asks about is the file written.
        if (save) {
            dialog.setDefaultSuffix(QStringLiteral("bin"));
            connect(&dialog, &QFileDialog::filterSelected, &dialog,
                    [&dialog, settings](const QString& filter) {
                        dialog.setDefaultSuffix(filter == settings ? QStringLiteral("ini")
                                                                   : QStringLiteral("bin"));
                    });
        }
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
        return dialog.selectedFiles().constFirst().toStdString();
    };
}

void MainWindow::pageButtonClicked(Page page) {
    switch (session_.clickPage(page)) {
    case Session::PageClick::NoMouse:
        showMessage(qstr(session_.textSlots().noDevice));
        return;
    case Session::PageClick::Ignored:
        return;
    case Session::PageClick::Shown:
        break;
    }
    showPage(page);
}

void MainWindow::showPage(Page page) {
    closeMenus();
    const int container = PageStack::containerOf(page);
    // A page is built whole before its container first shows: what is added to a shown container stays
    // hidden unless told otherwise.
    PageView* view = pageMap_->page(container);
    nav_->markPage(page == Page::Gun ? std::nullopt : std::optional(page));
    pages_->show(container);
    nav_->setVisible(page != Page::Gun);
    nav_->raise();
    fitWindowTo(container);
    shownPage_ = page;
    // The update page forgets a patch file loaded earlier when it is shown, so that programming needs a
    // new file.
    if (view) view->withPanels([page](PageView& v) { v.shown(page); });
}

void MainWindow::keepOnScreen() {
    // The engineering page widens the window to the right and down; a window near the screen's edge
    // moves back so that all of it shows (its close button too).
    if (!isVisible() || !screen()) return;
    const QRect room = screen()->availableGeometry();
    QRect at = frameGeometry();
    if (at.right() > room.right()) at.moveRight(room.right());
    if (at.bottom() > room.bottom()) at.moveBottom(room.bottom());
    if (at.left() < room.left()) at.moveLeft(room.left());
    if (at.top() < room.top()) at.moveTop(room.top());
    if (at.topLeft() != frameGeometry().topLeft()) move(at.topLeft());
}

void MainWindow::fitWindowTo(int container) {
    const bool engineering = container == PageStack::kContainers;
    const QSize pictureSize = background_.deviceIndependentSize().toSize();
    const QSize size = engineering ? PageStack::kEngineeringSize : pictureSize;
    if (this->size() != size) {
        setFixedSize(size);
        keepOnScreen();
    }
    if (nav_) nav_->placeTitleBar(layout_, size.width() - pictureSize.width());
    if (engineering) {
        setWindowShape(this, QBitmap());
        return;
    }
    const QBitmap mask = resourceMask(qstr(lookPicture(session_.language(), "BackGround")));
    setWindowShape(this, mask.isNull() ? colourKeyMask(background_.toImage()) : mask);
}

void MainWindow::languageButtonClicked(int language) {
    nav_->markLanguage(language);
    // The window already wears this language (at start-up, the pass has just run): nothing to redo.
    if (language != skinnedLanguage_) {
        applySkinPass(language);
        setApplicationTitle();
        showPage(shownPage_);
    }
    // The pointer is on the clicked button: it rolls its new caption.
    ImageButton* clicked = nav_->button(("Lang" + std::to_string(language)).c_str());
    if (clicked && rollingLabel_ == clicked) rolling_.reset(clicked->caption().toStdString());
}

// --- what the core asks ---

void MainWindow::devTimerTimer() {
    session_.presence().poll();
}

BusyWindow* MainWindow::busyWindow() const {
    return busy_;
}

bool MainWindow::pagesCovered() const {
    return pages_ && pages_->covered();
}

void MainWindow::setPagesCovered(bool covered) {
    if (pages_) pages_->setCovered(covered);
}

void MainWindow::closeMenus() {
    if (pageMap_) pageMap_->hideMenus();
}

void MainWindow::showMessage(const QString& text) {
    // One message at a time, in the order things happened: a message that comes while another is up
    // (the presence poll runs inside the box's own event loop) waits until that one is dismissed.
    pendingMessages_.push_back(text);
    if (presentingMessages_) return;
    presentingMessages_ = true;
    while (!pendingMessages_.isEmpty()) {
        const QString next = pendingMessages_.takeFirst();
        if (presenter_) presenter_(this, next, fontFamily_);
    }
    presentingMessages_ = false;
}

void MainWindow::restoreAndRaise() {
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

// --- session reports ---

KeyPageView* MainWindow::keyPage() {
    return pageMap_ ? pageMap_->find<KeyPageView>(1) : nullptr;
}

void MainWindow::editorsReloaded() {
    if (pageMap_) pageMap_->refresh();
}

void MainWindow::pagesReset() {
    showPage(Page::Profile1);
}

void MainWindow::imageRead() {
    showPage(Page::Profile1);
}

void MainWindow::profileChangedByMouse(int profile) {
    showPage(static_cast<Page>(std::clamp(profile, 1, 3)));
}

void MainWindow::dpiLevelChangedByMouse(int) {
    // The DPI editor has the mouse's level already; the performance page shows it.
    if (pageMap_) pageMap_->refresh();
}

// --- text rolling ---

void MainWindow::rollingLabelEntered(QLabel* label) {
    if (!label) return;
    rollingLabel_ = label;
    // A label that cuts its caption rolls the whole caption.
    const auto* clickable = qobject_cast<ClickLabel*>(label);
    rolling_.enter((clickable ? clickable->caption() : label->text()).toStdString());
    if (label->isEnabled() && session_.branding().textRolling) labelRun_.start();
}

void MainWindow::rollingLabelLeft(QLabel* label) {
    labelRun_.stop();
    if (!label || label != rollingLabel_) return;
    // A label of ours shows its own caption again, the one it holds now (a language change under the
    // pointer gave it a new one).
    const std::string remembered = rolling_.leave();
    if (auto* clickable = qobject_cast<ClickLabel*>(label))
        clickable->showCaption();
    else
        label->setText(qstr(remembered));
    rollingLabel_ = nullptr;
}

void MainWindow::labelRunTimer() {
    if (!session_.branding().textRolling || !rollingLabel_ || !rolling_.active()) return;
    if (auto* clickable = qobject_cast<ClickLabel*>(rollingLabel_.data()))
        clickable->showInstead(qstr(rolling_.tick()));
    else
        rollingLabel_->setText(qstr(rolling_.tick()));
}

// --- window ---

bool MainWindow::event(QEvent* e) {
    const bool handled = QWidget::event(e);
    if (e->type() == QEvent::Paint && !firstFramePainted_) {
        // The frame is handed to the screen when this paint returns; what is posted now runs after it.
        firstFramePainted_ = true;
        QTimer::singleShot(0, this, &MainWindow::firstFrameShown);
    }
    return handled;
}

void MainWindow::closeEvent(QCloseEvent* e) {
    // The reader stops and the device handles are given up; the close is never refused. A close that
    // arrives in the middle of a transfer leaves that to the window's end: the transfer holds the link,
    // and the reader may be waiting for it.
    if (nestedEvents_ == 0) {
        session_.stopInputReader();
        session_.closeDevice();
    }
    devTimer_.stop();
    devTimerFirst_.stop();
    labelRun_.stop();
    if (busy_) busy_->hide();
    e->accept();
}

void MainWindow::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    closeMenus();
    // Dragging the background moves the borderless window.
    if (windowHandle() && windowHandle()->startSystemMove()) return;
    dragging_ = true;
    dragOffset_ = e->globalPosition().toPoint() - frameGeometry().topLeft();
}

void MainWindow::mouseMoveEvent(QMouseEvent* e) {
    if (dragging_) move(e->globalPosition().toPoint() - dragOffset_);
}

void MainWindow::mouseReleaseEvent(QMouseEvent*) {
    dragging_ = false;
}

DialogLook MainWindow::dialogLook() const {
    return {&layout_, fontFamily_, &session_.texts()};
}

void MainWindow::setCompanionControls(CompanionControls* controls) {
    windowMenu_->setControls(controls);
}

void MainWindow::openWindowMenu(QPoint at) {
    closeMenus();
    windowMenu_->popup(at, dialogLook());
}

void MainWindow::contextMenuEvent(QContextMenuEvent* e) {
    // A right click anywhere on the window that no control takes for itself.
    openWindowMenu(e->globalPos());
    e->accept();
}

void MainWindow::keyPressEvent(QKeyEvent* e) {
    if (e->key() != Qt::Key_Escape) return QWidget::keyPressEvent(e);
    closeMenus();
    e->accept();
}

} // namespace krm::gui
