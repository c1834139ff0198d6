#include "toolkit/a11y/PeerToPeer.hpp"

#include <atspi/atspi.h>
#include <dbus/dbus.h>
#include <dlfcn.h>

namespace ui::a11y {

namespace {

using AddClient = void (*)(const char* busName);

AddClient addClientHook() {
    static AddClient hook = reinterpret_cast<AddClient>(dlsym(RTLD_DEFAULT, "spi_atk_add_client"));
    return hook;
}

// libdbus runs filters before the bridge's object handlers, so this answer
// is the only one the client gets.
DBusHandlerResult answerWithoutSocket(DBusConnection* connection, DBusMessage* message, void*) {
    if (!dbus_message_is_method_call(message, "org.a11y.atspi.Application",
                                     "GetApplicationBusAddress")) {
        return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
    }
    if (const char* sender = dbus_message_get_sender(message)) addClientHook()(sender);
    DBusMessage* reply = dbus_message_new_method_return(message);
    if (!reply) return DBUS_HANDLER_RESULT_NEED_MEMORY;
    const char* none = "";
    dbus_message_append_args(reply, DBUS_TYPE_STRING, &none, DBUS_TYPE_INVALID);
    dbus_connection_send(connection, reply, nullptr);
    dbus_message_unref(reply);
    return DBUS_HANDLER_RESULT_HANDLED;
}

}  // namespace

bool peerToPeerHookFound() {
    return addClientHook() != nullptr;
}

void refusePeerToPeer() {
    if (!addClientHook()) return;
    if (DBusConnection* bus = atspi_get_a11y_bus()) {
        dbus_connection_add_filter(bus, answerWithoutSocket, nullptr, nullptr);
    }
}

}  // namespace ui::a11y
