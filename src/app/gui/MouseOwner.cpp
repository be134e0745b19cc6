#include "app/gui/MouseOwner.h"

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

void MouseOwner::publish() {
    if (!bus_) return;
    std::vector<std::pair<Session*, QtUiPort*>> served{{&primary_, &ui_}};
    for (const auto& s : others_) served.emplace_back(s.get(), &quietUi_);
    bus_->setSessions(served);
}

void MouseOwner::scan() {
    // The window's mouse is found first, by the window's own presence poll.
    if (busy() || !primary_.mouseOpen()) return;
    const auto mice = attachedMice(hid_, primary_.presence().deviceIdTable);
    const auto attached = [&mice](const std::string& id) {
        return std::any_of(mice.begin(), mice.end(), [&id](const AttachedMouse& m) { return m.id == id; });
    };
    // Those gone since: their sessions go (and with them their locks and objects).
    const auto gone = std::remove_if(others_.begin(), others_.end(), [&](const std::unique_ptr<Session>& s) {
        return !attached(s->link().chosen());
    });
    bool changed = gone != others_.end();
    for (auto it = gone; it != others_.end(); ++it) (*it)->stopInputReader();
    others_.erase(gone, others_.end());

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
    if (changed) publish();
}

} // namespace krm::gui
