#include "foundation/CurrentClock.hpp"

#include <atomic>

namespace foundation {
namespace {

std::atomic<const Clock*> pinned{nullptr};

}  // namespace

const Clock& currentClock() {
    const Clock* clock = pinned.load();
    return clock ? *clock : SystemClock::shared();
}

void setCurrentClock(const Clock* clock) { pinned.store(clock); }

}  // namespace foundation
