#pragma once

#include "foundation/Clock.hpp"

namespace foundation {

// The clock that "now" means for the whole app: the system clock, unless a
// preview or a test pins another one. Set it before the first frame; the
// clock must outlive every read.
const Clock& currentClock();
void setCurrentClock(const Clock* clock);

}  // namespace foundation
