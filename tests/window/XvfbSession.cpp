#include "tests/window/XvfbSession.hpp"

#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace xvfb {

namespace {

double steadyMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

void sleepMs(double ms) {
    std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(ms));
}

// The parent's environment with `changes` applied.
std::vector<std::string> childEnvironment(const EnvChanges& changes) {
    std::vector<std::string> env;
    for (char** e = environ; e && *e; ++e) env.emplace_back(*e);
    for (const std::string& change : changes) {
        std::string name = change.substr(0, change.find('='));
        std::erase_if(env, [&](const std::string& entry) {
            return entry.compare(0, name.size() + 1, name + "=") == 0;
        });
        if (change.find('=') != std::string::npos) env.push_back(change);
    }
    return env;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> result;
    for (std::string& s : strings) result.push_back(s.data());
    result.push_back(nullptr);
    return result;
}

struct Spawned {
    pid_t pid = -1;
    int out = -1;  // read ends, -1 when not captured
    int err = -1;
};

struct SpawnOptions {
    bool captureOut = true;
    bool captureErr = true;
    std::string outputFile;  // when not captured: append both here (else /dev/null)
    int passFd = -1;         // handed to the child as `passAs`
    int passAs = -1;
};

// fork + exec without a shell. Everything the child needs is prepared
// before fork, so the child only calls async-signal-safe functions.
Spawned spawn(std::vector<std::string> argv, const EnvChanges& changes, const SpawnOptions& o) {
    std::vector<std::string> env = childEnvironment(changes);
    std::vector<char*> argvp = pointers(argv);
    std::vector<char*> envp = pointers(env);

    int outPipe[2] = {-1, -1}, errPipe[2] = {-1, -1};
    if (o.captureOut && pipe2(outPipe, O_CLOEXEC) != 0) return {};
    if (o.captureErr && pipe2(errPipe, O_CLOEXEC) != 0) return {};
    int devNull = open("/dev/null", O_RDWR | O_CLOEXEC);
    int sink = o.outputFile.empty()
                   ? devNull
                   : open(o.outputFile.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);

    pid_t pid = fork();
    if (pid == 0) {
        dup2(devNull, 0);
        dup2(o.captureOut ? outPipe[1] : sink, 1);
        dup2(o.captureErr ? errPipe[1] : sink, 2);
        if (o.passFd >= 0) {
            if (o.passFd == o.passAs) {
                fcntl(o.passFd, F_SETFD, 0);
            } else {
                dup2(o.passFd, o.passAs);
            }
        }
        execvpe(argvp[0], argvp.data(), envp.data());
        _exit(127);
    }
    if (outPipe[1] >= 0) close(outPipe[1]);
    if (errPipe[1] >= 0) close(errPipe[1]);
    if (sink != devNull && sink >= 0) close(sink);
    if (devNull >= 0) close(devNull);
    if (pid < 0) {
        if (outPipe[0] >= 0) close(outPipe[0]);
        if (errPipe[0] >= 0) close(errPipe[0]);
        return {};
    }
    return {pid, outPipe[0], errPipe[0]};
}

// Reads what is there on `fd` into `into`; false at end of file.
bool drain(int fd, std::string& into) {
    char buffer[4096];
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) {
        into.append(buffer, static_cast<std::size_t>(n));
        return true;
    }
    return n < 0 && (errno == EAGAIN || errno == EINTR);
}

int decodeStatus(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return -WTERMSIG(status);
    return -1000;
}

}  // namespace

bool onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0) return true;
    }
    return false;
}

namespace {

std::string tail(const std::string& path, std::size_t bytes = 600) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    std::string text = s.str();
    return text.size() > bytes ? text.substr(text.size() - bytes) : text;
}

}  // namespace

CommandResult runCommand(const std::vector<std::string>& argv, const EnvChanges& env,
                         double timeoutSeconds) {
    CommandResult result;
    Spawned child = spawn(argv, env, {});
    if (child.pid < 0) return result;
    double deadline = steadyMs() + timeoutSeconds * 1000;
    bool outOpen = true, errOpen = true;
    while (outOpen || errOpen) {
        double left = deadline - steadyMs();
        if (left <= 0) {
            result.timedOut = true;
            kill(child.pid, SIGKILL);
            break;
        }
        pollfd fds[2] = {{child.out, POLLIN, 0}, {child.err, POLLIN, 0}};
        if (!outOpen) fds[0].fd = -1;
        if (!errOpen) fds[1].fd = -1;
        if (poll(fds, 2, static_cast<int>(std::ceil(left))) < 0 && errno != EINTR) break;
        if (outOpen && fds[0].revents) outOpen = drain(child.out, result.out);
        if (errOpen && fds[1].revents) errOpen = drain(child.err, result.err);
    }
    close(child.out);
    close(child.err);
    int status = 0;
    while (waitpid(child.pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exitCode = result.timedOut ? -1 : decodeStatus(status);
    return result;
}

std::unique_ptr<AppProcess> startInBackground(const std::vector<std::string>& argv,
                                              const EnvChanges& env, const std::string& logPath) {
    SpawnOptions options;
    options.captureOut = false;
    options.captureErr = false;
    options.outputFile = logPath;
    Spawned child = spawn(argv, env, options);
    if (child.pid < 0) return nullptr;
    return std::make_unique<AppProcess>(child.pid, -1, -1);
}

std::vector<std::string> missingTools() {
    std::vector<std::string> missing;
    for (const char* tool : {"Xvfb", "xdpyinfo", "xdotool", "xclip", "import"}) {
        if (!onPath(tool)) missing.emplace_back(tool);
    }
    return missing;
}

// ---- AppProcess ----------------------------------------------------------

AppProcess::AppProcess(pid_t pid, int outFd, int errFd)
    : pid_(pid), outFd_(outFd), errFd_(errFd), startedAtMs_(steadyMs()) {}

AppProcess::~AppProcess() {
    if (!exit_ && pid_ > 0) {
        kill(pid_, SIGKILL);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
    if (outFd_ >= 0) close(outFd_);
    if (errFd_ >= 0) close(errFd_);
}

bool AppProcess::pump(int timeoutMs) {
    if (outFd_ < 0 && errFd_ < 0) return false;
    pollfd fds[2] = {{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}};
    int n = poll(fds, 2, timeoutMs);
    if (n <= 0) return true;
    if (outFd_ >= 0 && fds[0].revents) {
        if (!drain(outFd_, outBuffer_)) {
            close(outFd_);
            outFd_ = -1;
        }
        std::size_t end;
        while ((end = outBuffer_.find('\n')) != std::string::npos) {
            lines_.push_back(outBuffer_.substr(0, end));
            outBuffer_.erase(0, end + 1);
        }
    }
    if (errFd_ >= 0 && fds[1].revents) {
        if (!drain(errFd_, errBuffer_)) {
            close(errFd_);
            errFd_ = -1;
        }
    }
    return true;
}

std::optional<std::string> AppProcess::nextLine(double timeoutSeconds) {
    double deadline = steadyMs() + timeoutSeconds * 1000;
    while (delivered_ >= lines_.size()) {
        double left = deadline - steadyMs();
        if (left <= 0) return std::nullopt;
        if (!pump(static_cast<int>(std::ceil(left)))) return std::nullopt;
    }
    return lines_[delivered_++];
}

bool AppProcess::waitForLine(const std::function<bool(const std::string&)>& done,
                             double timeoutSeconds,
                             const std::function<void(const std::string&)>& onLine) {
    double deadline = steadyMs() + timeoutSeconds * 1000;
    for (;;) {
        double left = (deadline - steadyMs()) / 1000;
        if (left <= 0) return false;
        auto line = nextLine(left);
        if (!line) return false;
        if (onLine) onLine(*line);
        if (done(*line)) return true;
    }
}

std::string AppProcess::errorOutput() {
    while (errFd_ >= 0) {
        pollfd fd{errFd_, POLLIN, 0};
        if (poll(&fd, 1, 0) <= 0) break;
        pump(0);
    }
    return errBuffer_;
}

bool AppProcess::signal(int sig) {
    return !exit_ && kill(pid_, sig) == 0;
}

bool AppProcess::running() {
    if (exit_) return false;
    int status = 0;
    pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
        exit_ = decodeStatus(status);
        return false;
    }
    return true;
}

ExitStatus AppProcess::waitExit(double timeoutSeconds) {
    double deadline = steadyMs() + timeoutSeconds * 1000;
    while (running()) {
        if (steadyMs() >= deadline) return std::nullopt;
        // Keep the pipes drained: a child blocked on a full pipe never ends.
        if (!pump(20)) sleepMs(20);
    }
    // Whatever it wrote before it ended (bounded: a child of its own could
    // hold the pipes open).
    double drainUntil = steadyMs() + 1000;
    while ((outFd_ >= 0 || errFd_ >= 0) && steadyMs() < drainUntil) pump(50);
    return exit_;
}

// ---- Image ---------------------------------------------------------------

Rgb Image::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return {-1, -1, -1};
    std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
}

namespace {

// Reads a binary PPM (P6, 8 bits a sample) as ImageMagick writes it.
std::optional<Image> parsePpm(const std::string& data) {
    std::size_t pos = 0;
    auto token = [&]() -> std::string {
        while (pos < data.size()) {
            if (data[pos] == '#') {
                while (pos < data.size() && data[pos] != '\n') ++pos;
            } else if (std::isspace(static_cast<unsigned char>(data[pos]))) {
                ++pos;
            } else {
                break;
            }
        }
        std::size_t start = pos;
        while (pos < data.size() && !std::isspace(static_cast<unsigned char>(data[pos]))) ++pos;
        return data.substr(start, pos - start);
    };
    if (token() != "P6") return std::nullopt;
    Image image;
    try {
        image.width = std::stoi(token());
        image.height = std::stoi(token());
        if (std::stoi(token()) != 255) return std::nullopt;
    } catch (...) {
        return std::nullopt;
    }
    ++pos;  // the one whitespace after the maximum value
    std::size_t bytes = static_cast<std::size_t>(image.width) * image.height * 3;
    if (data.size() < pos + bytes) return std::nullopt;
    image.rgb.assign(data.begin() + static_cast<std::ptrdiff_t>(pos),
                     data.begin() + static_cast<std::ptrdiff_t>(pos + bytes));
    return image;
}

}  // namespace

// ---- XvfbSession -----------------------------------------------------------

XvfbSession::~XvfbSession() {
    if (server_ > 0) {
        kill(server_, SIGTERM);
        double deadline = steadyMs() + 3000;
        int status = 0;
        while (waitpid(server_, &status, WNOHANG) == 0) {
            if (steadyMs() > deadline) {
                kill(server_, SIGKILL);
                waitpid(server_, &status, 0);
                break;
            }
            sleepMs(10);
        }
    }
    if (!logPath_.empty()) unlink(logPath_.c_str());
}

bool XvfbSession::start(std::string& error, double timeoutSeconds, const std::string& screen) {
    char logTemplate[] = "/tmp/norvel-xvfb-XXXXXX";
    int logFd = mkstemp(logTemplate);
    if (logFd >= 0) {
        close(logFd);
        logPath_ = logTemplate;
    }

    // Xvfb picks a free display itself and writes its number to this pipe
    // once it accepts connections, so no two sessions race for a number.
    int ready[2];
    if (pipe2(ready, O_CLOEXEC) != 0) {
        error = "pipe failed";
        return false;
    }
    constexpr int kDisplayFd = 3;
    SpawnOptions options;
    options.captureOut = options.captureErr = false;
    options.outputFile = logPath_;
    options.passFd = ready[1];
    options.passAs = kDisplayFd;
    Spawned server = spawn({"Xvfb", "-displayfd", std::to_string(kDisplayFd), "-screen", "0",
                            screen, "-nolisten", "tcp", "-noreset"},
                           {}, options);
    close(ready[1]);
    if (server.pid < 0) {
        close(ready[0]);
        error = "cannot start Xvfb";
        return false;
    }
    server_ = server.pid;

    double deadline = steadyMs() + timeoutSeconds * 1000;
    std::string number;
    while (number.find('\n') == std::string::npos) {
        double left = deadline - steadyMs();
        pollfd fd{ready[0], POLLIN, 0};
        if (left <= 0 || poll(&fd, 1, static_cast<int>(std::ceil(left))) <= 0) {
            close(ready[0]);
            error = "Xvfb named no display in time; its log: " + tail(logPath_);
            return false;
        }
        if (!drain(ready[0], number) && number.find('\n') == std::string::npos) {
            close(ready[0]);
            error = "Xvfb ended before naming a display; its log: " + tail(logPath_);
            return false;
        }
    }
    close(ready[0]);
    display_ = ":" + number.substr(0, number.find('\n'));

    // Taking the number is not quite serving clients on every transport;
    // xdpyinfo answering is.
    while (steadyMs() < deadline) {
        if (runCommand({"xdpyinfo"}, {"DISPLAY=" + display_}, 5).exitCode == 0) return true;
        sleepMs(20);
    }
    error = "xdpyinfo never answered on " + display_ + "; Xvfb log: " + tail(logPath_);
    return false;
}

std::unique_ptr<AppProcess> XvfbSession::launch(const std::string& program,
                                                const std::vector<std::string>& args,
                                                const EnvChanges& env) {
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    EnvChanges changes{"DISPLAY=" + display_, "WAYLAND_DISPLAY", "GDK_SCALE", "NORVEL_SCALE",
                       "SDL_VIDEODRIVER"};
    changes.insert(changes.end(), env.begin(), env.end());
    Spawned child = spawn(argv, changes, {});
    if (child.pid < 0) return nullptr;
    return std::make_unique<AppProcess>(child.pid, child.out, child.err);
}

CommandResult XvfbSession::x(const std::vector<std::string>& argv, double timeoutSeconds) {
    return runCommand(argv, {"DISPLAY=" + display_}, timeoutSeconds);
}

std::optional<WindowGeometry> XvfbSession::geometry(unsigned long id) {
    CommandResult r = x({"xdotool", "getwindowgeometry", "--shell", std::to_string(id)});
    if (r.exitCode != 0) return std::nullopt;
    WindowGeometry g;
    g.id = id;
    std::istringstream lines(r.out);
    std::string line;
    while (std::getline(lines, line)) {
        auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string name = line.substr(0, eq);
        int value = std::atoi(line.c_str() + eq + 1);
        if (name == "X") g.x = value;
        if (name == "Y") g.y = value;
        if (name == "WIDTH") g.width = value;
        if (name == "HEIGHT") g.height = value;
    }
    if (g.width <= 0 || g.height <= 0) return std::nullopt;
    return g;
}

std::optional<WindowGeometry> XvfbSession::findWindow(pid_t pid, const std::string& title,
                                                      double timeoutSeconds,
                                                      double pixelsPerPoint) {
    double deadline = steadyMs() + timeoutSeconds * 1000;
    while (steadyMs() < deadline) {
        std::vector<std::string> search{"xdotool", "search", "--all", "--onlyvisible"};
        if (pid > 0) search.insert(search.end(), {"--pid", std::to_string(pid)});
        search.insert(search.end(), {"--name", "^" + title + "$"});
        CommandResult r = x(search, 5);
        unsigned long id = std::strtoul(r.out.c_str(), nullptr, 10);
        if (r.exitCode == 0 && id != 0) {
            if (auto g = geometry(id)) {
                window_ = *g;
                pixelsPerPoint_ = pixelsPerPoint;
                // No window manager runs here, so the window gets the keys
                // only when it is given the focus.
                x({"xdotool", "windowfocus", std::to_string(id)});
                return g;
            }
        }
        sleepMs(50);
    }
    return std::nullopt;
}

std::optional<pid_t> XvfbSession::windowPid() {
    CommandResult r = x({"xdotool", "getwindowpid", std::to_string(window_.id)});
    long pid = std::strtol(r.out.c_str(), nullptr, 10);
    if (r.exitCode != 0 || pid <= 0) return std::nullopt;
    return static_cast<pid_t>(pid);
}

std::pair<int, int> XvfbSession::toScreen(WindowPoint p) const {
    return {window_.x + static_cast<int>(std::lround(p.x * pixelsPerPoint_)),
            window_.y + static_cast<int>(std::lround(p.y * pixelsPerPoint_))};
}

bool XvfbSession::xdotool(const std::vector<std::string>& args) {
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    return x(argv).exitCode == 0;
}

// No --sync on mousemove: this xdotool waits forever for a move to the
// place the pointer already is, and the X server applies XTEST input in the
// order it is sent anyway, so the button events that follow land there.
bool XvfbSession::moveTo(WindowPoint p) {
    auto [sx, sy] = toScreen(p);
    return xdotool({"mousemove", std::to_string(sx), std::to_string(sy)});
}

bool XvfbSession::press(WindowPoint p, int button) {
    auto [sx, sy] = toScreen(p);
    return xdotool(
        {"mousemove", std::to_string(sx), std::to_string(sy), "mousedown", std::to_string(button)});
}

bool XvfbSession::release(int button) {
    return xdotool({"mouseup", std::to_string(button)});
}

bool XvfbSession::click(WindowPoint p, int button) {
    auto [sx, sy] = toScreen(p);
    return xdotool(
        {"mousemove", std::to_string(sx), std::to_string(sy), "click", std::to_string(button)});
}

bool XvfbSession::hold(WindowPoint p, double seconds) {
    if (!press(p)) return false;
    // The hold is the input itself, not a wait for a result.
    sleepMs(seconds * 1000);
    return release();
}

bool XvfbSession::key(const std::string& keysym) {
    return xdotool({"key", keysym});
}

bool XvfbSession::focusElsewhereThenClick(WindowPoint p) {
    auto [sx, sy] = toScreen(p);
    if (!xdotool({"mousemove", std::to_string(sx), std::to_string(sy)})) return false;
    Display* dpy = XOpenDisplay(display_.c_str());
    if (!dpy) return false;
    XSetInputFocus(dpy, DefaultRootWindow(dpy), RevertToPointerRoot, CurrentTime);
    XSync(dpy, False);
    XCloseDisplay(dpy);
    return xdotool({"windowfocus", std::to_string(window_.id), "click", "1"});
}

bool XvfbSession::closeWindow() {
    Display* dpy = XOpenDisplay(display_.c_str());
    if (!dpy) return false;
    Atom protocols = XInternAtom(dpy, "WM_PROTOCOLS", False);
    Atom deleteWindow = XInternAtom(dpy, "WM_DELETE_WINDOW", False);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window_.id;
    event.xclient.message_type = protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(deleteWindow);
    event.xclient.data.l[1] = CurrentTime;
    Status sent = XSendEvent(dpy, window_.id, False, NoEventMask, &event);
    XSync(dpy, False);
    XCloseDisplay(dpy);
    return sent != 0;
}

std::optional<std::string> XvfbSession::clipboard(double timeoutSeconds) {
    CommandResult r = x({"xclip", "-o", "-selection", "clipboard"}, timeoutSeconds);
    if (r.exitCode != 0) return std::nullopt;
    return r.out;
}

std::optional<std::string> XvfbSession::clipboardAfterAVanishedReader(double timeoutSeconds) {
    Display* dpy = XOpenDisplay(display_.c_str());
    if (!dpy) return std::nullopt;
    // The connection stays open throughout, so no later client can be
    // given the vanished window's number and take its answer.
    std::unique_ptr<Display, int (*)(Display*)> owner(dpy, XCloseDisplay);
    Atom clipboard = XInternAtom(dpy, "CLIPBOARD", False);
    Atom utf8 = XInternAtom(dpy, "UTF8_STRING", False);
    Atom property = XInternAtom(dpy, "NORVEL_TEST_CLIPBOARD", False);
    if (XGetSelectionOwner(dpy, clipboard) == None) return std::nullopt;
    Window root = DefaultRootWindow(dpy);
    Window gone = XCreateSimpleWindow(dpy, root, 0, 0, 1, 1, 0, 0, 0);
    XConvertSelection(dpy, clipboard, utf8, property, gone, CurrentTime);
    XDestroyWindow(dpy, gone);
    Window reader = XCreateSimpleWindow(dpy, root, 0, 0, 1, 1, 0, 0, 0);
    XConvertSelection(dpy, clipboard, utf8, property, reader, CurrentTime);
    XFlush(dpy);

    double deadline = steadyMs() + timeoutSeconds * 1000;
    XEvent event{};
    while (!XCheckTypedWindowEvent(dpy, reader, SelectionNotify, &event)) {
        double left = deadline - steadyMs();
        pollfd fd{ConnectionNumber(dpy), POLLIN, 0};
        if (left <= 0) return std::nullopt;
        poll(&fd, 1, static_cast<int>(std::ceil(std::min(left, 100.0))));
    }
    if (event.xselection.property == None) return std::nullopt;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(dpy, reader, property, 0, 1 << 16, False, AnyPropertyType, &type,
                           &format, &count, &after, &data) != Success) {
        return std::nullopt;
    }
    std::string text = data ? std::string(reinterpret_cast<char*>(data), count) : std::string();
    if (data) XFree(data);
    return text;
}

std::optional<Image> XvfbSession::screenshot() {
    std::string target = window_.id ? std::to_string(window_.id) : "root";
    CommandResult r = x({"import", "-silent", "-window", target, "-depth", "8", "ppm:-"}, 20);
    if (r.exitCode != 0) return std::nullopt;
    return parsePpm(r.out);
}

std::optional<Image> readPng(const std::string& path) {
    CommandResult r = runCommand(
        {"convert", path, "-background", "black", "-flatten", "-depth", "8", "ppm:-"}, {}, 30);
    if (r.exitCode != 0) return std::nullopt;
    return parsePpm(r.out);
}

bool XvfbSession::screenshotPng(const std::string& path) {
    std::string target = window_.id ? std::to_string(window_.id) : "root";
    return x({"import", "-silent", "-window", target, path}, 20).exitCode == 0;
}

ExitStatus XvfbSession::terminate(AppProcess& app, double timeoutSeconds) {
    if (!app.signal(SIGTERM)) return app.waitExit(0);
    return app.waitExit(timeoutSeconds);
}

}  // namespace xvfb
