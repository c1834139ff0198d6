#pragma once

// The window host: one real window per scene on SDL2, presented through a
// software window surface. It sleeps in SDL's event wait until input
// arrives, a gesture timer comes due or an animation needs its next frame,
// and it paints only when the runtime says the last frame is out of date,
// so an idle window costs no CPU.

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "toolkit/host/App.hpp"
#include "toolkit/runtime/Runtime.hpp"

struct SDL_Window;
union SDL_Event;

namespace ui {

class Renderer;
class PangoMeasurer;
class SdlInputMapper;
class SdlAccessibility;
class QuitOnSignals;
class X11DesktopSettings;
struct DesktopSettings;

// What the host reports after each frame it puts on screen. Timings are
// wall-clock milliseconds; they are for measuring, never for behaviour.
struct FrameReport {
    long index = 0;          // 1 for the first frame
    double time = 0;         // the host clock (seconds since the window opened)
    double buildMs = 0;      // state, layout and display list
    double paintMs = 0;      // raster and copy to the window surface
    bool repainted = false;  // false: the frame was only presented again
    bool animating = false;  // another frame follows without input
    // From the moment the first input event since the previous frame was
    // handled to this frame's presentation; empty when no input came.
    std::optional<double> inputLatencyMs;
    const LayoutTree* tree = nullptr;  // valid during the callback only
    bool alertPresented = false;
    bool sheetPresented = false;
};

struct SdlHostOptions {
    Size size{390, 844};  // points
    std::string title = "Norvel Health";
    // Called after every presented frame (development tools and tests).
    std::function<void(const FrameReport&)> onFramePresented;
};

// Why a window could not be opened: no display at all is the ordinary case
// on a build machine and gets its own one-line explanation.
struct SdlOpenError {
    bool noDisplay = false;
    std::string message;
};

class SdlHost {
  public:
    // Opens a window showing `scene`, whose content closure runs once the
    // window exists. Returns nullptr and fills `error` when there is no
    // display or the window cannot be made; SDL is left shut down then.
    static std::unique_ptr<SdlHost> open(const WindowGroup& scene, SdlHostOptions options,
                                         SdlOpenError& error);
    ~SdlHost();
    SdlHost(const SdlHost&) = delete;
    SdlHost& operator=(const SdlHost&) = delete;

    // Runs the event loop until the window is closed or the process is
    // asked to end (SIGINT, SIGTERM); returns the exit code: 0, or 1 when
    // the first frame could not be put on screen (said on standard error).
    int run();

    Runtime& runtime() { return *runtime_; }
    // How many of SDL's window coordinates make one point: under X11 SDL
    // measures windows in pixels, so this is the window scale there (see
    // DesktopSettings.hpp); elsewhere SDL's coordinates already are points
    // and it is 1.
    double coordinatesPerPoint() const { return coordinatesPerPoint_; }
    // The desktop's settings as last read (X11 only; null elsewhere).
    const DesktopSettings* desktopSettings() const;

  private:
    SdlHost(SdlHostOptions options, SDL_Window* window, double coordinatesPerPoint);

    // Gives `window` the pixels of `points` at this scale; false when it
    // already had them.
    static bool sizeWindow(SDL_Window* window, Size points, double coordinatesPerPoint);
    void followDesktopScale();
    void keepOnScreen();
    double clock() const;
    void handle(const SDL_Event& event);
    void updateGeometry();
    void frame();
    bool present(bool wholeFrame);

    std::unique_ptr<QuitOnSignals> quitOnSignals_;
    std::unique_ptr<X11DesktopSettings> desktop_;
    std::string driver_;
    SdlHostOptions options_;
    SDL_Window* window_ = nullptr;
    double coordinatesPerPoint_ = 1;
    unsigned long long startTicks_ = 0;
    std::unique_ptr<PangoMeasurer> measurer_;
    std::unique_ptr<Runtime> runtime_;
    std::unique_ptr<Renderer> renderer_;
    std::unique_ptr<SdlInputMapper> input_;
    std::unique_ptr<SdlAccessibility> accessibility_;
    Size points_;
    double scale_ = 1;
    bool quit_ = false;
    bool surfaceStale_ = true;    // the window surface must be fetched again
    bool presentPending_ = true;  // the window lost its pixels: show the frame again
    double lastFrameAt_ = -1;
    long frames_ = 0;
    bool reportedAnimating_ = false;  // what the last frame report said
    // A screen reader took the key whose SDL event comes next (its own
    // command): the app does not act on it too.
    bool keyTakenByScreenReader_ = false;
    std::optional<double> firstInputAt_;  // steady-clock milliseconds
};

// Runs `scene` with these options instead of the defaults.
int runWindowGroup(const WindowGroup& scene, SdlHostOptions options);

}  // namespace ui
