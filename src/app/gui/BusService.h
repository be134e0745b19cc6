#pragma once

#include "app/service/MouseService.h"
#include "session/Session.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

// The bus's structures of io.krm.Mouse1 (the adaptors generated from its XML name them unqualified).
struct KrmButton {
    uchar button = 0;
    QString code;
    QString name;
};
using KrmButtonList = QList<KrmButton>;
struct KrmMacro {
    uchar slot = 0;
    QString name;
};
using KrmMacroList = QList<KrmMacro>;
Q_DECLARE_METATYPE(KrmButton)
Q_DECLARE_METATYPE(KrmMacro)
QDBusArgument& operator<<(QDBusArgument& arg, const KrmButton& button);
const QDBusArgument& operator>>(const QDBusArgument& arg, KrmButton& button);
QDBusArgument& operator<<(QDBusArgument& arg, const KrmMacro& macro);
const QDBusArgument& operator>>(const QDBusArgument& arg, KrmMacro& macro);

namespace krm {
class Clock;
}

namespace krm::gui {

class BusService;
class QtUiPort;

// One mouse on the bus (io.krm.Mouse1): its session's state as properties, kept current by the
// session's events, and the typed methods, each carried out as the krmctl command that makes the same
// change, in this program, on this session (service/MouseService). Every reply is sent when the work
// is done: a call made while the mouse is busy waits its turn.
class BusMouse : public QObject, public SessionObserver, protected QDBusContext {
    Q_OBJECT
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Node READ node)
    Q_PROPERTY(QString Serial READ serial)
    Q_PROPERTY(QString Variant READ variant)
    Q_PROPERTY(ushort VendorId READ vendorId)
    Q_PROPERTY(ushort ProductId READ productId)
    Q_PROPERTY(uchar ChipCode READ chipCode)
    Q_PROPERTY(bool Ready READ ready)
    Q_PROPERTY(uchar CurrentProfile READ currentProfile)
    Q_PROPERTY(uchar DpiLevel READ dpiLevel)
    Q_PROPERTY(uchar DpiLevelCount READ dpiLevelCount)
    Q_PROPERTY(ushort Dpi READ dpi)
    Q_PROPERTY(QList<ushort> DpiValues READ dpiValues)
    Q_PROPERTY(ushort ReportRate READ reportRate)
    Q_PROPERTY(QString LightingMode READ lightingMode)
public:
    // `ui`: the port the session shows its messages through (a client's command diverts them).
    BusMouse(BusService& service, Session& session, QtUiPort& ui);
    ~BusMouse() override;

    Session& session() { return session_; }
    const service::MouseState& state() const { return state_; }
    // The path it is registered at; empty while its session has no mouse.
    const QString& path() const { return path_; }
    // Reads the session's state again: tells the bus what changed and moves the object when the
    // mouse it stands for changed.
    void refresh();

    QString id() const { return qs(state_.id); }
    QString node() const { return qs(state_.node); }
    QString serial() const { return qs(state_.serial); }
    QString variant() const { return qs(state_.variant); }
    ushort vendorId() const { return state_.vendorId; }
    ushort productId() const { return state_.productId; }
    uchar chipCode() const { return state_.chipCode; }
    bool ready() const { return state_.ready; }
    uchar currentProfile() const { return state_.currentProfile; }
    uchar dpiLevel() const { return state_.dpiLevel; }
    uchar dpiLevelCount() const { return state_.dpiLevelCount; }
    ushort dpi() const { return state_.dpi; }
    QList<ushort> dpiValues() const;
    ushort reportRate() const { return state_.reportRate; }
    QString lightingMode() const { return qs(state_.lightingMode); }

    // SessionObserver: whatever may have changed a property.
    void editorsReloaded() override { refresh(); }
    void pagesReset() override { refresh(); }
    void imageRead() override { refresh(); }
    void profileChangedByMouse(int) override { refresh(); }
    void dpiLevelChangedByMouse(int) override { refresh(); }
    void profileSelected(int) override { refresh(); }
    void changesApplied() override { refresh(); }
    void buttonEvent(std::uint8_t code) override { emit ButtonEvent(code); }

    // The methods of io.krm.Mouse1, named as the interface names them: the generated adaptor calls them so.
    // NOLINTBEGIN(readability-identifier-naming)
public Q_SLOTS:
    void SelectProfile(uchar profile);
    void SetDpi(uchar level, ushort dpi);
    void SetDpiLevelCount(uchar count);
    void SetDpiLevel(uchar level);
    void SetReportRate(ushort hz);
    KrmButtonList GetButtons(uchar profile);
    void SetButton(uchar profile, uchar button, const QString& code);
    void SetLightingMode(const QString& mode);
    void SetLightingSpeed(uchar speed);
    void SetColour(uchar index, const QString& colour);
    KrmMacroList GetMacros();
    void AddMacro(const QString& name);
    void DeleteMacro(uchar slot);
    void SetFireSlot(uchar slot, uchar repeat, ushort interval, bool continuous);
    QString ExportSettings();
    QString DiffSettings(const QString& text);
    QString ApplySettings(const QString& text);
    int RunKrmctl(const QStringList& args, const QString& cwd, QString& output, QString& errors);

Q_SIGNALS:
    void ButtonEvent(uchar code);
    // NOLINTEND(readability-identifier-naming)

private:
    static QString qs(const std::string& text) { return QString::fromStdString(text); }
    // Carries a change out (now, or when the mouse is free) and replies: nothing on success, the error
    // krmctl's exit code stands for otherwise. `reply` builds the reply's arguments from the run.
    void serve(std::function<ctl::ClientRun()> work,
               std::function<QVariantList(const ctl::ClientRun&)> reply = nullptr,
               bool failureIsReply = false);
    service::RunCommand runCommand();

    BusService& service_;
    Session& session_;
    QtUiPort& ui_;
    service::MouseState state_;
    QString path_;
};

// The program's side of the bus: the name io.krm.krmconfig, the root object (io.krm.Configurator1:
// the served mice and which one has a node) and one BusMouse per session with a mouse. Work for clients
// runs one request at a time on this thread, when no transfer of the program's own is in progress.
class BusService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_PROPERTY(QList<QDBusObjectPath> Mice READ mice)
public:
    // `busy`: whether the program is in the middle of device work of its own (a transfer, a presence
    // poll), when a client's request waits.
    BusService(Clock& clock, std::function<bool()> busy,
               const QDBusConnection& bus = QDBusConnection::sessionBus());
    ~BusService() override;

    // Registers the root object and asks for the name; false, with the reason in `why`, when the bus is
    // not there or another program has the name.
    bool start(QString& why);
    // The sessions whose mice are served (the window's and any other mouse's), each with its port.
    void setSessions(const std::vector<std::pair<Session*, QtUiPort*>>& sessions);

    QList<QDBusObjectPath> mice() const;
    QDBusConnection& connection() { return bus_; }
    Clock& clock() { return clock_; }

    // Runs `work` as soon as the program is not in the middle of its own device work, in the order asked.
    void whenFree(std::function<void()> work);
    // A mouse object moved or came or went: the Mice property changed.
    void miceChanged();
    // Tells the bus that these properties of the object at `path` changed.
    void propertiesChanged(const QString& path, const QString& interface, const QVariantMap& changed);

    // io.krm.Configurator1's method, named as the interface names it.
    // NOLINTBEGIN(readability-identifier-naming)
public Q_SLOTS:
    QDBusObjectPath FindMouse(const QString& node);
    // NOLINTEND(readability-identifier-naming)

private:
    bool busy() const;
    void runQueue();

    Clock& clock_;
    std::function<bool()> ownWork_;
    QDBusConnection bus_;
    std::vector<std::unique_ptr<BusMouse>> mice_;
    std::deque<std::function<void()>> queue_;
    QTimer retry_;
    bool running_ = false;
    bool started_ = false;
};

} // namespace krm::gui
