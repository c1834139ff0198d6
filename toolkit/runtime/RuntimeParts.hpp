#pragma once

// The runtime's private pieces, shared by its parts: rebuilding and time
// (Runtime.cpp), presentations (Presentations.cpp), input (Input.cpp) and
// keyboard focus (Focus.cpp). Nothing outside toolkit/runtime includes this header;
// Runtime.hpp is the runtime's public face.

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "toolkit/runtime/Runtime.hpp"

namespace ui::runtime_detail {

inline double clamp01(double v) {
    return std::clamp(v, 0.0, 1.0);
}

// The one easing of the runtime's animations: fast at first, settling
// gently. `t` runs from 0 to 1.
inline double easeOut(double t) {
    return 1 - (1 - t) * (1 - t) * (1 - t);
}

// How far an animation of `duration` seconds has come after `elapsed`
// seconds, from 0 to 1, before easing.
inline double progress(double elapsed, double duration) {
    return clamp01(elapsed / duration);
}

// A sheet let go before its dismissal threshold springs back over this long.
constexpr double kSpringBackDuration = 0.25;

}  // namespace ui::runtime_detail

namespace ui {

struct Runtime::Presentation {
    enum class Kind { alert, sheet };
    Kind kind = Kind::alert;
    std::string key;
    AlertModifier alert;
    SheetModifier sheet;
    double shownAt = 0;
    bool dismissing = false;
    double dismissedAt = 0;
    double dismissFrom = 0;  // sheet offset when the closing animation began
    double dragOffset = 0;   // sheet: how far a finger has pulled it down
    double springFrom = 0;   // sheet: offset a spring-back started from
    double springAt = -1e9;
    View content;  // sheet: the resolved content, kept through the closing animation

    Layer layer() const { return {kind == Kind::alert ? LayerKind::alert : LayerKind::sheet, key}; }
    double animationDuration() const {
        return kind == Kind::alert ? Runtime::kAlertAnimation : Runtime::kSheetAnimation;
    }
};

// One contact from down to up. What the finger is doing is one phase at a
// time; the phase changes as the finger moves, lifts, or a timer fires.
struct Runtime::Gesture {
    // Down on nothing that waits for anything; a drag may still scroll.
    struct Touching {};
    // Down on a button, which runs when the finger lifts inside it.
    struct PressingButton {
        int entry = -1;
        Rect frame;
        std::function<void()> action;
        bool inside = true;
    };
    // Down on a view with a long press, waiting for its minimum duration.
    struct AwaitingLongPress {
        LongPressModifier longPress;
    };
    // Down on selectable text, waiting to open the copy menu.
    struct AwaitingCopyHold {
        int entry = -1;
    };
    struct Scrolling {};
    struct DraggingSheet {};
    // Down on the copy menu's button, which copies when the finger lifts on it.
    struct OnCopyButton {};
    // The touch has already done what it does (closed or opened the copy
    // menu, or met a closing presentation); the rest of it is ignored.
    struct Spent {};
    using Phase = std::variant<Touching, PressingButton, AwaitingLongPress, AwaitingCopyHold,
                               Scrolling, DraggingSheet, OnCopyButton, Spent>;

    Phase phase;
    Point down;
    double downAt = 0;
    Layer layer;
    // The scroll view under the finger, which a vertical drag scrolls.
    int scrollEntry = -1;
    std::string scrollKey;
    double scrollStart = 0;
    std::vector<std::pair<double, double>> samples;  // (time, y) for the flick speed

    template <class P>
    bool is() const {
        return std::holds_alternative<P>(phase);
    }
    template <class P>
    P* as() {
        return std::get_if<P>(&phase);
    }
    // Whether the finger has not yet turned into a drag or spent itself.
    bool undecided() const {
        return is<Touching>() || is<PressingButton>() || is<AwaitingLongPress>() ||
               is<AwaitingCopyHold>();
    }
};

struct Runtime::Selection {
    std::string text;
    Rect frame;
    Layer layer;
    Rect copyButton;
};

}  // namespace ui
