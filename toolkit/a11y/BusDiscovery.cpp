#include "toolkit/a11y/BusDiscovery.hpp"

#include <dbus/dbus.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace ui::a11y {

namespace {

using Clock = std::chrono::steady_clock;

int millisecondsLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::max<long long>(left.count(), 0));
}

// The property the bus launcher puts on the X root window of the first
// screen. Under XWayland it is there too, for X clients like this one.
std::optional<std::string> rootWindowProperty(const std::string& display) {
    if (display.empty()) return std::nullopt;
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(display.c_str(), &screenNumber);
    std::unique_ptr<xcb_connection_t, void (*)(xcb_connection_t*)> owner(c, xcb_disconnect);
    if (xcb_connection_has_error(c)) return std::nullopt;
    const char name[] = "AT_SPI_BUS";
    std::unique_ptr<xcb_intern_atom_reply_t, void (*)(void*)> atom(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, sizeof name - 1, name), nullptr), free);
    if (!atom || atom->atom == XCB_ATOM_NONE) return std::nullopt;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && screens.rem; ++i) xcb_screen_next(&screens);
    if (!screens.rem) return std::nullopt;
    auto cookie = xcb_get_property(c, 0, screens.data->root, atom->atom, XCB_ATOM_STRING, 0, 1024);
    std::unique_ptr<xcb_get_property_reply_t, void (*)(void*)> reply(
        xcb_get_property_reply(c, cookie, nullptr), free);
    if (!reply || reply->format != 8) return std::nullopt;
    const char* value = static_cast<const char*>(xcb_get_property_value(reply.get()));
    std::string address(value,
                        static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
    if (address.empty()) return std::nullopt;
    return address;
}

// One blocking call on a private connection, within the deadline.
DBusMessage* call(DBusConnection* c, const char* destination, const char* path,
                  const char* interface, const char* method, Clock::time_point deadline) {
    DBusMessage* message = dbus_message_new_method_call(destination, path, interface, method);
    if (!message) return nullptr;
    DBusError error;
    dbus_error_init(&error);
    DBusMessage* reply =
        dbus_connection_send_with_reply_and_block(c, message, millisecondsLeft(deadline), &error);
    dbus_message_unref(message);
    dbus_error_free(&error);
    return reply;
}

// org.a11y.Bus.GetAddress on the session bus. The Hello goes through the
// same deadline as the question itself, so a bus or a bus owner that never
// answers costs at most the timeout, not libdbus's 25 seconds.
std::optional<std::string> askSessionBus(const std::string& session, Clock::time_point deadline) {
    DBusError error;
    dbus_error_init(&error);
    DBusConnection* c = dbus_connection_open_private(session.c_str(), &error);
    dbus_error_free(&error);
    if (!c) return std::nullopt;
    dbus_connection_set_exit_on_disconnect(c, FALSE);
    std::optional<std::string> address;
    DBusMessage* hello =
        call(c, DBUS_SERVICE_DBUS, DBUS_PATH_DBUS, DBUS_INTERFACE_DBUS, "Hello", deadline);
    if (hello) {
        dbus_message_unref(hello);
        DBusMessage* reply =
            call(c, "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", deadline);
        const char* value = nullptr;
        if (reply &&
            dbus_message_get_args(reply, nullptr, DBUS_TYPE_STRING, &value, DBUS_TYPE_INVALID)) {
            address = value;
        }
        if (reply) dbus_message_unref(reply);
    }
    dbus_connection_close(c);
    dbus_connection_unref(c);
    return address;
}

}  // namespace

bool isUnixAddress(const std::string& address) {
    DBusAddressEntry** entries = nullptr;
    int count = 0;
    DBusError error;
    dbus_error_init(&error);
    if (!dbus_parse_address(address.c_str(), &entries, &count, &error)) {
        dbus_error_free(&error);
        return false;
    }
    bool unix = count > 0;
    for (int i = 0; i < count; ++i) {
        const char* method = dbus_address_entry_get_method(entries[i]);
        unix = unix && method && std::string(method) == "unix";
    }
    dbus_address_entries_free(entries);
    return unix;
}

std::optional<std::string> discoverBus(const BusSources& sources,
                                       std::chrono::milliseconds timeout) {
    auto deadline = Clock::now() + timeout;
    if (isUnixAddress(sources.atSpiBusAddress)) return sources.atSpiBusAddress;
    if (auto fromX = rootWindowProperty(sources.display); fromX && isUnixAddress(*fromX)) {
        return fromX;
    }
    if (!isUnixAddress(sources.sessionBusAddress)) return std::nullopt;
    auto fromSession = askSessionBus(sources.sessionBusAddress, deadline);
    if (fromSession && isUnixAddress(*fromSession)) return fromSession;
    return std::nullopt;
}

}  // namespace ui::a11y
