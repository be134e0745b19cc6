#include "app/gui/BusService.h"

#include "app/ctl/BusNames.h"
#include "app/gui/QtUiPort.h"
#include "configurator_adaptor.h"
#include "mouse_adaptor.h"

#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QDir>
#include <QStandardPaths>

#include <algorithm>

QDBusArgument& operator<<(QDBusArgument& arg, const KrmButton& button) {
    arg.beginStructure();
    arg << button.button << button.code << button.name;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, KrmButton& button) {
    arg.beginStructure();
    arg >> button.button >> button.code >> button.name;
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const KrmMacro& macro) {
    arg.beginStructure();
    arg << macro.slot << macro.name;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, KrmMacro& macro) {
    arg.beginStructure();
    arg >> macro.slot >> macro.name;
    arg.endStructure();
    return arg;
}

namespace krm::gui {

namespace {

const QString kMouseInterface = QString::fromLatin1(bus::kMouseInterface);

// The folder for the settings texts of the bus's export, diff and apply: the user's runtime folder.
std::string scratchFolder() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return (runtime.isEmpty() ? QDir::tempPath() : runtime).toStdString();
}

} // namespace

// --- one mouse ------------------------------------------------------------------------------------

BusMouse::BusMouse(BusService& service, Session& session, QtUiPort& ui)
    : service_(service), session_(session), ui_(ui) {
    new MouseAdaptor(this);
    session_.addObserver(this);
    refresh();
}

BusMouse::~BusMouse() {
    session_.removeObserver(this);
    if (!path_.isEmpty()) service_.connection().unregisterObject(path_);
}

QList<ushort> BusMouse::dpiValues() const {
    return QList<ushort>(state_.dpiValues.begin(), state_.dpiValues.end());
}

void BusMouse::refresh() {
    const service::MouseState now = service::mouseState(session_);
    const auto changed = service::changedProperties(state_, now);
    state_ = now;
    const QString path = state_.id.empty() ? QString() : qs(service::mouseObjectPath(state_.id));
    if (path != path_) {
        // Another mouse, or none: the object moves with it.
        if (!path_.isEmpty()) service_.connection().unregisterObject(path_);
        path_ = path;
        if (!path_.isEmpty())
            service_.connection().registerObject(path_, this, QDBusConnection::ExportAdaptors);
        service_.miceChanged();
        return;
    }
    if (changed.empty() || path_.isEmpty()) return;
    QVariantMap values;
    for (const auto& name : changed) values.insert(qs(name), property(name.c_str()));
    service_.propertiesChanged(path_, kMouseInterface, values);
}

service::RunCommand BusMouse::runCommand() {
    return [this](const std::vector<std::string>& args, const std::string& cwd) {
        const auto divert = [this](UiPort* console) { ui_.setMessageDiversion(console); };
        ctl::ClientRun run = ctl::runForClient(session_, args, cwd, divert, &service_.clock());
        // The window shows what a client changed, as it shows its own edits.
        session_.reloadEditors();
        refresh();
        return run;
    };
}

void BusMouse::serve(std::function<ctl::ClientRun()> work,
                     std::function<QVariantList(const ctl::ClientRun&)> reply, bool failureIsReply) {
    setDelayedReply(true);
    service_.whenFree([this, request = message(), work = std::move(work), reply = std::move(reply),
                       failureIsReply] {
        const ctl::ClientRun run = work();
        QDBusMessage answer;
        if (run.code != ctl::kOk && !failureIsReply)
            answer =
                request.createErrorReply(qs(service::errorName(run.code)), qs(service::errorMessage(run)));
        else
            answer = request.createReply(reply ? reply(run) : QVariantList());
        service_.connection().send(answer);
    });
}

void BusMouse::SelectProfile(uchar profile) {
    serve([this, profile] { return service::selectProfile(runCommand(), profile); });
}

void BusMouse::SetDpi(uchar level, ushort value) {
    serve([this, level, value] { return service::setDpi(runCommand(), level, value); });
}

void BusMouse::SetDpiLevelCount(uchar count) {
    serve([this, count] { return service::setDpiLevelCount(runCommand(), count); });
}

void BusMouse::SetDpiLevel(uchar level) {
    serve([this, level] { return service::setDpiLevel(runCommand(), level); });
}

void BusMouse::SetReportRate(ushort hz) {
    serve([this, hz] { return service::setReportRate(runCommand(), hz); });
}

KrmButtonList BusMouse::GetButtons(uchar profile) {
    KrmButtonList list;
    if (profile < 1 || profile > 3) {
        sendErrorReply(QStringLiteral("io.krm.Error.Usage"), QStringLiteral("the profile is 1, 2 or 3"));
        return list;
    }
    for (const auto& b : service::buttons(session_, profile))
        list.append({static_cast<uchar>(b.button), qs(b.code), qs(b.name)});
    return list;
}

void BusMouse::SetButton(uchar profile, uchar button, const QString& code) {
    serve([this, profile, button, code = code.toStdString()] {
        return service::setButton(runCommand(), profile, button, code);
    });
}

void BusMouse::SetLightingMode(const QString& mode) {
    serve([this, mode = mode.toStdString()] { return service::setLightingMode(runCommand(), mode); });
}

void BusMouse::SetLightingSpeed(uchar speed) {
    serve([this, speed] { return service::setLightingSpeed(runCommand(), speed); });
}

void BusMouse::SetColour(uchar index, const QString& colour) {
    serve([this, index, colour = colour.toStdString()] {
        return service::setColour(runCommand(), index, colour);
    });
}

KrmMacroList BusMouse::GetMacros() {
    KrmMacroList list;
    for (const auto& m : service::macros(session_)) list.append({static_cast<uchar>(m.slot), qs(m.name)});
    return list;
}

void BusMouse::AddMacro(const QString& name) {
    serve([this, name = name.toStdString()] { return service::addMacro(runCommand(), name); });
}

void BusMouse::DeleteMacro(uchar slot) {
    serve([this, slot] { return service::deleteMacro(runCommand(), slot); });
}

void BusMouse::SetFireSlot(uchar slot, uchar repeat, ushort interval, bool continuous) {
    serve([this, slot, repeat, interval, continuous] {
        return service::setFireSlot(runCommand(), slot, repeat, interval, continuous);
    });
}

QString BusMouse::ExportSettings() {
    auto text = std::make_shared<std::string>();
    serve([this, text] { return service::exportSettings(runCommand(), scratchFolder(), *text); },
          [text](const ctl::ClientRun&) { return QVariantList{qs(*text)}; });
    return {};
}

QString BusMouse::DiffSettings(const QString& text) {
    serve(
        [this, text = text.toStdString()] {
            ctl::ClientRun run = service::diffSettings(runCommand(), scratchFolder(), text);
            // "Something would change" is an answer, not a failure.
            if (run.code == ctl::kDiffers && run.err.empty()) run.code = ctl::kOk;
            return run;
        },
        [](const ctl::ClientRun& run) { return QVariantList{qs(run.out)}; });
    return {};
}

QString BusMouse::ApplySettings(const QString& text) {
    serve([this,
           text = text.toStdString()] { return service::applySettings(runCommand(), scratchFolder(), text); },
          [](const ctl::ClientRun& run) { return QVariantList{qs(run.out)}; });
    return {};
}

int BusMouse::RunKrmctl(const QStringList& args, const QString& cwd, QString&, QString&) {
    std::vector<std::string> words;
    for (const QString& a : args) words.push_back(a.toStdString());
    serve([this, words, cwd = cwd.toStdString()] { return runCommand()(words, cwd); },
          [](const ctl::ClientRun& run) {
              return QVariantList{run.code, qs(run.out), qs(run.err)};
          },
          true);
    return 0;
}

// --- the program on the bus ------------------------------------------------------------------------

BusService::BusService(Clock& clock, std::function<bool()> busy, const QDBusConnection& bus)
    : clock_(clock), ownWork_(std::move(busy)), bus_(bus) {
    qDBusRegisterMetaType<KrmButton>();
    qDBusRegisterMetaType<KrmButtonList>();
    qDBusRegisterMetaType<KrmMacro>();
    qDBusRegisterMetaType<KrmMacroList>();
    qDBusRegisterMetaType<QList<ushort>>();
    new ConfiguratorAdaptor(this);
    retry_.setInterval(50);
    connect(&retry_, &QTimer::timeout, this, &BusService::runQueue);
}

BusService::~BusService() {
    mice_.clear();
    if (started_) {
        bus_.unregisterObject(QString::fromLatin1(bus::kRootPath));
        bus_.unregisterService(QString::fromLatin1(bus::kServiceName));
    }
}

bool BusService::start(QString& why) {
    if (!bus_.isConnected()) {
        why = QStringLiteral("no session bus: ") + bus_.lastError().message();
        return false;
    }
    if (!bus_.registerObject(QString::fromLatin1(bus::kRootPath), this, QDBusConnection::ExportAdaptors)) {
        why = QStringLiteral("the object %1 is taken").arg(QString::fromLatin1(bus::kRootPath));
        return false;
    }
    if (!bus_.registerService(QString::fromLatin1(bus::kServiceName))) {
        why = QStringLiteral("another program has the name %1").arg(QString::fromLatin1(bus::kServiceName));
        bus_.unregisterObject(QString::fromLatin1(bus::kRootPath));
        return false;
    }
    started_ = true;
    return true;
}

void BusService::setSessions(const std::vector<std::pair<Session*, QtUiPort*>>& sessions) {
    const auto has = [&sessions](const Session* s) {
        return std::any_of(sessions.begin(), sessions.end(), [s](const auto& p) { return p.first == s; });
    };
    const auto served = [&has](const std::unique_ptr<BusMouse>& m) { return !has(&m->session()); };
    const auto gone = std::remove_if(mice_.begin(), mice_.end(), served);
    const bool changed = gone != mice_.end();
    mice_.erase(gone, mice_.end());
    for (const auto& entry : sessions) {
        Session* s = entry.first;
        QtUiPort* ui = entry.second;
        const bool known =
            std::any_of(mice_.begin(), mice_.end(), [s](const auto& m) { return &m->session() == s; });
        if (!known) mice_.push_back(std::make_unique<BusMouse>(*this, *s, *ui));
    }
    if (changed) miceChanged();
}

QList<QDBusObjectPath> BusService::mice() const {
    QList<QDBusObjectPath> paths;
    for (const auto& m : mice_)
        if (!m->path().isEmpty()) paths.append(QDBusObjectPath(m->path()));
    return paths;
}

QDBusObjectPath BusService::FindMouse(const QString& node) {
    for (const auto& m : mice_)
        if (!m->path().isEmpty() && !m->node().isEmpty() &&
            QDir::cleanPath(m->node()) == QDir::cleanPath(node))
            return QDBusObjectPath(m->path());
    sendErrorReply(QStringLiteral("io.krm.Error.NoMouse"),
                   QStringLiteral("this program does not hold %1").arg(node));
    return {};
}

void BusService::miceChanged() {
    QVariantMap values;
    values.insert(QStringLiteral("Mice"), QVariant::fromValue(mice()));
    propertiesChanged(QString::fromLatin1(bus::kRootPath), QString::fromLatin1(bus::kConfiguratorInterface),
                      values);
}

void BusService::propertiesChanged(const QString& path, const QString& interface,
                                   const QVariantMap& changed) {
    QDBusMessage signal = QDBusMessage::createSignal(path, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << interface << changed << QStringList();
    bus_.send(signal);
}

bool BusService::busy() const {
    if (running_ || (ownWork_ && ownWork_())) return true;
    return std::any_of(mice_.begin(), mice_.end(), [](const auto& m) {
        Session& s = m->session();
        return s.refreshGuard() || s.presence().pollRunning();
    });
}

void BusService::whenFree(std::function<void()> work) {
    queue_.push_back(std::move(work));
    if (!retry_.isActive()) retry_.start();
    runQueue();
}

void BusService::runQueue() {
    while (!queue_.empty() && !busy()) {
        auto work = std::move(queue_.front());
        queue_.pop_front();
        running_ = true;
        work();
        running_ = false;
    }
    if (queue_.empty()) retry_.stop();
}

} // namespace krm::gui
