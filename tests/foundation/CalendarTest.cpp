#include <gtest/gtest.h>

#include <chrono>
#include <limits>

#include "foundation/Calendar.hpp"
#include "foundation/Clock.hpp"
#include "tests/CaseName.hpp"
#include "tests/foundation/TimeZoneScope.hpp"

namespace foundation {
// Readable names for parameterised cases in test listings.
void PrintTo(const DateComponents& date, std::ostream* out) {
    *out << date.year << "-" << date.month << "-" << date.day;
}
}  // namespace foundation

namespace {

using foundation::Calendar;
using foundation::DateComponents;

constexpr double kDay = 86'400'000.0;
constexpr double kHour = 3'600'000.0;

// Local midnight of a UTC calendar date, computed with std::chrono instead
// of ICU, carrying out-of-range months and days the way a lenient calendar
// does.
double utcMidnight(int year, int month, int day) {
    using namespace std::chrono;
    const int monthIndex = month - 1;
    const int carry = monthIndex >= 0 ? monthIndex / 12 : -((11 - monthIndex) / 12);
    const int normalisedMonth = monthIndex - carry * 12 + 1;
    const sys_days first = std::chrono::year(year + carry) / normalisedMonth / 1;
    return duration<double, std::milli>((first + days(day - 1)).time_since_epoch()).count();
}

TEST(CalendarTest, CurrentFollowsTimeZoneChanges) {
    const std::string before = Calendar::current().timeZoneID();
    {
        testsupport::TimeZoneScope zone("America/New_York");
        EXPECT_EQ(Calendar::current().timeZoneID(), "America/New_York");
        EXPECT_EQ(*Calendar::current().startOfDay({2026, 12, 8}),
                  utcMidnight(2026, 12, 8) + 5 * kHour);
    }
    EXPECT_EQ(Calendar::current().timeZoneID(), before);
}

TEST(CalendarTest, LenientDatesAgreeWithIndependentArithmetic) {
    const Calendar utc = Calendar::inTimeZone("UTC");
    for (int year : {-1, 0, 1, 4, 100, 1582, 1600, 1900, 2000, 2001, 2024, 2100}) {
        for (int month = -14; month <= 27; ++month) {
            for (int day = -40; day <= 70; day += 3) {
                const auto instant = utc.startOfDay({year, month, day});
                ASSERT_TRUE(instant.has_value()) << year << "-" << month << "-" << day;
                EXPECT_EQ(*instant, utcMidnight(year, month, day))
                    << year << "-" << month << "-" << day;
            }
        }
    }
}

TEST(CalendarTest, IsProlepticGregorianBefore1582) {
    const Calendar utc = Calendar::inTimeZone("UTC");
    EXPECT_EQ(*utc.startOfDay({1582, 10, 15}) - *utc.startOfDay({1582, 10, 4}), 11 * kDay);
    EXPECT_EQ(*utc.startOfDay({1000, 3, 1}), utcMidnight(1000, 3, 1));
    // 1500 is no leap year under Gregorian rules.
    EXPECT_EQ(utc.dateOf(*utc.startOfDay({1500, 2, 29})), (DateComponents{1500, 3, 1}));
}

class CalendarRangeTest : public testing::TestWithParam<DateComponents> {};

TEST_P(CalendarRangeTest, RefusesWhatWouldWrapAround) {
    EXPECT_FALSE(Calendar::inTimeZone("UTC").startOfDay(GetParam()).has_value());
}

constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

INSTANTIATE_TEST_SUITE_P(
    Huge, CalendarRangeTest,
    testing::Values(DateComponents{6'000'000, 1, 1}, DateComponents{kInt32Max + 1, 1, 1},
                    DateComponents{2000, 1, kInt32Max}, DateComponents{2000, kInt32Max + 2, 1},
                    DateComponents{std::numeric_limits<std::int64_t>::max(), 1, 1}),
    testsupport::printedName());

TEST(CalendarTest, ConvertsFarButRepresentableYears) {
    const Calendar utc = Calendar::inTimeZone("UTC");
    const auto instant = utc.startOfDay({5'000'000, 6, 1});
    ASSERT_TRUE(instant.has_value());
    EXPECT_EQ(utc.dateOf(*instant), (DateComponents{5'000'000, 6, 1}));
    // About 13.7 million years of days still lands inside the range.
    EXPECT_TRUE(utc.startOfDay({0, 1, 1'000'000'000}).has_value());
}

TEST(CalendarTest, MidnightSkippedByDaylightSavingStartsTheDayAtOneOClock) {
    // Brazil started summer time at midnight on 4 November 2018.
    const Calendar saoPaulo = Calendar::inTimeZone("America/Sao_Paulo");
    const auto instant = saoPaulo.startOfDay({2018, 11, 4});
    ASSERT_TRUE(instant.has_value());
    EXPECT_EQ(*instant, utcMidnight(2018, 11, 4) + 3 * kHour);
    EXPECT_EQ(saoPaulo.dateOf(*instant), (DateComponents{2018, 11, 4}));
}

TEST(CalendarTest, InstantResolvesWallClockTimeAcrossDaylightSaving) {
    const Calendar berlin = Calendar::inTimeZone("Europe/Berlin");
    EXPECT_EQ(*berlin.instant({2026, 7, 1}, 12, 30, 15),
              utcMidnight(2026, 7, 1) + 10.5 * kHour + 15'000);
    EXPECT_EQ(*berlin.instant({2026, 12, 8}, 23, 59, 59),
              utcMidnight(2026, 12, 8) + 22 * kHour + 3'599'000);
    EXPECT_FALSE(berlin.instant({2026, 12, 8}, 24, 0, 0).has_value());
    EXPECT_FALSE(berlin.instant({2026, 12, 8}, 0, -1, 0).has_value());
    EXPECT_FALSE(berlin.instant({9'000'000, 1, 1}, 0, 0, 0).has_value());
}

TEST(ClockTest, FixedClockMovesOnlyWhenTold) {
    foundation::FixedClock clock(1000.0);
    EXPECT_EQ(clock.now(), 1000.0);
    clock.advance(250.0);
    EXPECT_EQ(clock.now(), 1250.0);
    clock.set(-5.0);
    EXPECT_EQ(clock.now(), -5.0);
}

TEST(ClockTest, SystemClockReadsTheWallClockInMilliseconds) {
    using namespace std::chrono;
    const double before =
        duration<double, std::milli>(system_clock::now().time_since_epoch()).count();
    const double now = foundation::SystemClock::shared().now();
    const double after =
        duration<double, std::milli>(system_clock::now().time_since_epoch()).count();
    EXPECT_LE(before, now);
    EXPECT_LE(now, after);
}

}  // namespace
