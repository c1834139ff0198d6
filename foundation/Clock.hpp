#pragma once

#include <unicode/utypes.h>

#include <atomic>

namespace foundation {

// Instants are ICU's UDate: milliseconds since 1970-01-01T00:00:00Z, as a
// double. Using ICU's own type keeps calendar arithmetic free of conversions.
using Instant = UDate;

// Where the current instant comes from. Code that depends on "now" takes a
// Clock so tests can pin time instead of waiting for it.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual Instant now() const = 0;
};

// The real wall clock.
class SystemClock final : public Clock {
  public:
    Instant now() const override;

    // One shared instance; the clock has no state, so sharing is free.
    static const SystemClock& shared();
};

// A clock that stands still until told otherwise. Safe to read from several
// threads while a test moves it.
class FixedClock final : public Clock {
  public:
    explicit FixedClock(Instant instant) : instant_(instant) {}

    Instant now() const override { return instant_.load(); }
    void set(Instant instant) { instant_.store(instant); }
    void advance(double milliseconds) { instant_.store(instant_.load() + milliseconds); }

  private:
    std::atomic<Instant> instant_;
};

}  // namespace foundation
