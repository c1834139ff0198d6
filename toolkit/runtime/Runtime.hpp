#pragma once

// The runtime turns a root view into frames and input into actions, with
// no window and no clock of its own: the host passes the time (seconds on
// its clock) with every call. One direction only: state → body → resolved
// tree → layout → laid-out tree; input finds its target by hit-testing the
// laid-out tree and calls an action, which writes state and so marks the
// next frame dirty.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/core/View.hpp"
#include "toolkit/layout/Layout.hpp"
#include "toolkit/layout/LayoutTree.hpp"
#include "toolkit/runtime/Resolve.hpp"

namespace ui {

// Keys are the desktop's stand-ins for touch, and its full keyboard access:
// Tab and Shift+Tab (`backTab`) move focus, Space and Return press the
// focused button, Ctrl+C (`copy`) copies the focused selectable text.
enum class Key { escape, enter, pageUp, pageDown, up, down, home, end, tab, backTab, space, copy };

struct Viewport {
    Size size{390, 844};
    double scale = 3;
    EdgeInsets safeArea;
};

class Runtime {
public:
    // Timings of the interaction model, in seconds and points.
    static constexpr double kCopyHoldDuration = 0.5;
    static constexpr double kSheetAnimation = 0.3;
    static constexpr double kAlertAnimation = 0.2;
    static constexpr double kScrollIndicatorLinger = 1.0;
    static constexpr double kDragSlop = 10;
    static constexpr double kSheetTopGap = 10;

    // `root` is evaluated once: the window's root view value lives as long
    // as the window, and only its body is evaluated again.
    Runtime(View root, TextMeasurer& measurer, Viewport viewport = {});
    ~Runtime();

    void setViewport(Viewport viewport);
    const Viewport& viewport() const { return viewport_; }

    // Pointer input in window points. A secondary click stands in for a
    // touch-and-hold on selectable text.
    void pointerDown(Point p, double now);
    void pointerMove(Point p, double now);
    void pointerUp(Point p, double now);
    void secondaryClick(Point p, double now);
    // A wheel scroll of `dy` points; positive reveals content further down.
    void wheel(Point p, double dy, double now);
    void key(Key key, double now);

    // Runs timers (long presses, the copy menu's hold) and animations up to
    // `now`, each at its own moment.
    void advanceTo(double now);
    double now() const { return now_; }

    // The next moment a timer fires, for a host that sleeps until then.
    std::optional<double> nextDeadline() const;
    // Whether an animation is in flight, so the host keeps drawing frames.
    bool isAnimating() const;
    // Whether the last tree handed out is out of date.
    bool needsFrame() const;

    // Evaluates bodies and lays out again if the tree is out of date for
    // the current state and time.
    void bringUpToDate();
    // The laid-out tree for the current state and time (brought up to date
    // first).
    const LayoutTree& tree() {
        bringUpToDate();
        return tree_;
    }

    // Called on the UI thread each time a new laid-out tree has been built.
    void setFrameObserver(std::function<void(const LayoutTree&)> observer) {
        frameObserver_ = std::move(observer);
    }
    // Presses the button at `place` as a click would (its action runs, a presentation's button also closes it).
    // False when there is no button there or it lies beneath a presentation.
    bool activate(const std::string& place, double now);
    // Moves keyboard focus to the focusable view (button or selectable text) at `place` in the front layer; false otherwise.
    bool focus(const std::string& place, double now);
    // The place that has keyboard focus, as of the last tree built: focus
    // stays on a place from frame to frame and is dropped when its view
    // leaves the front layer. A presentation that opens takes focus (its
    // cancel button, or its first focusable view), and gives it back to the
    // view that had it when it closes.
    std::optional<std::string> focusedPlace() const { return focused_; }

    // Presentations are up from the moment their flag turns true until it
    // turns false (their closing animation may still run after that).
    bool alertPresented() const;
    bool sheetPresented() const;
    bool copyMenuOpen() const { return static_cast<bool>(selection_); }

    // What is on screen, front last, closing ones included: for soak tests
    // and diagnostics of the runtime itself.
    struct OnScreen {
        bool alert = false;
        bool closing = false;
    };
    std::vector<OnScreen> presentationsOnScreen() const;

    // Where "Copy" puts text; the host wires its clipboard here.
    void setClipboardWriter(std::function<void(const std::string&)> writer) {
        clipboard_ = std::move(writer);
    }

    const LayoutStats& layoutStats() const;

private:
    struct Presentation;
    struct Gesture;
    struct Selection;

    void markDirty() { dirty_ = true; }

    // Rebuilding (Runtime.cpp).
    void rebuild();
    void resolveAll();
    void layoutAll();
    void decorate();
    void addScrollIndicators();
    void captureScrollOffsets();
    void fireDueTimers(double until);

    // Keyboard focus (Focus.cpp).
    Layer focusLayer();
    int focusedEntry();
    std::vector<int> focusOrder();
    void moveFocus(bool backwards);
    bool followFocus();
    bool revealFocused();
    void markFocus();
    bool keyOnFocus(Key key);
    bool pressFocused();
    void copyFocused();
    void pointerHidesRing();

    // Presentations (Presentations.cpp).
    void syncPresentations();
    void layoutAlert(Presentation& p, double visibility);
    void layoutSheet(Presentation& p);
    void layoutCopyMenu();
    Presentation* topPresentation();
    bool frontIsClosing();
    Layer inputLayer();
    void commitDismiss(Presentation& p);
    void closeAfterAction(const Presentation* p);
    void dropFinishedPresentations();
    double sheetHeight() const;

    // Input (Input.cpp).
    int hitTest(Point p, const std::function<bool(const LaidOutView&)>& accepts);
    int scrollViewAt(Point p);
    int frontScrollView();
    int frontEntryAt(const std::string& place, const std::function<bool(const LaidOutView&)>& accepts);
    void scrollBy(int scrollEntry, double dy);
    void setScrollOffset(const std::string& key, double offset, double maxOffset);
    void openCopyMenu(int entry);
    void beginTouch(Point p);
    void decideDrag(Point p);
    void endSheetDrag(Presentation& top, const Gesture& gesture);
    void keyOnPresentation(Key key, Presentation* top);

    View root_;
    TextMeasurer& measurer_;
    Viewport viewport_;
    StateStore store_;
    Resolver resolver_;
    LayoutEngine engine_;
    View resolvedRoot_;
    std::vector<FoundPresentation> found_;
    std::vector<std::unique_ptr<Presentation>> presentations_;
    std::unique_ptr<Gesture> gesture_;
    std::unique_ptr<Selection> selection_;
    std::map<std::string, double> scrollOffsets_;
    double lastScrollAt_ = -1e9;
    LayoutTree tree_;
    double now_ = 0;
    bool stateDirty_ = true;  // bodies must be evaluated again
    bool dirty_ = true;       // the tree must be laid out again
    std::function<void(const std::string&)> clipboard_;
    std::function<void(const LayoutTree&)> frameObserver_;
    std::optional<std::string> focused_;
    // For each open presentation, bottom first: its key and the place that
    // had focus before it opened, which gets focus back when it closes.
    std::vector<std::pair<std::string, std::optional<std::string>>> focusReturns_;
    // The keyboard has been used since the last pointer press: the focus
    // ring shows.
    bool keyboardUsed_ = false;
};

}  // namespace ui
