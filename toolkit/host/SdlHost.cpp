#include "toolkit/host/SdlHost.hpp"

#include <SDL.h>
#include <errno.h>  // program_invocation_short_name

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <utility>

#include "toolkit/host/SdlAccessibility.hpp"
#include "toolkit/host/SdlDisplay.hpp"
#include "toolkit/host/SdlInput.hpp"
#include "toolkit/host/SdlX11Settings.hpp"
#include "toolkit/render/PangoMeasurer.hpp"
#include "toolkit/render/Renderer.hpp"

namespace ui {

namespace {

// Cairo's ARGB32 is a native-endian 32-bit word 0xAARRGGBB, which is what
// SDL calls ARGB8888.
constexpr Uint32 kFramePixelFormat = SDL_PIXELFORMAT_ARGB8888;
constexpr double kFrameInterval = 1.0 / 60;

double steadyMilliseconds() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

std::unique_ptr<SdlHost> SdlHost::open(const WindowGroup& scene, SdlHostOptions options,
                                       SdlOpenError& error) {
    std::string driver = chooseVideoDriver(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"),
                                           std::getenv("SDL_VIDEODRIVER"));
    if (driver.empty()) {
        error = {true, "neither DISPLAY nor WAYLAND_DISPLAY is set"};
        return nullptr;
    }
    // SDL's set-up replaces the session bus address; the screen-reader
    // bridge still needs the real one to ask where the accessibility bus is.
    const char* session = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    std::string sessionBusAddress = session ? session : "";
    prepareSdlVideo(driver);
    if (driver == "x11") tolerateX11WindowsThatAreGone();
    auto quitOnSignals = std::make_unique<QuitOnSignals>();
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        error = {true, driver + ": " + SDL_GetError()};
        SDL_Quit();
        return nullptr;
    }
    if (!isOnScreenDriver(SDL_GetCurrentVideoDriver())) {
        const char* current = SDL_GetCurrentVideoDriver();
        error = {true, std::string("SDL chose the \"") + (current ? current : "?") +
                           "\" video driver, which shows nothing"};
        SDL_Quit();
        return nullptr;
    }

    // The window starts hidden: its scale comes from the desktop's settings,
    // read over the window's own X connection, and it is shown only once it
    // has its size at that scale and a surface to draw into.
    SDL_Window* window = SDL_CreateWindow(
        options.title.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
        static_cast<int>(options.size.width), static_cast<int>(options.size.height),
        SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_HIDDEN);
    if (!window) {
        error = {false, std::string("cannot open a window: ") + SDL_GetError()};
        SDL_Quit();
        return nullptr;
    }
    // Under X11 SDL measures windows in pixels and knows no display scale,
    // so the host scales by the desktop's settings itself; elsewhere SDL's
    // coordinates already are points.
    auto desktop = driver == "x11" ? X11DesktopSettings::watch(window) : nullptr;
    double coordinatesPerPoint = desktop
                                     ? windowScale(desktop->settings(), std::getenv("GDK_SCALE"),
                                                   std::getenv("NORVEL_SCALE"))
                                     : 1;
    if (sizeWindow(window, options.size, coordinatesPerPoint)) {
        // SDL placed the window for its first size; a larger one could
        // reach past the bottom of the screen.
        SDL_SetWindowPosition(window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    }
    if (!SDL_GetWindowSurface(window)) {
        error = {false, cannotShowMessage(
                            "the " + driver + " video driver gives the window nothing to draw into",
                            driver, SDL_GetError())};
        desktop.reset();
        SDL_DestroyWindow(window);
        SDL_Quit();
        return nullptr;
    }
    SDL_ShowWindow(window);

    std::string title = options.title;
    std::unique_ptr<SdlHost> host(new SdlHost(std::move(options), window, coordinatesPerPoint));
    host->quitOnSignals_ = std::move(quitOnSignals);
    host->desktop_ = std::move(desktop);
    host->driver_ = driver;
    host->quitOnSignals_->start();
    host->accessibility_ = std::make_unique<SdlAccessibility>(
        window, std::move(title), std::move(sessionBusAddress), coordinatesPerPoint);
    host->measurer_ = std::make_unique<PangoMeasurer>();
    host->input_ = std::make_unique<SdlInputMapper>();
    // The scene's content is built only once there is a window to show it.
    host->runtime_ = std::make_unique<Runtime>(scene.content(), *host->measurer_);
    // Screen readers see every new laid-out tree; mirroring it costs a few
    // microseconds, and the bridge is told only what changed.
    SdlHost* self = host.get();
    host->runtime_->setFrameObserver(
        [self](const LayoutTree& tree) { self->accessibility_->update(tree); });
    host->runtime_->setClipboardWriter(
        [](const std::string& text) { SDL_SetClipboardText(text.c_str()); });
    host->updateGeometry();
    return host;
}

SdlHost::SdlHost(SdlHostOptions options, SDL_Window* window, double coordinatesPerPoint)
    : options_(std::move(options)),
      window_(window),
      coordinatesPerPoint_(coordinatesPerPoint),
      startTicks_(SDL_GetTicks64()),
      points_(options_.size) {}

SdlHost::~SdlHost() {
    // The signal thread and the bridge wake the loop through SDL and the
    // runtime's clipboard writer calls into SDL: they go first.
    quitOnSignals_.reset();
    desktop_.reset();
    accessibility_.reset();
    renderer_.reset();
    runtime_.reset();
    if (window_) SDL_DestroyWindow(window_);
    SDL_Quit();
}

const DesktopSettings* SdlHost::desktopSettings() const {
    return desktop_ ? &desktop_->settings() : nullptr;
}

double SdlHost::clock() const {
    return static_cast<double>(SDL_GetTicks64() - startTicks_) / 1000.0;
}

bool SdlHost::sizeWindow(SDL_Window* window, Size points, double coordinatesPerPoint) {
    // Narrower than this, the screens' fixed widths no longer fit at all.
    // The minimum goes first: a smaller scale's size would be refused while
    // the larger scale's minimum stands.
    SDL_SetWindowMinimumSize(window, framePixels(200, coordinatesPerPoint),
                             framePixels(300, coordinatesPerPoint));
    // Rounded as the renderer rounds, so that the window and a headless
    // render of the same points at the same scale are the same image.
    int width = framePixels(points.width, coordinatesPerPoint);
    int height = framePixels(points.height, coordinatesPerPoint);
    int w = 0, h = 0;
    SDL_GetWindowSize(window, &w, &h);
    if (w == width && h == height) return false;
    SDL_SetWindowSize(window, width, height);
    return true;
}

void SdlHost::followDesktopScale() {
    double scale =
        windowScale(desktop_->settings(), std::getenv("GDK_SCALE"), std::getenv("NORVEL_SCALE"));
    if (scale == coordinatesPerPoint_) return;
    // The window keeps its size in points: it grows or shrinks with the
    // scale, and the content stays where it was, only sharper or smaller.
    coordinatesPerPoint_ = scale;
    if (sizeWindow(window_, points_, scale)) keepOnScreen();
    surfaceStale_ = true;
}

void SdlHost::keepOnScreen() {
    // A window that grows keeps its top left corner, and so may now reach
    // past the screen's edge; it moves back in as far as it can, as a
    // window manager would place it.
    SDL_Rect bounds;
    int display = SDL_GetWindowDisplayIndex(window_);
    if (display < 0 || SDL_GetDisplayUsableBounds(display, &bounds) != 0) return;
    int x = 0, y = 0, w = 0, h = 0;
    SDL_GetWindowPosition(window_, &x, &y);
    SDL_GetWindowSize(window_, &w, &h);
    int left = std::max(bounds.x, std::min(x, bounds.x + bounds.w - w));
    int top = std::max(bounds.y, std::min(y, bounds.y + bounds.h - h));
    if (left != x || top != y) SDL_SetWindowPosition(window_, left, top);
}

void SdlHost::updateGeometry() {
    int w = 0, h = 0;
    SDL_GetWindowSize(window_, &w, &h);
    // A window that has the pixels its size in points was given keeps that
    // size exactly: 390 points at 1.25 are 488 pixels, and 488 / 1.25 would
    // lay the screen out 0.4 points wider than the snapshot at that scale.
    Size points{w / coordinatesPerPoint_, h / coordinatesPerPoint_};
    if (w == framePixels(points_.width, coordinatesPerPoint_)) points.width = points_.width;
    if (h == framePixels(points_.height, coordinatesPerPoint_)) points.height = points_.height;
    points_ = points;

    // The surface is measured in pixels; on a HiDPI Wayland or macOS
    // window it is larger than the window's coordinates, and the ratio is
    // the display scale. Under X11 the two agree and the desktop's
    // settings decide.
    int pixelWidth = w, pixelHeight = h;
    if (SDL_Surface* surface = SDL_GetWindowSurface(window_)) {
        pixelWidth = surface->w;
    } else {
        SDL_GetWindowSizeInPixels(window_, &pixelWidth, &pixelHeight);
    }
    scale_ = coordinatesPerPoint_ * (w > 0 ? static_cast<double>(pixelWidth) / w : 1);

    runtime_->setViewport(Viewport{points_, scale_, {}});
    if (renderer_) {
        renderer_->resize(points_, scale_);
    } else {
        renderer_ = std::make_unique<Renderer>(points_, scale_);
    }
    renderer_->invalidate();
    input_->setGeometry(points_, coordinatesPerPoint_);
    if (accessibility_) accessibility_->setCoordinatesPerPoint(coordinatesPerPoint_);
    surfaceStale_ = false;
    presentPending_ = true;
}

void SdlHost::handle(const SDL_Event& event) {
    switch (event.type) {
        case SDL_QUIT:
            quit_ = true;
            return;
        case SDL_SYSWMEVENT:
            // A raw X event: the desktop's settings may have changed, or it
            // is a key. SDL queues a key's raw event just before its own
            // key event: the screen reader's verdict on the one decides the
            // other.
            if (desktop_ && desktop_->handle(event)) followDesktopScale();
            keyTakenByScreenReader_ = accessibility_->screenReaderTookKey(event);
            return;
        case SDL_WINDOWEVENT:
            switch (event.window.event) {
                case SDL_WINDOWEVENT_SIZE_CHANGED:
                    surfaceStale_ = true;
                    break;
                case SDL_WINDOWEVENT_EXPOSED:
                case SDL_WINDOWEVENT_SHOWN:
                case SDL_WINDOWEVENT_RESTORED:
                    presentPending_ = true;
                    break;
                case SDL_WINDOWEVENT_CLOSE:
                    quit_ = true;
                    break;
                case SDL_WINDOWEVENT_FOCUS_GAINED:
                case SDL_WINDOWEVENT_FOCUS_LOST:
                    accessibility_->setWindowActive(
                        event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED, runtime_->tree());
                    break;
                case SDL_WINDOWEVENT_MOVED:
                    // Screen readers ask for extents on the screen.
                    accessibility_->update(runtime_->tree());
                    break;
                default:
                    break;
            }
            return;
        case SDL_KEYDOWN:
            if (std::exchange(keyTakenByScreenReader_, false)) return;
            break;
        default:
            if (accessibility_->handle(event, *runtime_, clock())) return;
            break;
    }
    if (auto command = input_->map(event)) {
        if (!firstInputAt_) firstInputAt_ = steadyMilliseconds();
        // Timers that came due before this input fire first, at their own
        // moments, so a release just after a long press's deadline cannot
        // cancel it.
        double now = clock();
        runtime_->advanceTo(now);
        apply(*command, *runtime_, std::max(now, runtime_->now()));
    }
}

bool SdlHost::present(bool wholeFrame) {
    SDL_Surface* surface = SDL_GetWindowSurface(window_);
    if (!surface) return false;
    int width = std::min(surface->w, renderer_->pixelWidth());
    int height = std::min(surface->h, renderer_->pixelHeight());
    if (width <= 0 || height <= 0) return false;

    SDL_Rect rect{0, 0, width, height};
    if (!wholeFrame && renderer_->lastRepaint() == Repaint::region) {
        // Only the repainted region goes to the window: the X server then
        // copies a few kilobytes instead of the whole frame.
        const Rect& r = renderer_->lastRegion();
        int x0 = std::clamp(static_cast<int>(std::floor(r.minX() * scale_)), 0, width);
        int y0 = std::clamp(static_cast<int>(std::floor(r.minY() * scale_)), 0, height);
        int x1 = std::clamp(static_cast<int>(std::ceil(r.maxX() * scale_)), 0, width);
        int y1 = std::clamp(static_cast<int>(std::ceil(r.maxY() * scale_)), 0, height);
        if (x1 <= x0 || y1 <= y0) return false;
        rect = {x0, y0, x1 - x0, y1 - y0};
    }

    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return false;
    const unsigned char* source = renderer_->pixels() +
                                  static_cast<std::ptrdiff_t>(rect.y) * renderer_->stride() +
                                  static_cast<std::ptrdiff_t>(rect.x) * 4;
    auto* target = static_cast<unsigned char*>(surface->pixels) +
                   static_cast<std::ptrdiff_t>(rect.y) * surface->pitch +
                   static_cast<std::ptrdiff_t>(rect.x) * surface->format->BytesPerPixel;
    int converted =
        SDL_ConvertPixels(rect.w, rect.h, kFramePixelFormat, source, renderer_->stride(),
                          surface->format->format, target, surface->pitch);
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    if (converted != 0) return false;
    return SDL_UpdateWindowSurfaceRects(window_, &rect, 1) == 0;
}

void SdlHost::frame() {
    if (surfaceStale_) updateGeometry();
    double started = steadyMilliseconds();
    const LayoutTree& tree = runtime_->tree();
    double built = steadyMilliseconds();
    bool painted = renderer_->render(tree);
    bool wholeFrame = presentPending_ || renderer_->lastRepaint() == Repaint::full;
    bool shown = false;
    if (painted || presentPending_) shown = present(wholeFrame);
    double finished = steadyMilliseconds();
    lastFrameAt_ = clock();
    bool animating = runtime_->isAnimating();
    // The frame that ends an animation may look exactly like the one before
    // it (a fade's last step); it is still reported, so whoever watches the
    // frames learns that things have settled.
    bool settles = reportedAnimating_ && !animating;
    if (!shown && !settles) return;
    if (shown) presentPending_ = false;
    reportedAnimating_ = animating;

    ++frames_;
    if (options_.onFramePresented) {
        FrameReport report;
        report.index = frames_;
        report.time = lastFrameAt_;
        report.buildMs = built - started;
        report.paintMs = finished - built;
        report.repainted = painted;
        report.animating = animating;
        if (firstInputAt_) report.inputLatencyMs = finished - *firstInputAt_;
        report.tree = &tree;
        report.alertPresented = runtime_->alertPresented();
        report.sheetPresented = runtime_->sheetPresented();
        options_.onFramePresented(report);
    }
    firstInputAt_.reset();
}

int SdlHost::run() {
    runtime_->advanceTo(clock());
    frame();
    if (frames_ == 0) {
        std::string line = cannotShowMessage("the first frame could not be put on screen", driver_,
                                             SDL_GetError());
        std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, line.c_str());
        return 1;
    }
    // Only now, so that finding the bus can never delay the first frame.
    accessibility_->start(runtime_->tree());
    while (!quit_) {
        // Sleep until input, the next gesture timer, or the next frame of an
        // animation: an idle window wakes for nothing.
        std::optional<double> wake = runtime_->nextDeadline();
        if (runtime_->isAnimating() || runtime_->needsFrame()) {
            double next = lastFrameAt_ + kFrameInterval;
            if (!wake || next < *wake) wake = next;
        }
        int timeoutMs = -1;
        if (wake) {
            double ms = std::ceil((*wake - clock()) * 1000);
            timeoutMs = static_cast<int>(std::clamp(ms, 0.0, static_cast<double>(INT_MAX)));
        }
        SDL_Event event;
        int got = timeoutMs < 0 ? SDL_WaitEvent(&event) : SDL_WaitEventTimeout(&event, timeoutMs);
        if (got) {
            handle(event);
            // Everything already queued goes into the same frame.
            while (!quit_ && SDL_PollEvent(&event)) handle(event);
        }
        if (quit_) break;
        runtime_->advanceTo(clock());
        if (surfaceStale_ || presentPending_ || runtime_->needsFrame()) frame();
    }
    return 0;
}

int runWindowGroup(const WindowGroup& scene, SdlHostOptions options) {
    SdlOpenError error;
    auto host = SdlHost::open(scene, std::move(options), error);
    if (!host) {
        std::string program = program_invocation_short_name;
        std::string line = error.noDisplay ? noDisplayMessage(program, error.message)
                                           : program + ": " + error.message;
        std::fprintf(stderr, "%s\n", line.c_str());
        return 1;
    }
    return host->run();
}

int runWindowGroup(const WindowGroup& scene) {
    SdlHostOptions options;
    // Start-up is measured from outside the process (bench/measure_process):
    // with NORVEL_REPORT_FIRST_FRAME set, the host writes one line to
    // standard error once the first frame is on screen, that is after
    // SDL_UpdateWindowSurfaceRects has returned for it (SDL's X11 back end
    // syncs with the server before returning), stamped with CLOCK_MONOTONIC
    // so that the measuring process can subtract its own start time.
    if (const char* report = std::getenv("NORVEL_REPORT_FIRST_FRAME"); report && *report) {
        options.onFramePresented = [](const FrameReport& frame) {
            if (frame.index != 1) return;
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            std::fprintf(stderr, "first frame presented at %lld.%09ld\n",
                         static_cast<long long>(now.tv_sec), now.tv_nsec);
            std::fflush(stderr);
        };
    }
    return runWindowGroup(scene, std::move(options));
}

}  // namespace ui
