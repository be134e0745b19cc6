#pragma once

#include "session/Session.h"

#include <functional>
#include <vector>

namespace krm::rgb {

// The mice the RGB server offers, one controller each, in controller order. Whoever owns the sessions
// calls `changed` when the list changes (a mouse read, lost, added or removed) and before a session in
// it is destroyed; the server then tells its clients to fetch the list again.
class RgbMice {
public:
    virtual ~RgbMice() = default;
    virtual std::vector<Session*> sessions() const = 0;
    std::function<void()> changed;
};

// One session's mouse, offered while the session has it open and read: its image reads and the loss of
// the mouse change the list.
class SessionMice final : public RgbMice, public SessionObserver {
public:
    explicit SessionMice(Session& session) : session_(session) { session_.addObserver(this); }
    ~SessionMice() override { session_.removeObserver(this); }
    SessionMice(const SessionMice&) = delete;
    SessionMice& operator=(const SessionMice&) = delete;

    std::vector<Session*> sessions() const override {
        if (session_.mouseOpen() && session_.lighting().type()) return {&session_};
        return {};
    }
    void imageRead() override { tell(); }
    void pagesReset() override { tell(); }

private:
    void tell() {
        if (changed) changed();
    }
    Session& session_;
};

} // namespace krm::rgb
