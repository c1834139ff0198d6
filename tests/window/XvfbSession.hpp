#pragma once

// Real-window tests: a private X server (Xvfb) per session, a program
// started on it with its output on pipes, and xdotool, xclip and
// ImageMagick's `import` to drive it and look at it the way a person at
// the screen would.
//
// Typical use:
//     XvfbSession x;
//     XVFB_START_OR_SKIP(x);                       // skips when tools are missing
//     auto app = x.launch(path, {});
//     auto window = x.findWindow(app->pid(), "Norvel Health", 10);
//     x.press({24, 24}); x.hold(2.0); x.release();
//     app->waitForLine([](auto& l) { return l == "state alert=0 sheet=1"; }, 5);
//     x.terminate(*app);                           // SIGTERM, exit code
//
// Everything waits by polling with a deadline; only a held press (which
// is the input itself) sleeps for a fixed time.

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace xvfb {

// The outcome of a finished child: its exit code, or minus the number of
// the signal that ended it; empty when it did not end in time.
using ExitStatus = std::optional<int>;

struct CommandResult {
    int exitCode = -1;  // -1 also when it timed out and was killed
    bool timedOut = false;
    std::string out;
    std::string err;
};

// Environment changes for a child: "NAME=value" sets, "NAME" unsets.
using EnvChanges = std::vector<std::string>;

// Runs `argv` (no shell) to completion, with its output captured; kills it
// after `timeoutSeconds`.
CommandResult runCommand(const std::vector<std::string>& argv, const EnvChanges& env,
                         double timeoutSeconds);

// The programs real-window tests need that are not on PATH, by name.
std::vector<std::string> missingTools();
bool onPath(const std::string& program);

// A program started by the session, with standard output and error on
// pipes. It is killed (SIGKILL) when this object goes, if still running.
class AppProcess {
  public:
    AppProcess(pid_t pid, int outFd, int errFd);
    ~AppProcess();
    AppProcess(const AppProcess&) = delete;
    AppProcess& operator=(const AppProcess&) = delete;

    pid_t pid() const { return pid_; }
    // When fork() returned, on the steady clock, in milliseconds.
    double startedAtMs() const { return startedAtMs_; }

    // The next whole line of standard output, waiting up to the timeout.
    std::optional<std::string> nextLine(double timeoutSeconds);
    // Reads lines, handing each to `onLine`, until `done` holds for one
    // (true) or the timeout passes (false). With `onLine` every line is
    // seen, also those read before the match.
    bool waitForLine(const std::function<bool(const std::string&)>& done, double timeoutSeconds,
                     const std::function<void(const std::string&)>& onLine = {});
    // Every line read so far, and standard error so far.
    const std::vector<std::string>& lines() const { return lines_; }
    std::string errorOutput();

    bool signal(int sig);
    // Waits for the process to end; reads its remaining output meanwhile.
    ExitStatus waitExit(double timeoutSeconds);
    bool running();

  private:
    // Reads what is available within `timeoutMs`; false at end of both pipes.
    bool pump(int timeoutMs);

    pid_t pid_;
    int outFd_;
    int errFd_;
    double startedAtMs_;
    std::string outBuffer_;
    std::string errBuffer_;
    std::vector<std::string> lines_;
    std::size_t delivered_ = 0;  // lines handed out by nextLine
    ExitStatus exit_;
};

// Starts `argv` (no shell) in the background, both outputs appended to
// `logPath`: for servers and daemons a test runs beside the app.
std::unique_ptr<AppProcess> startInBackground(const std::vector<std::string>& argv,
                                              const EnvChanges& env, const std::string& logPath);

struct WindowGeometry {
    unsigned long id = 0;
    int x = 0;  // on the root window, in pixels
    int y = 0;
    int width = 0;
    int height = 0;
};

struct Rgb {
    int r = 0, g = 0, b = 0;
};

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // 3 bytes a pixel, rows top to bottom
    Rgb pixel(int x, int y) const;
};

// A PNG's pixels as the window would show them: where the snapshot tool's
// image is partly transparent (the last column or row of a size that ends
// inside a pixel), the window, which has no transparency, shows the same
// premultiplied colour, that is, the colour over black.
std::optional<Image> readPng(const std::string& path);

// Point coordinates for input, in the window's own points.
struct WindowPoint {
    double x = 0;
    double y = 0;
};

class XvfbSession {
  public:
    XvfbSession() = default;
    // Ends the X server; launched programs end with their AppProcess.
    ~XvfbSession();
    XvfbSession(const XvfbSession&) = delete;
    XvfbSession& operator=(const XvfbSession&) = delete;

    // Starts Xvfb on a display it picks itself (-displayfd) with one screen
    // of `screen` (WxHxDEPTH) and waits until xdpyinfo answers. On failure
    // returns false and says why in `error`.
    static constexpr const char* kDefaultScreen = "1280x1024x24";
    bool start(std::string& error, double timeoutSeconds = 10,
               const std::string& screen = kDefaultScreen);
    const std::string& display() const { return display_; }

    // Starts `program` with DISPLAY set to this server, plus `env` changes.
    // What a developer's own desktop would add is taken out first: a
    // Wayland display, GDK_SCALE, NORVEL_SCALE, SDL_VIDEODRIVER.
    std::unique_ptr<AppProcess> launch(const std::string& program,
                                       const std::vector<std::string>& args = {},
                                       const EnvChanges& env = {});

    // Polls for a visible window of `pid` (any process when 0) named
    // `title` and makes it the window that input and screenshots address. `pixelsPerPoint` maps the
    // window's points to its pixels (its NORVEL_SCALE, 1 by default).
    std::optional<WindowGeometry> findWindow(pid_t pid, const std::string& title,
                                             double timeoutSeconds, double pixelsPerPoint = 1);
    const WindowGeometry& window() const { return window_; }
    std::optional<WindowGeometry> geometry(unsigned long id);
    // The process that owns the current window, as it says itself.
    std::optional<pid_t> windowPid();

    // Pointer and keys, at points of the current window. Each call returns
    // once the X server has taken the input.
    bool moveTo(WindowPoint p);
    bool press(WindowPoint p, int button = 1);
    bool release(int button = 1);
    bool click(WindowPoint p, int button = 1);
    // Presses at `p`, keeps the button down for `seconds`, releases.
    bool hold(WindowPoint p, double seconds);
    bool key(const std::string& keysym);
    // Gives the focus away from the window, then gives it back and clicks
    // at once, as a click on an unfocused window does.
    bool focusElsewhereThenClick(WindowPoint p);  // xdotool names: Escape, Return, Page_Down...

    // Asks the window to close, as a window manager's close button does
    // (a WM_DELETE_WINDOW message).
    bool closeWindow();

    // The CLIPBOARD selection's text, or empty when nobody owns it.
    std::optional<std::string> clipboard(double timeoutSeconds = 5);

    // Asks for the CLIPBOARD selection from a window that is destroyed at
    // once, as a clipboard reader that gives up or quits does, so that the
    // owner's answer names a window that is gone; then asks again from a
    // window that stays and returns the text that answer brings. The owner
    // answers in order, so the first answer has been sent by then.
    std::optional<std::string> clipboardAfterAVanishedReader(double timeoutSeconds);

    // The current window's pixels, or the whole screen.
    std::optional<Image> screenshot();
    bool screenshotPng(const std::string& path);

    // Sends SIGTERM and waits for the exit status.
    ExitStatus terminate(AppProcess& app, double timeoutSeconds = 10);

    // Runs a command against this display.
    CommandResult x(const std::vector<std::string>& argv, double timeoutSeconds = 10);

  private:
    bool xdotool(const std::vector<std::string>& args);
    std::pair<int, int> toScreen(WindowPoint p) const;

    pid_t server_ = -1;
    std::string display_;
    std::string logPath_;
    WindowGeometry window_;
    double pixelsPerPoint_ = 1;
};

}  // namespace xvfb

// Starts the session, or skips the test when the tools are missing. A
// server that should start but does not is a failure, not a skip.
#define XVFB_START_OR_SKIP(session) \
    XVFB_START_SCREEN_OR_SKIP(session, ::xvfb::XvfbSession::kDefaultScreen)
#define XVFB_START_SCREEN_OR_SKIP(session, screen)                                              \
    do {                                                                                        \
        auto missing_ = ::xvfb::missingTools();                                                 \
        if (!missing_.empty()) {                                                                \
            std::string names_;                                                                 \
            for (const auto& n_ : missing_) names_ += " " + n_;                                 \
            GTEST_SKIP() << "real-window tools missing:" << names_                              \
                         << " (scripts/install-deps installs them)";                            \
        }                                                                                       \
        std::string error_;                                                                     \
        ASSERT_TRUE((session).start(error_, 10, (screen))) << "Xvfb did not start: " << error_; \
    } while (0)
