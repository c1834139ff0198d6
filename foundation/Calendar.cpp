#include "foundation/Calendar.hpp"

#include <unicode/gregocal.h>
#include <unicode/timezone.h>

#include <limits>

namespace foundation {
namespace {

// Floor division and modulo: the date arithmetic below must round towards
// negative infinity for dates before year 0.
std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

std::int64_t floorMod(std::int64_t a, std::int64_t b) {
    return a - floorDiv(a, b) * b;
}

// Days since 1970-01-01 of a proleptic Gregorian date with month in 1...12
// and day in 1...31; the algorithm counts in 400-year eras, so it is exact
// over the whole 64-bit range this file can produce.
std::int64_t daysFromCivil(std::int64_t year, std::int64_t month, std::int64_t day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = floorDiv(year, 400);
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

DateComponents civilFromDays(std::int64_t days) {
    days += 719468;
    const std::int64_t era = floorDiv(days, 146097);
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    const std::int64_t day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
    const std::int64_t month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

// The date a lenient Gregorian calendar should arrive at, computed without
// any 32-bit limits. The year is the astronomical one (0 is 1 BCE), which is
// what ICU calls the extended year.
DateComponents normalised(const DateComponents& date) {
    const std::int64_t year = date.year + floorDiv(date.month - 1, 12);
    const std::int64_t month = floorMod(date.month - 1, 12) + 1;
    return civilFromDays(daysFromCivil(year, month, 1) + (date.day - 1));
}

bool fitsInt32(std::int64_t value) {
    return value >= std::numeric_limits<std::int32_t>::min() &&
           value <= std::numeric_limits<std::int32_t>::max();
}

std::unique_ptr<icu::GregorianCalendar> makeProlepticGregorian(icu::TimeZone* zone) {
    UErrorCode status = U_ZERO_ERROR;
    auto calendar = std::make_unique<icu::GregorianCalendar>(zone, icu::Locale::getRoot(), status);
    // ICU clamps the change date to the earliest instant it supports, which
    // makes the calendar Gregorian throughout its range.
    calendar->setGregorianChange(-std::numeric_limits<double>::max(), status);
    calendar->setLenient(true);
    if (U_FAILURE(status)) return nullptr;
    return calendar;
}

// Sets the calendar to local midnight of `date` and checks that ICU landed on
// the day the date actually names.
bool setStartOfDay(icu::GregorianCalendar& calendar, const DateComponents& date) {
    if (!fitsInt32(date.year) || !fitsInt32(date.month - 1) || !fitsInt32(date.day)) return false;
    calendar.clear();
    calendar.set(static_cast<std::int32_t>(date.year), static_cast<std::int32_t>(date.month - 1),
                 static_cast<std::int32_t>(date.day));
    UErrorCode status = U_ZERO_ERROR;
    calendar.getTime(status);
    if (U_FAILURE(status)) return false;

    const DateComponents expected = normalised(date);
    const std::int32_t year = calendar.get(UCAL_EXTENDED_YEAR, status);
    const std::int32_t month = calendar.get(UCAL_MONTH, status) + 1;
    const std::int32_t day = calendar.get(UCAL_DATE, status);
    if (U_FAILURE(status)) return false;
    return year == expected.year && month == expected.month && day == expected.day;
}

}  // namespace

Calendar::Calendar(std::unique_ptr<icu::GregorianCalendar> calendar)
    : calendar_(std::move(calendar)) {}

Calendar Calendar::current() {
    return Calendar(makeProlepticGregorian(icu::TimeZone::createDefault()));
}

Calendar Calendar::inTimeZone(const std::string& timeZoneID) {
    return Calendar(makeProlepticGregorian(
        icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(timeZoneID))));
}

Calendar::Calendar(const Calendar& other)
    : calendar_(other.calendar_ ? other.calendar_->clone() : nullptr) {}

Calendar& Calendar::operator=(const Calendar& other) {
    if (this != &other) calendar_.reset(other.calendar_ ? other.calendar_->clone() : nullptr);
    return *this;
}

Calendar::Calendar(Calendar&&) noexcept = default;
Calendar& Calendar::operator=(Calendar&&) noexcept = default;
Calendar::~Calendar() = default;

std::optional<Instant> Calendar::startOfDay(const DateComponents& date) const {
    if (!calendar_) return std::nullopt;
    std::unique_ptr<icu::GregorianCalendar> work(calendar_->clone());
    if (!setStartOfDay(*work, date)) return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    const UDate result = work->getTime(status);
    if (U_FAILURE(status)) return std::nullopt;
    return result;
}

std::optional<Instant> Calendar::instant(const DateComponents& date, int hour, int minute,
                                         int second) const {
    if (!calendar_) return std::nullopt;
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) {
        return std::nullopt;
    }
    std::unique_ptr<icu::GregorianCalendar> work(calendar_->clone());
    if (!setStartOfDay(*work, date)) return std::nullopt;
    // The calendar now holds the resolved day; the time of day is resolved
    // on top of it, daylight-saving gaps included.
    work->set(UCAL_HOUR_OF_DAY, hour);
    work->set(UCAL_MINUTE, minute);
    work->set(UCAL_SECOND, second);
    UErrorCode status = U_ZERO_ERROR;
    const UDate result = work->getTime(status);
    if (U_FAILURE(status)) return std::nullopt;
    return result;
}

std::optional<std::int64_t> Calendar::wholeYears(Instant from, Instant to) const {
    if (!calendar_) return std::nullopt;
    std::unique_ptr<icu::GregorianCalendar> work(calendar_->clone());
    UErrorCode status = U_ZERO_ERROR;
    work->setTime(from, status);
    const std::int32_t years = work->fieldDifference(to, UCAL_YEAR, status);
    if (U_FAILURE(status)) return std::nullopt;
    return years;
}

DateComponents Calendar::dateOf(Instant instant) const {
    if (!calendar_) return {};
    std::unique_ptr<icu::GregorianCalendar> work(calendar_->clone());
    UErrorCode status = U_ZERO_ERROR;
    work->setTime(instant, status);
    return {work->get(UCAL_EXTENDED_YEAR, status), work->get(UCAL_MONTH, status) + 1,
            work->get(UCAL_DATE, status)};
}

std::string Calendar::timeZoneID() const {
    if (!calendar_) return {};
    icu::UnicodeString id;
    calendar_->getTimeZone().getID(id);
    std::string result;
    id.toUTF8String(result);
    return result;
}

namespace {

// The last answer of wholeYearsSinceStartOfDay, and where it holds.
struct RememberedYears {
    DateComponents date;
    std::unique_ptr<icu::TimeZone> zone;
    Instant since = 0;  // the anniversary that began the count
    Instant until = 0;  // the next one, where the count goes up
    std::int64_t years = 0;

    bool holds(const DateComponents& d, const icu::TimeZone& z, Instant now) const {
        // TimeZone's equality compares the ID and the rules, so a zone
        // adopted under an old name still counts as a change.
        return zone && date == d && since <= now && now < until && *zone == z;
    }
};

}  // namespace

std::optional<std::int64_t> wholeYearsSinceStartOfDay(const DateComponents& date, Instant now) {
    thread_local RememberedYears remembered;
    std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createDefault());
    if (remembered.holds(date, *zone, now)) return remembered.years;

    Calendar calendar(makeProlepticGregorian(zone->clone()));
    const auto start = calendar.startOfDay(date);
    if (!start) return std::nullopt;
    const auto years = calendar.wholeYears(*start, now);
    if (!years) return std::nullopt;

    // wholeYears counts the years n with start + n years <= now, and adding
    // years moves strictly later as n grows; so every instant from the n-th
    // anniversary up to the (n+1)-th gives the same n. Only counts from a
    // start at or before now are remembered: a birth date still to come is
    // rare enough to compute each time.
    if (*start <= now && *years < std::numeric_limits<std::int32_t>::max()) {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::GregorianCalendar> work(calendar.calendar_->clone());
        work->setTime(*start, status);
        work->add(UCAL_YEAR, static_cast<std::int32_t>(*years), status);
        const UDate since = work->getTime(status);
        work->setTime(*start, status);
        work->add(UCAL_YEAR, static_cast<std::int32_t>(*years) + 1, status);
        const UDate until = work->getTime(status);
        if (U_SUCCESS(status) && since <= now && now < until) {
            remembered = {date, std::move(zone), since, until, *years};
        }
    }
    return years;
}

void resetCurrentTimeZone() {
    icu::TimeZone::adoptDefault(icu::TimeZone::detectHostTimeZone());
}

}  // namespace foundation
