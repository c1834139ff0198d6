#pragma once

// ATK's process-wide hooks, which a toolkit must fill in before the bridge
// starts: the root object, the toolkit's name, and the global event
// listeners through which the bridge hears every object's signals (ATK has
// no default for these, and without them no event reaches a screen reader).
//
// Deliberately absent: the key-event listener. Implementing it would make
// every key press a synchronous round trip to the screen reader.

#include <atk/atk.h>

namespace ui::a11y {

// Installs the hooks once; `root` is the application object, kept for the
// life of the process.
void installAtkUtil(AtkObject* root);

}  // namespace ui::a11y
