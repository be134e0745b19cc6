#include "app/ctl/BusOwnerLink.h"

#include "app/ctl/BusNames.h"
#include "app/ctl/Output.h"

#include <dbus/dbus.h>

#include <chrono>
#include <memory>

namespace krm::ctl {

namespace {

struct Error {
    DBusError e;
    Error() { dbus_error_init(&e); }
    ~Error() { dbus_error_free(&e); }
    bool set() const { return dbus_error_is_set(&e); }
    std::string text() const { return set() && e.message ? e.message : "no answer"; }
};

struct MessageFree {
    void operator()(DBusMessage* m) const { dbus_message_unref(m); }
};
using Message = std::unique_ptr<DBusMessage, MessageFree>;

struct PendingFree {
    void operator()(DBusPendingCall* p) const { dbus_pending_call_unref(p); }
};

} // namespace

struct BusOwnerLink::Connection {
    DBusConnection* bus = nullptr;
    ~Connection() {
        if (!bus) return;
        dbus_connection_close(bus);
        dbus_connection_unref(bus);
    }
};

BusOwnerLink::~BusOwnerLink() {
    delete connection_;
}

std::optional<ClientRun> BusOwnerLink::run(const std::string& node, const std::vector<std::string>& args,
                                           const std::string& cwd, std::string& why) {
    if (!connection_) {
        connection_ = new Connection;
        Error error;
        connection_->bus = dbus_bus_get_private(DBUS_BUS_SESSION, &error.e);
        if (!connection_->bus) {
            why = "no session bus: " + error.text();
            return std::nullopt;
        }
        dbus_connection_set_exit_on_disconnect(connection_->bus, FALSE);
    }
    DBusConnection* bus = connection_->bus;
    if (!bus) return std::nullopt;

    // Which of the owner's objects is that mouse; a program that does not serve it answers nothing.
    Message find(dbus_message_new_method_call(bus::kServiceName, bus::kRootPath, bus::kConfiguratorInterface,
                                              "FindMouse"));
    dbus_message_set_auto_start(find.get(), FALSE); // the holder is running, or it is not ours
    const char* nodeText = node.c_str();
    dbus_message_append_args(find.get(), DBUS_TYPE_STRING, &nodeText, DBUS_TYPE_INVALID);
    Error error;
    Message found(dbus_connection_send_with_reply_and_block(bus, find.get(), 5000, &error.e));
    const char* path = nullptr;
    if (!found ||
        !dbus_message_get_args(found.get(), &error.e, DBUS_TYPE_OBJECT_PATH, &path, DBUS_TYPE_INVALID)) {
        why = error.text();
        return std::nullopt;
    }

    Message call(dbus_message_new_method_call(bus::kServiceName, path, bus::kMouseInterface, "RunKrmctl"));
    DBusMessageIter it, array;
    dbus_message_iter_init_append(call.get(), &it);
    dbus_message_iter_open_container(&it, DBUS_TYPE_ARRAY, DBUS_TYPE_STRING_AS_STRING, &array);
    for (const auto& a : args) {
        const char* text = a.c_str();
        dbus_message_iter_append_basic(&array, DBUS_TYPE_STRING, &text);
    }
    dbus_message_iter_close_container(&it, &array);
    const char* cwdText = cwd.c_str();
    dbus_message_iter_append_basic(&it, DBUS_TYPE_STRING, &cwdText);

    DBusPendingCall* raw = nullptr;
    if (!dbus_connection_send_with_reply(bus, call.get(), &raw, kReplyWaitMs) || !raw) {
        why = "the call could not be sent";
        return std::nullopt;
    }
    std::unique_ptr<DBusPendingCall, PendingFree> pending(raw);
    // The owner may be busy with the mouse (its own write, another client's command): krmctl waits
    // its turn and says so.
    const auto began = std::chrono::steady_clock::now();
    bool told = false;
    while (!dbus_pending_call_get_completed(pending.get())) {
        if (!dbus_connection_read_write_dispatch(bus, 100)) break;
        if (!told && std::chrono::steady_clock::now() - began > std::chrono::milliseconds(kSayWaitingMs)) {
            err("krmctl: waiting for the program that has the mouse to carry the command out (at most %d "
                "s)\n",
                kReplyWaitMs / 1000);
            told = true;
        }
    }
    Message reply(dbus_pending_call_steal_reply(pending.get()));
    if (!reply) {
        why = "the owner did not answer";
        return std::nullopt;
    }
    if (dbus_message_get_type(reply.get()) == DBUS_MESSAGE_TYPE_ERROR) {
        dbus_set_error_from_message(&error.e, reply.get());
        why = error.text();
        return std::nullopt;
    }
    dbus_int32_t code = 0;
    const char* outText = nullptr;
    const char* errText = nullptr;
    if (!dbus_message_get_args(reply.get(), &error.e, DBUS_TYPE_INT32, &code, DBUS_TYPE_STRING, &outText,
                               DBUS_TYPE_STRING, &errText, DBUS_TYPE_INVALID)) {
        why = error.text();
        return std::nullopt;
    }
    return ClientRun{code, outText, errText};
}

} // namespace krm::ctl
