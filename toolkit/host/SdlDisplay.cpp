#include "toolkit/host/SdlDisplay.hpp"

#include <SDL.h>
#include <X11/Xlib.h>

#include <cstdlib>
#include <cstring>

namespace ui {

namespace {

bool isSet(const char* value) {
    return value && *value;
}

XErrorHandler gPreviousX11ErrorHandler = nullptr;

// Another client's window may go at any moment, and a request naming it
// then fails with BadWindow however carefully it was made: a clipboard
// reader that gives up before SDL answers it, or SDL's wake-up message to
// our own window when another thread wakes the loop just as the window is
// closed and destroyed. Such a request has nobody left to serve, so the
// error is dropped, as desktop toolkits do, instead of letting Xlib's
// default handler end the app with exit code 1.
int ignoreWindowsThatAreGone(Display* display, XErrorEvent* error) {
    if (error->error_code == BadWindow) return 0;
    return gPreviousX11ErrorHandler ? gPreviousX11ErrorHandler(display, error) : 0;
}

// One line, whatever SDL put into its error text.
std::string oneLine(std::string line) {
    for (char& c : line) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    return line;
}

}  // namespace

std::string chooseVideoDriver(const char* display, const char* waylandDisplay,
                              const char* requested) {
    if (isSet(requested)) {
        if (std::strcmp(requested, "x11") == 0 && isSet(display)) return "x11";
        if (std::strcmp(requested, "wayland") == 0 && isSet(waylandDisplay)) return "wayland";
    }
    // SDL itself prefers X11 where both exist (XWayland), and so do we:
    // it is the back end the real-window tests exercise.
    if (isSet(display)) return "x11";
    if (isSet(waylandDisplay)) return "wayland";
    return "";
}

bool isOnScreenDriver(const char* currentDriver) {
    return currentDriver &&
           (std::strcmp(currentDriver, "x11") == 0 || std::strcmp(currentDriver, "wayland") == 0);
}

void prepareSdlVideo(const std::string& driver) {
    // Exactly the driver we chose: SDL would otherwise walk its list and
    // may land on "offscreen", which opens nothing anyone can see.
    SDL_SetHint(SDL_HINT_VIDEODRIVER, driver.c_str());

    // A plain software surface: no GL context, no accelerated renderer.
    // Our frames are already rasterised by Cairo, and a GL stack would cost
    // start-up time and memory for a copy SDL can do itself.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");

    // A patient companion must not keep the machine awake, nor ask the
    // compositor to step aside as a full-screen game would.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");

    // The app takes no text input, so input methods have nothing to do.
    SDL_SetHint(SDL_HINT_IME_SHOW_UI, "0");
    SDL_SetHint(SDL_HINT_IME_INTERNAL_EDITING, "0");

    // Touches arrive as finger events and the host maps them itself; SDL's
    // synthesised mouse events would deliver every touch twice.
    SDL_SetHint(SDL_HINT_TOUCH_MOUSE_EVENTS, "0");
    SDL_SetHint(SDL_HINT_MOUSE_TOUCH_EVENTS, "0");

    // A press that gives the window the focus is a press like any other,
    // as a tap on a phone is. SDL would drop a press it handles within
    // 10 ms of handling the focus change, which on a busy machine is any
    // press that came soon after, however much later it is handled.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");

    // SIGINT and SIGTERM are the host's business (QuitOnSignals): SDL's own
    // handlers could miss waking an idle loop.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");

    // SDL asks the session bus for an input-method context (IBus) and the
    // system bus for real-time scheduling whenever libdbus is installed,
    // and with no bus address libdbus would even try to launch a bus. An
    // address of a kind libdbus does not know makes every attempt fail at
    // once without a socket, so the app's only connection is the display.
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
    setenv("DBUS_SYSTEM_BUS_ADDRESS", "disabled:", 1);
}

void tolerateX11WindowsThatAreGone() {
    XErrorHandler previous = XSetErrorHandler(ignoreWindowsThatAreGone);
    // A second host in the same process must not make the handler its own
    // predecessor.
    if (previous != ignoreWindowsThatAreGone) gPreviousX11ErrorHandler = previous;
}

QuitOnSignals::QuitOnSignals() {
    sigemptyset(&signals_);
    sigaddset(&signals_, SIGINT);
    sigaddset(&signals_, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals_, &previousMask_);
}

QuitOnSignals::~QuitOnSignals() {
    {
        std::lock_guard lock(mutex_);
        open_ = false;
    }
    if (thread_.joinable()) {
        // Aimed at the waiting thread alone, this only ends its wait.
        pthread_kill(thread_.native_handle(), SIGTERM);
        thread_.join();
    }
    pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
}

void QuitOnSignals::start() {
    if (!thread_.joinable()) thread_ = std::thread([this] { waitForSignals(); });
}

void QuitOnSignals::waitForSignals() {
    for (;;) {
        int signal = 0;
        if (sigwait(&signals_, &signal) != 0) continue;
        std::lock_guard lock(mutex_);
        if (!open_) return;
        SDL_Event quit{};
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
    }
}

std::string noDisplayMessage(const std::string& program, const std::string& detail) {
    std::string line = program + ": no display to open a window on";
    if (!detail.empty()) line += " (" + detail + ")";
    // An installed copy has no Makefile; the snapshot tool is installed
    // beside the app and renders the same screen without a display.
    line += "; `norvel-snapshot --png FILE` renders the screen to a PNG instead";
    return oneLine(std::move(line));
}

std::string cannotShowMessage(const std::string& cause, const std::string& driver,
                              const std::string& detail) {
    std::string line = cause;
    if (!detail.empty()) line += " (" + detail + ")";
    // The X11 back end is the one that works everywhere today: on a Wayland
    // desktop that is Xwayland, which GNOME and KDE start by themselves.
    if (driver == "wayland") {
        line += "; start it under X11 or Xwayland (with DISPLAY set)";
    } else {
        line += "; check that the X server at DISPLAY accepts this program";
    }
    return oneLine(std::move(line));
}

}  // namespace ui
