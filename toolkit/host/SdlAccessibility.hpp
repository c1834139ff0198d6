#pragma once

// The window's side of the screen-reader bridge: it starts the bridge once
// the first frame is on screen, hands it a snapshot after every frame that
// changed what a screen reader sees, and carries out on the UI thread what
// the bus asked for, when the bridge wakes the SDL loop with a user event.

#include <SDL.h>

#include <memory>
#include <mutex>
#include <string>

#include "toolkit/a11y/AccessibleTree.hpp"

namespace ui {

struct LayoutTree;
class Runtime;

namespace a11y {
class Bridge;
}

class SdlAccessibility {
  public:
    // `sessionBusAddress` is DBUS_SESSION_BUS_ADDRESS as it was before SDL's
    // set-up replaced it.
    SdlAccessibility(SDL_Window* window, std::string title, std::string sessionBusAddress,
                     double coordinatesPerPoint);
    ~SdlAccessibility();
    SdlAccessibility(const SdlAccessibility&) = delete;
    SdlAccessibility& operator=(const SdlAccessibility&) = delete;

    // After the first frame, `tree`: discovery starts on the bridge's thread,
    // and the bridge gets that frame's objects to start with.
    void start(const LayoutTree& tree);
    // True for the bridge's wake-up event, which is then handled.
    bool handle(const SDL_Event& event, Runtime& runtime, double now);
    // After each new laid-out tree (the runtime's frame observer), and when
    // the window moved.
    void update(const LayoutTree& tree);
    // The desktop's scale changed: screen readers ask for extents in
    // pixels. The next update uses it.
    void setCoordinatesPerPoint(double coordinatesPerPoint) {
        coordinatesPerPoint_ = coordinatesPerPoint;
    }
    // The window gained or lost the keyboard: its front layer becomes, or
    // stops being, the active window a screen reader presents.
    void setWindowActive(bool active, const LayoutTree& tree);
    // A raw X event (SDL's window-system events, turned on while the
    // bridge runs): key presses and releases go to the screen reader's
    // key listeners. True when the screen reader consumed a press as one
    // of its own commands, so the app must not act on the key as well.
    bool screenReaderTookKey(const SDL_Event& event);

  private:
    // Whether the bridge's thread may still wake the loop. The bridge's
    // thread can outlive this object (its end is waited for only briefly),
    // and a wake-up that reached SDL while the window is destroyed or SDL
    // shut down would touch what is already gone; closing the gate waits
    // for a wake-up under way and refuses every later one.
    struct WakeGate {
        std::mutex mutex;
        bool open = true;
    };

    SDL_Window* window_;
    std::string title_;
    std::string sessionBusAddress_;
    double coordinatesPerPoint_;
    Uint32 wakeEvent_ = 0;
    std::shared_ptr<WakeGate> wakeGate_ = std::make_shared<WakeGate>();
    std::unique_ptr<a11y::Bridge> bridge_;
    a11y::AccessibleSnapshot published_;
    bool windowActive_ = false;
};

}  // namespace ui
