#pragma once

// The desktop's settings as an X11 session publishes them, read on SDL's
// own connection to the X server and kept up to date while the app runs:
//   - the XSETTINGS daemon's property (`_XSETTINGS_SETTINGS` on the window
//     that owns the `_XSETTINGS_S<screen>` selection), re-read when the
//     property changes, when a daemon announces itself with a MANAGER
//     message on the root window, and when its window goes;
//   - the `Xft.dpi` resource, re-read when RESOURCE_MANAGER on the root
//     window changes (xrdb -merge).
// SDL hands us the X events through SDL_SYSWMEVENT; the window host
// passes each one to handle().

#include <memory>

#include "toolkit/host/DesktopSettings.hpp"

struct SDL_Window;
union SDL_Event;
struct _XDisplay;

namespace ui {

class X11DesktopSettings {
  public:
    // Starts watching the settings on the X connection behind `window`, or
    // returns nullptr when SDL does not show it through X11.
    static std::unique_ptr<X11DesktopSettings> watch(SDL_Window* window);
    ~X11DesktopSettings();
    X11DesktopSettings(const X11DesktopSettings&) = delete;
    X11DesktopSettings& operator=(const X11DesktopSettings&) = delete;

    const DesktopSettings& settings() const { return settings_; }

    // Looks at one event; true when it changed the settings.
    bool handle(const SDL_Event& event);

  private:
    X11DesktopSettings(_XDisplay* display, int screen);

    void findSettingsManager();
    void readSettingsManager();
    void readResources();

    _XDisplay* display_;
    unsigned long root_ = 0;
    unsigned long selection_ = 0;     // the atom _XSETTINGS_S<screen>
    unsigned long settingsAtom_ = 0;  // _XSETTINGS_SETTINGS
    unsigned long managerAtom_ = 0;   // MANAGER
    unsigned long manager_ = 0;       // the daemon's window, 0 when none runs
    DesktopSettings settings_;
};

}  // namespace ui
