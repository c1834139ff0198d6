#pragma once

// ATK's process-wide hooks, which a toolkit must fill in before the bridge
// starts: the root object, the toolkit's name, and the global event
// listeners through which the bridge hears every object's signals (ATK has
// no default for these, and without them no event reaches a screen reader).
//
// The key-event listeners are how a screen reader hears keys: the bridge
// registers one, and every key handed to it is a synchronous round trip
// to the registry (the bridge caps it at 500 ms), so keys go to it on the
// bridge's thread, never on the UI thread.

#include <atk/atk.h>

#include <cstdint>
#include <string>

namespace ui::a11y {

// Installs the hooks once; `root` is the application object, kept for the
// life of the process.
void installAtkUtil(AtkObject* root);

// One key press or release as the window system reported it. Screen
// readers match their commands by hardware keycode and speak keys by
// their keysym's name, so these are X's own values.
struct KeyEvent {
    bool press = true;
    std::uint32_t keysym = 0;   // with the modifiers applied, as X looked it up
    std::uint16_t keycode = 0;  // the hardware keycode
    std::uint32_t state = 0;    // X's modifier and button mask
    std::uint32_t time = 0;     // the X server's timestamp, milliseconds
    std::string text;           // what the key types, or else its keysym's name
};

// Hands `key` to every key-event listener; true when one of them consumed
// it (a screen reader's own command). Bridge thread only.
bool deliverKey(const KeyEvent& key);

}  // namespace ui::a11y
