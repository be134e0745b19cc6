#include "app/gui/RgbHost.h"

#include "app/gui/QtUiPort.h"
#include "companion/CompanionSettings.h"

#include <QSocketNotifier>

#include <algorithm>
#include <cstdio>

namespace krm::gui {

namespace {

constexpr int kBusyRetryMs = 50; // writes that met other device work try again after this

void log(const std::string& line) {
    std::fprintf(stderr, "krmconfig: %s\n", line.c_str());
}

// A notifier goes once the event that may be running in it has returned.
void discard(QSocketNotifier* n) {
    n->setEnabled(false);
    n->deleteLater();
}

} // namespace

RgbHost::RgbHost(Session& session, QtUiPort& ui, Clock& clock) : session_(session), ui_(ui), clock_(clock) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &RgbHost::runServer);
}

RgbHost::~RgbHost() {
    stop();
}

bool RgbHost::start(const std::string& address, int port) {
    stop();
    mice_ = std::make_unique<rgb::SessionMice>(session_);
    server_ = std::make_unique<rgb::RgbServer>(*mice_, clock_, log);
    auto sockets = std::make_unique<rgb::RgbSockets>(*server_, log);
    std::string error;
    if (port < 0 || port > 65535 || !sockets->listen(address, static_cast<std::uint16_t>(port), error)) {
        log("rgb: the server for RGB programs is off: " +
            (error.empty() ? "no port " + std::to_string(port) : error));
        server_.reset();
        mice_.reset();
        return false;
    }
    sockets_ = std::move(sockets);
    log("rgb: serving the lighting to RGB programs on " + address + " port " +
        std::to_string(sockets_->port()));
    server_->miceChanged(); // says which mouse it offers
    sync();
    return true;
}

void RgbHost::stop() {
    timer_.stop();
    for (auto* notifiers : {&readers_, &writers_}) {
        for (auto& [fd, n] : *notifiers) discard(n);
        notifiers->clear();
    }
    sockets_.reset();
    server_.reset();
    mice_.reset();
}

bool RgbHost::busy() const {
    return ui_.inNestedEvents() || session_.refreshGuard() || session_.presence().pollRunning();
}

void RgbHost::ready(int fd, bool readable, bool writable) {
    if (!sockets_) return;
    // Requests are answered at once, even while other device work lets events run; writes wait for run().
    sockets_->ready(fd, readable, writable);
    runServer();
}

void RgbHost::runServer() {
    if (!sockets_) return;
    const auto due = server_->nextDueMs();
    if (due && *due <= clock_.tickMs()) {
        if (busy()) {
            sync();
            timer_.start(kBusyRetryMs);
            return;
        }
        // Written for another program: the mouse's settle time after each write lets the window's events
        // run meanwhile, and the busy window stays down.
        ui_.setBackgroundWrites(true);
        server_->run();
        ui_.setBackgroundWrites(false);
        if (!sockets_) return;
        sockets_->flush();
    }
    sync();
}

void RgbHost::sync() {
    if (!sockets_) return;
    const auto watches = sockets_->watches();
    std::vector<int> reading, writing;
    for (const auto& w : watches) {
        reading.push_back(w.fd);
        if (w.write) writing.push_back(w.fd);
    }
    auto update = [this](std::map<int, QSocketNotifier*>& notifiers, QSocketNotifier::Type type,
                         const std::vector<int>& fds) {
        for (auto it = notifiers.begin(); it != notifiers.end();) {
            if (std::find(fds.begin(), fds.end(), it->first) == fds.end()) {
                discard(it->second);
                it = notifiers.erase(it);
            } else {
                ++it;
            }
        }
        for (const int fd : fds) {
            if (notifiers.count(fd)) continue;
            auto* n = new QSocketNotifier(fd, type, this);
            const bool read = type == QSocketNotifier::Read;
            connect(n, &QSocketNotifier::activated, this, [this, fd, read] { ready(fd, read, !read); });
            notifiers[fd] = n;
        }
    };
    update(readers_, QSocketNotifier::Read, reading);
    update(writers_, QSocketNotifier::Write, writing);

    const auto due = server_->nextDueMs();
    if (!due) return;
    const std::uint64_t now = clock_.tickMs();
    const int wait = static_cast<int>(std::min<std::uint64_t>(*due > now ? *due - now : 0, 60'000));
    if (!timer_.isActive() || timer_.remainingTime() > wait) timer_.start(wait);
}

std::unique_ptr<RgbHost> serveRgbIfTurnedOn(Session& session, QtUiPort& ui, Clock& clock,
                                            const std::string& settingsPath) {
    const CompanionSettings settings =
        CompanionSettings::load(settingsPath.empty() ? CompanionSettings::defaultPath() : settingsPath);
    if (!settings.serveRgb) return nullptr;
    auto host = std::make_unique<RgbHost>(session, ui, clock);
    host->start(settings.rgbAddress, settings.rgbPort);
    return host;
}

} // namespace krm::gui
