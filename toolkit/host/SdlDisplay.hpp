#pragma once

// Choosing and preparing SDL's video back end. SDL, left to itself, falls
// back to an invisible "offscreen" window when there is no display, uses
// a GL-backed framebuffer where it can, and talks to the session bus for
// input methods and the screensaver. The window host wants none of that:
// a real display or a clear message, a plain software surface, and no
// connection beyond the display's.

#include <signal.h>

#include <mutex>
#include <string>
#include <thread>

namespace ui {

// The SDL video driver to use: "x11" when `display` (DISPLAY) is set,
// else "wayland" when `waylandDisplay` (WAYLAND_DISPLAY) is. A `requested`
// driver (SDL_VIDEODRIVER) is honoured only when it is one of those two
// and its display is set; "offscreen", "dummy" and the rest are ignored.
// Empty means there is no display to open a window on.
std::string chooseVideoDriver(const char* display, const char* waylandDisplay,
                              const char* requested);

// Whether SDL ended up on a driver that shows a real window.
bool isOnScreenDriver(const char* currentDriver);

// Sets SDL's hints (and the D-Bus addresses in the environment) for a
// software-presented window on `driver`. Call before SDL_Init.
void prepareSdlVideo(const std::string& driver);

// Makes Xlib's errors about windows that no longer exist harmless to the
// whole process; every other X error still goes to the handler that was
// there before (Xlib's own ends the process). Call before SDL_Init, so
// that SDL's handler passes such errors on to this one, and SDL puts this
// one back when it closes its display connections.
void tolerateX11WindowsThatAreGone();

// Ends the event loop on SIGINT and SIGTERM. SDL's own handlers only set a
// flag that its wait looks at before it sleeps, so a signal that came just
// after that look left an idle window asleep until its next input. Here
// both signals are blocked in every thread, and a thread of their own waits
// for them and posts SDL_QUIT, which wakes the loop as any event does.
class QuitOnSignals {
  public:
    // Blocks the signals in this thread and so in every thread it starts
    // later: construct it before any other thread exists.
    QuitOnSignals();
    // Stops the waiting thread and unblocks the signals again.
    ~QuitOnSignals();
    QuitOnSignals(const QuitOnSignals&) = delete;
    QuitOnSignals& operator=(const QuitOnSignals&) = delete;

    // Starts waiting; call once SDL's event queue runs.
    void start();

  private:
    void waitForSignals();

    sigset_t signals_;
    sigset_t previousMask_;
    std::mutex mutex_;
    bool open_ = true;  // false once the loop may no longer be woken
    std::thread thread_;
};

// The one line printed when there is no display. `detail` says why.
std::string noDisplayMessage(const std::string& program, const std::string& detail);

// Why a window cannot be shown, after the program's name: `cause`, SDL's
// error text (`detail`, when it says anything) and what to do instead. The
// host says this and exits rather than run on with a window nobody ever
// sees, as SDL 2.26 on Wayland without a GL stack would have it.
std::string cannotShowMessage(const std::string& cause, const std::string& driver,
                              const std::string& detail);

}  // namespace ui
