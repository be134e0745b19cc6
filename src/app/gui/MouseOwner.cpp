#include "app/gui/MouseOwner.h"

#include "app/gui/MainWindow.h"
#include "device/AttachedMice.h"
#include "device/DeviceLock.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace krm::gui {

MouseOwner::MouseOwner(Session& primary, QtUiPort& ui, Clock& clock, HidBackend& hid)
    : primary_(primary), ui_(ui), clock_(clock), hid_(hid) {
    quietUi_.setMessageFallback(
        [](const std::string& text) { std::fprintf(stderr, "krmconfig: %s\n", text.c_str()); });
    scan_.setInterval(kScanMs);
    connect(&scan_, &QTimer::timeout, this, &MouseOwner::scan);
}

MouseOwner::~MouseOwner() {
    bus_.reset();
    for (auto& s : others_) s->stopInputReader();
}

void MouseOwner::start(const QDBusConnection& bus) {
    bus_ = std::make_unique<BusService>(
        clock_, [this] { return busy(); }, bus);
    QString why;
    if (!bus_->start(why)) {
        std::fprintf(stderr, "krmconfig: the mice are not served on the session bus: %s\n", qPrintable(why));
        bus_.reset();
    }
    publish();
    scan_.start();
}

std::vector<Session*> MouseOwner::sessions() const {
    std::vector<Session*> all{&primary_};
    for (const auto& s : others_) all.push_back(s.get());
    return all;
}

bool MouseOwner::busy() const {
    if (ui_.inNestedEvents() || quietUi_.inNestedEvents()) return true;
    const auto working = [](const Session& s) { return s.refreshGuard() || s.presence().pollRunning(); };
    return working(primary_) ||
           std::any_of(others_.begin(), others_.end(), [&](const auto& s) { return working(*s); });
}

void MouseOwner::publish(std::vector<std::unique_ptr<Session>> leaving) {
    if (bus_) {
        std::vector<std::pair<Session*, QtUiPort*>> served{{&primary_, &ui_}};
        for (const auto& s : others_) served.emplace_back(s.get(), &quietUi_);
        bus_->setSessions(served);
    }
    for (auto& s : leaving) s->stopInputReader();
    leaving.clear();
    if (!chooser_) return;
    std::vector<MouseChooser::Mouse> mice;
    for (const AttachedMouse& m : attachedMice(hid_, primary_.presence().deviceIdTable))
        mice.push_back({m.id, m.node, primary_.link().location().device == m.id});
    chooser_->setMice(std::move(mice));
}

void MouseOwner::attachWindow(MainWindow& window) {
    chooser_ = new MouseChooser(window);
    chooser_->chosen = [this](const std::string& id) { showInWindow(id); };
    connect(&window, &MainWindow::skinApplied, chooser_, &MouseChooser::restyle);
    publish();
}

void MouseOwner::showInWindow(const std::string& id) {
    if (busy() || primary_.link().location().device == id) return;
    std::vector<std::unique_ptr<Session>> leaving;
    const auto it = std::find_if(others_.begin(), others_.end(), [&id](const auto& s) {
        return s->link().chosen() == id || s->link().location().device == id;
    });
    if (it != others_.end()) {
        leaving.push_back(std::move(*it));
        others_.erase(it);
    }
    publish(std::move(leaving));
    // Chosen by hand, the window stays with this mouse: when it goes, the window waits for it.
    primary_.link().choose(id);
    primary_.presence().refind();
    scan();
    publish();
}

void MouseOwner::scan() {
    // The window's mouse is found first, by the window's own presence poll.
    if (busy() || !primary_.mouseOpen()) return;
    const auto mice = attachedMice(hid_, primary_.presence().deviceIdTable);
    const auto attached = [&mice](const std::string& id) {
        return std::any_of(mice.begin(), mice.end(), [&id](const AttachedMouse& m) { return m.id == id; });
    };
    // Those gone since: their sessions go (and with them their locks and objects), once the bus let go.
    std::vector<std::unique_ptr<Session>> leaving;
    for (auto it = others_.begin(); it != others_.end();) {
        if (attached((*it)->link().chosen())) {
            ++it;
        } else {
            leaving.push_back(std::move(*it));
            it = others_.erase(it);
        }
    }
    bool changed = !leaving.empty();

    for (const AttachedMouse& m : mice) {
        const auto holds = [&m](const Session& s) {
            return s.link().location().device == m.id || s.link().chosen() == m.id;
        };
        if (holds(primary_) ||
            std::any_of(others_.begin(), others_.end(), [&](const auto& s) { return holds(*s); }))
            continue;
        if (!m.node.empty() && DeviceLock::holder(m.node)) continue; // another program's
        auto session = std::make_unique<Session>(hid_, clock_, quietUi_, primary_.branding());
        session->setDeviceIdEntry0();
        session->loadDefaultImages();
        session->link().choose(m.id);
        if (!session->connectNow()) continue;
        session->startInputReader();
        others_.push_back(std::move(session));
        changed = true;
    }
    if (changed || (chooser_ && chooser_->isVisible() != (mice.size() > 1))) publish(std::move(leaving));
}

} // namespace krm::gui
