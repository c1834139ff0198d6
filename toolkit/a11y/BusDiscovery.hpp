#pragma once

// Finding the accessibility bus without ever starting a process. libatspi
// would find it itself, but with our session address set to "disabled:"
// its last road is closed, under XWayland it skips the X property, and
// with no bus at all it autolaunches one (five processes, files in the
// home folder). So the app resolves the address and hands it over.
//
// Everything here may block (an X round trip, a D-Bus call of up to the
// given timeout): it runs on the bridge's thread, never the UI thread.

#include <chrono>
#include <optional>
#include <string>

namespace ui::a11y {

// Where to look, read from the environment by the UI thread before the
// bridge's thread starts (only the UI thread touches the environment).
struct BusSources {
    std::string atSpiBusAddress;    // AT_SPI_BUS_ADDRESS
    std::string display;            // DISPLAY, for the root window's AT_SPI_BUS
    std::string sessionBusAddress;  // DBUS_SESSION_BUS_ADDRESS as it was before SDL
};

// True when `address` is a well-formed D-Bus address made only of unix:
// entries: nothing else is ever connected to.
bool isUnixAddress(const std::string& address);

// The first usable address of: AT_SPI_BUS_ADDRESS, the X root window's
// AT_SPI_BUS property, org.a11y.Bus.GetAddress on the session bus (within
// `timeout` in all). Empty when there is none.
std::optional<std::string> discoverBus(const BusSources& sources,
                                       std::chrono::milliseconds timeout);

}  // namespace ui::a11y
