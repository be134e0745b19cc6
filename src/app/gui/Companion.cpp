#include "app/gui/Companion.h"

#include "app/gui/MainWindow.h"
#include "app/gui/MouseOwner.h"
#include "app/gui/ProfileRulesDialog.h"
#include "app/gui/QtUiPort.h"
#include "app/gui/QuitOnSignal.h"
#include "app/gui/RgbHost.h"
#include "app/gui/SingleInstance.h"
#include "base/PrintableText.h"
#include "device/Clock.h"
#include "shell/Skin.h"
#include "shell/SkinPictures.h"
#include "widgets/MessageBox.h"
#include "widgets/QtImages.h"
#include "widgets/SkinWidgets.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QMenu>
#include <QSocketNotifier>
#include <QSystemTrayIcon>

#include <algorithm>
#include <cstdio>

namespace krm::gui {

namespace {

constexpr int kBusyRetryMs = 100; // device work that met the core busy tries again after this

QString qstr(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

Companion::Companion(Session& session, QtUiPort& ui, Clock& clock, const QDBusConnection& bus, Files files,
                     std::unique_ptr<ProgramSource> source)
    : session_(session), ui_(ui), clock_(clock), controls_(std::move(files)), notices_(bus),
      source_(source ? std::move(source) : makeProgramSource(processes_, sourceWhy_)), mouse_(session),
      watcher_(controls_.rules(), *source_, mouse_, clock), link_(session, watcher_, mouse_) {
    notices_.setEnabled(controls_.noticesOn());
    ProfileRulesDialog::Programs programs;
    programs.focused = [this] { return lastFocused_; };
    programs.running = [this] { return processes_.programs(); };
    controls_.setPrograms(std::move(programs));
    connect(&controls_, &CompanionControls::noticesChanged, this,
            [this](bool on) { notices_.setEnabled(on); });
    connect(&controls_, &CompanionControls::problem, this, &Companion::say);
    connect(&controls_, &CompanionControls::rulesChanged, this, &Companion::runWatcher);
    connect(&controls_, &CompanionControls::rulesAsked, this, &Companion::showRules);
    connect(&controls_, &CompanionControls::rgbServingChanged, this, &Companion::setRgbServing);
    session_.addObserver(this);
    watcher_.decided = [](const WatchDecision& d) {
        std::fprintf(stderr, "krmconfig: %s\n", describe(d).c_str());
    };
    // Messages of the core while no window is there (the mouse went away) become notices.
    ui_.setMessageFallback([this](const std::string& text) { say(qstr(text)); });
    // The notices carry the program's name from the start, as the window's title gives it.
    QGuiApplication::setApplicationDisplayName(qstr(session_.textSlots().title));

    presenceTimer_.setInterval(DevicePresence::kPollIntervalMs); // as the window's
    connect(&presenceTimer_, &QTimer::timeout, this, &Companion::pollPresence);
    watchTimer_.setSingleShot(true);
    watchTimer_.setTimerType(Qt::PreciseTimer); // a coarse timer may wake before the settling second is over
    connect(&watchTimer_, &QTimer::timeout, this, &Companion::runWatcher);
    buildMenu();
}

Companion::~Companion() {
    rgb_.reset();
    ui_.setMessageFallback(nullptr);
    session_.removeObserver(this);
    delete tray_;
    if (window_) {
        ui_.setWindow(nullptr);
        window_.reset();
    } else {
        session_.stopInputReader();
        session_.closeDevice();
    }
}

bool Companion::start() {
    if (!sourceWhy_.empty()) std::fprintf(stderr, "krmconfig: per-game profiles: %s\n", sourceWhy_.c_str());
    session_.setDeviceIdEntry0();
    session_.loadDefaultImages();
    session_.startInputReader();
    presenceTimer_.start();
    QTimer::singleShot(0, this, &Companion::pollPresence);
    if (const int fd = source_->eventDescriptor(); fd >= 0) {
        sourceNotifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        connect(sourceNotifier_.get(), &QSocketNotifier::activated, this, &Companion::takeSourceEvents);
    }
    // An edit of the rules file takes effect at once, whatever has the focus.
    if (const int fd = controls_.rules().changeDescriptor(); fd >= 0) {
        rulesNotifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        connect(rulesNotifier_.get(), &QSocketNotifier::activated, this, [this] {
            if (controls_.rules().takeChanges()) runWatcher();
        });
    }
    // A rules file that cannot be read is said once; the rules read before it stay.
    watcher_.rulesRead = [this] {
        if (!controls_.rules().error().empty()) say(qstr(controls_.rules().error()));
    };
    runWatcher();
    if (controls_.settings().serveRgb) setRgbServing(true);

    if (!QSystemTrayIcon::isSystemTrayAvailable()) return false;
    QIcon icon = QIcon::fromTheme(QStringLiteral("io.krm.krmconfig"));
    if (icon.isNull()) icon = QIcon(resourcePixmap(QStringLiteral("AppIcon")));
    tray_ = new QSystemTrayIcon(icon);
    tray_->setToolTip(QApplication::applicationDisplayName());
    tray_->setContextMenu(menu_.get());
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) openWindow();
    });
    refreshMenu();
    tray_->show();
    return true;
}

bool Companion::busy() const {
    return ui_.inNestedEvents() || session_.refreshGuard() || session_.presence().pollRunning();
}

void Companion::pollPresence() {
    // Once the window is there, its own timers poll.
    if (window_) {
        presenceTimer_.stop();
        return;
    }
    if (!busy()) session_.presence().poll();
}

// --- the watcher ---

void Companion::takeSourceEvents() {
    if (source_->lost()) {
        sourceNotifier_.reset(); // the X server is going: the session ends
        return;
    }
    if (!source_->takeEvents()) return;
    // The source passes over this program's own windows, so this is the program before them.
    const auto focused = source_->programs();
    if (!focused.empty()) lastFocused_ = focused.front();
    runWatcher();
}

void Companion::runWatcher() {
    if (busy()) {
        watchTimer_.start(kBusyRetryMs);
        return;
    }
    watcher_.update();
    scheduleWatcher();
}

void Companion::scheduleWatcher() {
    const auto next = watcher_.nextUpdateMs();
    if (!next) {
        watchTimer_.stop();
        return;
    }
    const std::uint64_t now = clock_.tickMs();
    watchTimer_.start(
        static_cast<int>(std::min<std::uint64_t>(*next > now ? *next - now : 0, 60 * 60 * 1000)));
}

// --- what the mouse's own buttons did ---

void Companion::profileChangedByMouse(int profile) {
    notices_.show(qstr(profileName(session_.texts(), profile)));
    refreshMenu();
    scheduleWatcher();
}

void Companion::profileSelected(int profile) {
    // The window shows the key page of the profile the mouse has now, as after the mouse's own button.
    if (window_) window_->showPage(static_cast<Page>(profile));
    refreshMenu();
}

void Companion::dpiLevelChangedByMouse(int) {
    notices_.show(qstr(dpiNotice(session_.dpi())));
    refreshMenu();
}

void Companion::say(const QString& message) {
    // No page is in sight: a message that points to one is said in the words that need none.
    const QString text = qstr(session_.textSlots().withoutPage(message.toStdString()));
    std::fprintf(stderr, "krmconfig: %s\n", printable(text.simplified().toStdString()).c_str());
    notices_.tell(text);
}

// --- the tray menu ---

void Companion::buildMenu() {
    menu_ = std::make_unique<QMenu>();
    noMouse_ = menu_->addAction(QString());
    noMouse_->setEnabled(false);
    profileGroup_ = new QActionGroup(menu_.get());
    for (int p = 1; p <= 3; ++p) {
        QAction* a = menu_->addAction(QString());
        a->setCheckable(true);
        profileGroup_->addAction(a);
        // The window's profile button: the same click, a choice by hand.
        connect(a, &QAction::triggered, this, [this, p] {
            if (!busy() && mouse_.current()) session_.clickPage(static_cast<Page>(p));
            refreshMenu();
        });
        profileActions_[static_cast<std::size_t>(p - 1)] = a;
    }
    menu_->addSeparator();
    dpiGroup_ = new QActionGroup(menu_.get());
    for (int level = 1; level <= DpiEditor::kMaxLevels; ++level) {
        QAction* a = menu_->addAction(QString());
        a->setCheckable(true);
        dpiGroup_->addAction(a);
        // The performance page's level selector: the same editor, the same writes.
        connect(a, &QAction::triggered, this, [this, level] {
            if (!busy() && mouse_.current()) session_.apply(session_.dpi().makeCurrent(level));
            refreshMenu();
        });
        dpiActions_[static_cast<std::size_t>(level - 1)] = a;
    }
    menu_->addSeparator();
    // The window's menu shows the same three.
    menu_->addActions({controls_.rulesAction(), controls_.noticesAction(), controls_.autostartAction(),
                       controls_.rgbAction()});
    menu_->addSeparator();
    openAction_ = menu_->addAction(QString(), this, &Companion::openWindow);
    quitAction_ = menu_->addAction(QString(), this, &Companion::quit);
    connect(menu_.get(), &QMenu::aboutToShow, this, [this] {
        refreshMenu();
        // Where the desktop lets the program draw the tray's menu, it is drawn in the window's look.
        const DialogLook shown = look();
        menu_->setStyleSheet(menuStyle(*shown.layout));
        menu_->setFont(skinFont(shown.fontFamily, 10));
    });
}

void Companion::refreshMenu() {
    const auto current = mouse_.current();
    const TextSource& texts = session_.texts();
    noMouse_->setText(qstr(session_.textSlots().noDevice));
    noMouse_->setVisible(!current);
    for (int p = 1; p <= 3; ++p) {
        QAction* a = profileActions_[static_cast<std::size_t>(p - 1)];
        a->setText(qstr(profileName(texts, p)));
        a->setEnabled(current.has_value());
        a->setChecked(current == p);
    }
    const DpiEditor& dpi = session_.dpi();
    const auto level = dpi.currentLevel();
    for (int n = 1; n <= DpiEditor::kMaxLevels; ++n) {
        QAction* a = dpiActions_[static_cast<std::size_t>(n - 1)];
        a->setText(qstr(texts.text("Str829") + " " + dpi.valueText(n)));
        a->setVisible(current && dpi.enabled(n));
        a->setChecked(level == n);
    }
    controls_.refresh(texts);
    openAction_->setText(qstr(texts.text("Str904")));
    quitAction_->setText(qstr(texts.text("Str003")));
    if (tray_) {
        QString tip = QApplication::applicationDisplayName();
        if (current)
            tip += QStringLiteral(": %1, %2").arg(qstr(profileName(texts, *current)), qstr(dpiNotice(dpi)));
        tray_->setToolTip(tip);
    }
}

QWidget* Companion::rulesParent() const {
    return window_ && window_->isVisible() ? window_.get() : nullptr;
}

DialogLook Companion::look() {
    if (rulesParent()) return window_->dialogLook();
    // No window to take the look from: the look of the session's language, made once for it.
    const int language = session_.language();
    if (trayLookLanguage_ != language) {
        const Branding& b = session_.branding();
        trayLook_ = SkinLayout();
        applySkin(loadSkin(language), language, SkinBranding{b.icConfigType, b.barConfigType, b.numOrder},
                  PictureSizes::fromResources(), trayLook_);
        trayLookLanguage_ = language;
    }
    const std::string font = session_.textSlots().fontName;
    return {&trayLook_, font.empty() ? QStringLiteral("DejaVu Sans") : qstr(font), &session_.texts()};
}

void Companion::setRgbServing(bool on) {
    rgb_.reset();
    if (on) {
        rgb_ = std::make_unique<RgbHost>(session_, ui_, clock_);
        const CompanionSettings& settings = controls_.settings();
        if (!rgb_->start(settings.rgbAddress, settings.rgbPort))
            say(tr("RGB programs cannot reach the mouse: port %1 on %2 is taken or cannot be used.")
                    .arg(settings.rgbPort)
                    .arg(qstr(settings.rgbAddress)));
    }
}

ProfileRulesDialog* Companion::rulesDialog() {
    return controls_.rulesDialog(rulesParent(), look());
}

void Companion::showRules() {
    controls_.showRules(rulesParent(), look());
}

// --- the window ---

void Companion::openWindow() {
    if (window_) {
        window_->restoreAndRaise();
        return;
    }
    // The window's start-up gives up the device handles and looks for the mouse itself; a mouse this
    // process has open already is found and read again at once.
    const bool hadMouse = session_.mouseOpen();
    presenceTimer_.stop();
    window_ = std::make_unique<MainWindow>(session_, ui_);
    ui_.setWindow(window_.get());
    window_->formCreate();
    window_->installEventFilter(this);
    if (windowBuilt) windowBuilt(*window_);
    // A message while the window is hidden in the tray is a notice, not a box nobody sees.
    window_->setMessagePresenter([this](QWidget* parent, const QString& text, const QString& font) {
        if (window_ && window_->isVisible())
            MessageBox::show(parent, text, font);
        else
            say(text);
    });
    // The settings are in the window's menu too.
    window_->setCompanionControls(&controls_);
    window_->show();
    window_->createBusyWindow(!hadMouse);
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("io.krm.krmconfig")));
    // The read lets events run: a close meanwhile puts the window away for good.
    if (hadMouse) {
        session_.presence().refind();
        if (window_) window_->devTimer().start();
    }
}

bool Companion::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_.get() && event->type() == QEvent::Close && !quitting_) {
        if (!tray_) {
            quit(); // without a tray nothing would bring the window back: closing it ends the program
            return true;
        }
        event->ignore();
        window_->hide();
        if (!closeSaid_) {
            closeSaid_ = true;
            say(qstr(session_.texts().text("Str922")));
        }
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void Companion::quit() {
    quitting_ = true;
    if (window_) window_->close();
    if (tray_) tray_->hide();
    QCoreApplication::quit();
}

int runInBackground(Session& session, QtUiPort& ui, SingleInstance& instance, Clock& clock, HidBackend& hid) {
    QApplication::setQuitOnLastWindowClosed(false);
    Companion companion(session, ui, clock, QDBusConnection::sessionBus());
    // The mice are served on the bus: the companion is what D-Bus activation starts for a client.
    MouseOwner owner(session, ui, clock, hid);
    companion.windowBuilt = [&owner](MainWindow& window) { owner.attachWindow(window); };
    QObject::connect(&instance, &SingleInstance::raiseRequested, &companion, &Companion::openWindow);
    // Logging out or a kill ends the program as Quit does.
    const QuitOnSignal quitOnSignal([&companion] { companion.quit(); });
    if (!companion.start())
        std::fprintf(stderr, "krmconfig: this desktop shows no tray icons (no StatusNotifierItem host and no "
                             "system tray): the per-game profiles and the notices run without an icon; "
                             "\"krmconfig\" opens the window.\n");
    owner.start();
    return QApplication::exec();
}

} // namespace krm::gui
