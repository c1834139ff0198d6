#pragma once

// Turns SDL's input events into the runtime's input, in window points.
// The mapping is kept apart from the window so it can be checked with
// hand-made events and no display.
//
// One contact at a time: the runtime models a single finger, so the first
// of the mouse's left button or a touch that goes down owns the pointer
// until it comes up, and other fingers are ignored meanwhile.

#include <SDL.h>

#include <optional>

#include "toolkit/runtime/Runtime.hpp"

namespace ui {

struct InputCommand {
    enum class Kind { pointerDown, pointerMove, pointerUp, secondaryClick, wheel, key };
    Kind kind = Kind::pointerMove;
    Point point;
    double dy = 0;  // wheel: points, positive reveals content further down
    Key key = Key::escape;
};

class SdlInputMapper {
  public:
    // One notch of a classic wheel scrolls this far, about three lines.
    static constexpr double kPointsPerWheelNotch = 40;

    // The window's size in points and how many window coordinates make a
    // point (1 except under X11 with NORVEL_SCALE).
    void setGeometry(Size points, double coordinatesPerPoint);

    // The runtime input for `event`, if it is input the runtime takes.
    std::optional<InputCommand> map(const SDL_Event& event);

    bool contactIsDown() const { return contact_ != Contact::none; }

  private:
    Point fromWindow(double x, double y) const;
    Point fromTouch(float x, float y) const;
    std::optional<InputCommand> mapKey(const SDL_KeyboardEvent& key) const;
    std::optional<InputCommand> mapMouse(const SDL_Event& event);
    std::optional<InputCommand> mapFinger(const SDL_Event& event);

    enum class Contact { none, mouse, finger };
    Contact contact_ = Contact::none;
    SDL_FingerID finger_ = 0;
    Point last_;
    Size points_{390, 844};
    double coordinatesPerPoint_ = 1;
};

// The runtime key an SDL key stands for with the modifiers `mod` held, if
// any: Shift turns Tab into Shift+Tab, and C is a key only with Ctrl.
std::optional<Key> runtimeKey(SDL_Keycode key, Uint16 mod = KMOD_NONE);

// The wheel distance of one wheel event, in points.
double wheelPoints(const SDL_MouseWheelEvent& wheel);

// Hands one command to the runtime at host time `now` (seconds).
void apply(const InputCommand& command, Runtime& runtime, double now);

}  // namespace ui
