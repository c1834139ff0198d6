#pragma once

#include <unicode/uversion.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "foundation/Clock.hpp"

U_NAMESPACE_BEGIN
class GregorianCalendar;
U_NAMESPACE_END

namespace foundation {

// A calendar date as written by a person: year, month (1 = January) and day.
// Values are kept exactly as given, out-of-range months and days included;
// only a calendar decides what such a date means.
struct DateComponents {
    std::int64_t year = 0;
    std::int64_t month = 0;
    std::int64_t day = 0;

    friend bool operator==(const DateComponents&, const DateComponents&) = default;
};

// The calendar the app does its date arithmetic in.
//
// Linux offers no per-user calendar setting (the locale says how dates are
// written, not which calendar the user counts in), so this is always the
// proleptic Gregorian calendar: Gregorian rules apply before 1582 too, so a
// date never silently switches to Julian reckoning. It works in the current
// time zone, which follows TZ.
//
// ICU does the arithmetic, but ICU takes 32-bit fields and, when lenient,
// silently wraps huge values around (year 6,000,000 comes back BCE). So every
// conversion is checked against the same date computed independently in
// 64-bit integers, and a mismatch counts as "cannot convert".
class Calendar {
  public:
    // The proleptic Gregorian calendar in the current default time zone.
    static Calendar current();

    // The same calendar in the named time zone (an Olson ID such as
    // "Europe/Berlin"); unknown IDs give ICU's "Etc/Unknown", i.e. GMT.
    static Calendar inTimeZone(const std::string& timeZoneID);

    Calendar(const Calendar& other);
    Calendar& operator=(const Calendar& other);
    Calendar(Calendar&&) noexcept;
    Calendar& operator=(Calendar&&) noexcept;
    ~Calendar();

    // The instant local midnight starts the given day, read leniently: months
    // and days outside their range carry into the neighbouring months and
    // years (2001-02-30 is 2 March 2001, 2001-0-0 is 30 November 2000). When
    // midnight does not exist that day because of a daylight-saving change,
    // the first instant of the day is used. No value when a component does
    // not fit 32 bits or the date lies outside what the calendar can hold.
    std::optional<Instant> startOfDay(const DateComponents& date) const;

    // The instant of a local wall-clock time. The date is read as in
    // startOfDay; hour, minute and second must be in their usual ranges.
    std::optional<Instant> instant(const DateComponents& date, int hour, int minute,
                                   int second) const;

    // Whole years from `from` to `to`, truncated towards zero: the largest n
    // such that adding n years to `from` does not pass `to` (negative when
    // `to` is earlier). No value when the calendar cannot tell.
    std::optional<std::int64_t> wholeYears(Instant from, Instant to) const;

    // The local calendar date of an instant, normalised.
    DateComponents dateOf(Instant instant) const;

    std::string timeZoneID() const;

  private:
    friend std::optional<std::int64_t> wholeYearsSinceStartOfDay(const DateComponents& date,
                                                                 Instant now);

    explicit Calendar(std::unique_ptr<icu::GregorianCalendar> calendar);

    std::unique_ptr<icu::GregorianCalendar> calendar_;
};

// Whole years from local midnight of `date` to `now` in the current
// calendar: exactly Calendar::current().startOfDay(date) followed by
// wholeYears(start, now), and no value where either has none.
//
// Building a calendar and searching for the year count costs far more than
// the rest of a screen's body, and the answer only changes at a birthday.
// So the last answer is remembered with the span of instants over which
// wholeYears must give it again (from this year's anniversary up to the
// next one, as the same calendar computes them); a call whose date, time
// zone and instant all fall within the remembered ones returns it, and any
// other call computes afresh. The clock is still read on every call: only
// the calendar work is saved. The memory is per thread.
std::optional<std::int64_t> wholeYearsSinceStartOfDay(const DateComponents& date, Instant now);

// Makes ICU's default time zone follow TZ again. ICU reads the host zone once
// and keeps it; call this after changing TZ (tests do, to run in several
// zones within one process).
void resetCurrentTimeZone();

}  // namespace foundation
