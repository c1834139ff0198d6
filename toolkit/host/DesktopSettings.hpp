#pragma once

// What the desktop says about size and motion, and the window scale the
// host decides from it. On X11 two sources exist side by side:
//   - an XSETTINGS daemon (GNOME, KDE, Xfce, xsettingsd) publishes
//     `Gdk/WindowScalingFactor`, the integer scale of whole windows, and
//     `Xft/DPI`, the resolution text is set at, which the desktop's text
//     size setting raises;
//   - the `Xft.dpi` resource in the X resource database, which every
//     desktop sets and which is all a bare window manager has.
// GTK scales windows by the first and text by the second; Qt, which does
// not read XSETTINGS, scales everything by `Xft.dpi` / 96. We follow GTK
// where a daemon gives a window scale and Qt where none does, so the app
// matches its neighbours on both kinds of desktop.
//
// Nothing here knows X: the X11 reader fills DesktopSettings, and the
// functions below are plain arithmetic on it and the environment.

#include <optional>

#include "toolkit/host/XSettings.hpp"

namespace ui {

struct DesktopSettings {
    bool hasSettingsManager = false;       // an XSETTINGS daemon runs
    std::optional<int> windowScale;        // its Gdk/WindowScalingFactor
    std::optional<double> settingsDpi;     // its Xft/DPI, in dots per inch
    std::optional<bool> enableAnimations;  // its Gtk/EnableAnimations
    std::optional<double> resourceDpi;     // the Xft.dpi resource
    bool operator==(const DesktopSettings&) const = default;
};

// The settings above that an XSETTINGS daemon publishes, taken from its
// property (nothing from a property that did not parse). Values of the
// wrong type or out of range are left out.
void takeXSettings(DesktopSettings& settings, const std::optional<XSettings>& xsettings);

// The value of an `Xft.dpi` resource, when it is a positive number.
std::optional<double> parseResourceDpi(const char* text);

// The window scale the desktop asks for: the daemon's window scale when it
// gives one, else Xft.dpi / 96, else 1. A desktop value below 1 counts as
// 1 (an old 75 or 90 dpi default is no wish for a smaller window), and
// values above 4 as 4.
double desktopWindowScale(const DesktopSettings& settings);

// The scale the window opens at: NORVEL_SCALE (a number from 0.5 to 4),
// else GDK_SCALE (an integer from 1 to 4, as GTK reads it), else the
// desktop's. Values outside those ranges are ignored.
double windowScale(const DesktopSettings& settings, const char* gdkScale, const char* norvelScale);

// How much larger than the window scale the desktop wants text: the text
// resolution (the daemon's Xft/DPI, else the resource) over 96 and over the
// desktop's window scale. KDE at 150 % publishes window scale 1 and Xft/DPI
// 144: a 1x window with 1.5x text. The host keeps this for the text size
// setting; it does not scale the window by it.
double textScale(const DesktopSettings& settings);

}  // namespace ui
