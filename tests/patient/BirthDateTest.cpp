#include <gtest/gtest.h>
#include <unicode/locid.h>

#include <cctype>
#include <limits>
#include <regex>

#include "foundation/Calendar.hpp"
#include "foundation/Clock.hpp"
#include "patient/PatientBootstrap.hpp"
#include "tests/CaseName.hpp"
#include "tests/foundation/TimeZoneScope.hpp"

namespace {

using foundation::Calendar;
using foundation::DateComponents;
using patient::PatientBootstrap;

PatientBootstrap bornOn(const std::string& dateOfBirth) {
    return PatientBootstrap("Jane Roe", dateOfBirth, "Lakeside Clinic");
}

// --- Parsing and the display date --------------------------------------------

struct Parsed {
    std::string text;
    std::optional<DateComponents> components;
    std::string display;
};

void PrintTo(const Parsed& c, std::ostream* out) {
    *out << '"' << c.text << '"';
}

class DateParsingTest : public testing::TestWithParam<Parsed> {};

TEST_P(DateParsingTest, ParsesAndDisplaysAsMonthDayYear) {
    const PatientBootstrap record = bornOn(GetParam().text);
    EXPECT_EQ(record.dateComponents(), GetParam().components);
    EXPECT_EQ(record.displayDateOfBirth(), GetParam().display);
}

constexpr std::int64_t kInt64Max = std::numeric_limits<std::int64_t>::max();

INSTANTIATE_TEST_SUITE_P(
    Parsed, DateParsingTest,
    testing::Values(Parsed{"2001-01-01", DateComponents{2001, 1, 1}, "1/1/2001"},
                    Parsed{"1999-12-31", DateComponents{1999, 12, 31}, "12/31/1999"},
                    // No range checks and no normalisation for display.
                    Parsed{"2001-13-45", DateComponents{2001, 13, 45}, "13/45/2001"},
                    Parsed{"2001-0-0", DateComponents{2001, 0, 0}, "0/0/2001"},
                    Parsed{"2001-02-30", DateComponents{2001, 2, 30}, "2/30/2001"},
                    Parsed{"01-02-2001", DateComponents{1, 2, 2001}, "2/2001/1"},
                    // "-" only ever separates.
                    Parsed{"2001--01-01", DateComponents{2001, 1, 1}, "1/1/2001"},
                    Parsed{"-2001-01-01", DateComponents{2001, 1, 1}, "1/1/2001"},
                    Parsed{"2001-01-01-", DateComponents{2001, 1, 1}, "1/1/2001"},
                    Parsed{"---2001---1---1---", DateComponents{2001, 1, 1}, "1/1/2001"},
                    Parsed{"+2001-+1-+01", DateComponents{2001, 1, 1}, "1/1/2001"},
                    Parsed{"0002001-001-00001", DateComponents{2001, 1, 1}, "1/1/2001"},
                    Parsed{"9223372036854775807-1-1", DateComponents{kInt64Max, 1, 1},
                           "1/1/9223372036854775807"}),
    testsupport::printedName());

INSTANTIATE_TEST_SUITE_P(
    Unparsed, DateParsingTest,
    testing::Values(Parsed{"", std::nullopt, ""}, Parsed{"-", std::nullopt, "-"},
                    Parsed{"2001-01", std::nullopt, "2001-01"},
                    Parsed{"2001-01-01-05", std::nullopt, "2001-01-01-05"},
                    Parsed{"2001/01/01", std::nullopt, "2001/01/01"},
                    Parsed{" 2001-01-01", std::nullopt, " 2001-01-01"},
                    Parsed{"2001-01-01 ", std::nullopt, "2001-01-01 "},
                    Parsed{"2001-0a-01", std::nullopt, "2001-0a-01"},
                    Parsed{"2001-+-01", std::nullopt, "2001-+-01"},
                    Parsed{"2001-++1-01", std::nullopt, "2001-++1-01"},
                    // Arabic-Indic and full-width digits are not ASCII digits.
                    Parsed{"2001-\xD9\xA1-01", std::nullopt, "2001-\xD9\xA1-01"},
                    Parsed{"2001-\xEF\xBC\x91-01", std::nullopt, "2001-\xEF\xBC\x91-01"},
                    // A minus sign other than "-" is no separator.
                    Parsed{"2001\xE2\x80\x93"
                           "01\xE2\x80\x93"
                           "01",
                           std::nullopt,
                           "2001\xE2\x80\x93"
                           "01\xE2\x80\x93"
                           "01"},
                    Parsed{"9223372036854775808-1-1", std::nullopt, "9223372036854775808-1-1"},
                    Parsed{"99999999999999999999-1-1", std::nullopt, "99999999999999999999-1-1"},
                    Parsed{"next Tuesday", std::nullopt, "next Tuesday"}),
    testsupport::printedName(12));

// --- Age ---------------------------------------------------------------------

// The local date the examples assume, at noon in the current time zone.
double localNoon(const DateComponents& date) {
    return *Calendar::current().instant(date, 12, 0, 0);
}

double localMidnight(const DateComponents& date) {
    return *Calendar::current().startOfDay(date);
}

struct AgeCase {
    std::string dateOfBirth;
    DateComponents today;
    std::string age;
};

void PrintTo(const AgeCase& c, std::ostream* out) {
    *out << c.dateOfBirth << " on " << c.today.year << "-" << c.today.month << "-" << c.today.day;
}

class AgeTest : public testing::TestWithParam<std::tuple<const char*, AgeCase>> {};

TEST_P(AgeTest, CountsWholeYearsInTheLocalCalendar) {
    const auto& [zone, example] = GetParam();
    testsupport::TimeZoneScope scope(zone);
    const foundation::FixedClock clock(localNoon(example.today));
    EXPECT_EQ(bornOn(example.dateOfBirth).ageText(clock), example.age);
}

const AgeCase kAgeCases[] = {
    {"2001-01-01", {2026, 12, 8}, "25"},
    {"1990-12-09", {2026, 12, 8}, "35"},
    {"1990-12-09", {2026, 12, 9}, "36"},
    {"2026-12-08", {2026, 12, 8}, "0"},
    {"2027-06-01", {2026, 12, 8}, "0"},
    {"2027-12-08", {2026, 12, 8}, "0"},
    {"2027-12-08", {2026, 12, 7}, "-1"},
    {"2030-01-01", {2026, 12, 8}, "-3"},
    // Lenient dates count from the day they carry into.
    {"2001-02-30", {2026, 3, 1}, "24"},
    {"2001-02-30", {2026, 3, 2}, "25"},
    {"2001-0-0", {2026, 11, 29}, "25"},
    {"2001-0-0", {2026, 11, 30}, "26"},
    {"2001-13-45", {2027, 2, 13}, "24"},
    {"2001-13-45", {2027, 2, 14}, "25"},
    // Year 1, month 2, day 2001 is 25 July of the year 6.
    {"01-02-2001", {2026, 12, 8}, "2020"},
    // No Julian switch in 1582: the dates it skipped exist.
    {"1582-10-10", {2026, 10, 9}, "443"},
    {"1582-10-10", {2026, 10, 10}, "444"},
    {"0-1-1", {2026, 12, 8}, "2026"},
    // Far but within what the calendar can hold.
    {"5000000-01-01", {2026, 12, 8}, "-4997973"},
    // Values that would wrap around in ICU's 32-bit fields.
    {"6000000-01-01", {2026, 12, 8}, "Unknown"},
    {"2147483648-01-01", {2026, 12, 8}, "Unknown"},
    {"2001-4294967297-01", {2026, 12, 8}, "Unknown"},
    {"2001-01-4294967297", {2026, 12, 8}, "Unknown"},
    {"2001-01-2147483647", {2026, 12, 8}, "Unknown"},
    {"99999999999999999999-01-01", {2026, 12, 8}, "Unknown"},
    {"9223372036854775807-01-01", {2026, 12, 8}, "Unknown"},
    {"2001-01", {2026, 12, 8}, "Unknown"},
    {"", {2026, 12, 8}, "Unknown"},
    {"next Tuesday", {2026, 12, 8}, "Unknown"},
};

std::string zoneName(const char* zone) {
    std::string name = zone;
    for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Zones, AgeTest,
                         testing::Combine(testing::Values("UTC", "America/New_York",
                                                          "Europe/Berlin", "Pacific/Kiritimati"),
                                          testing::ValuesIn(kAgeCases)),
                         [](const testing::TestParamInfo<AgeTest::ParamType>& info) {
                             return zoneName(std::get<0>(info.param)) + "_" +
                                    std::to_string(info.index);
                         });

class BirthdayBoundaryTest : public testing::TestWithParam<const char*> {};

TEST_P(BirthdayBoundaryTest, NextYearAtLocalMidnight) {
    testsupport::TimeZoneScope scope(GetParam());
    const PatientBootstrap record = bornOn("1990-12-09");
    const double midnight = localMidnight({2026, 12, 9});
    foundation::FixedClock clock(midnight - 1);
    EXPECT_EQ(record.ageText(clock), "35");
    clock.set(midnight);
    EXPECT_EQ(record.ageText(clock), "36");
}

INSTANTIATE_TEST_SUITE_P(Zones, BirthdayBoundaryTest,
                         testing::Values("UTC", "America/New_York", "Europe/Berlin",
                                         "Asia/Kolkata"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return zoneName(info.param);
                         });

TEST(AgeTest, TheSameInstantIsADifferentDayInAnotherZone) {
    // 9 December 2026, 03:00 UTC: already the birthday in Berlin, still the
    // day before in New York.
    const PatientBootstrap record = bornOn("1990-12-09");
    const foundation::FixedClock clock(
        *Calendar::inTimeZone("UTC").instant({2026, 12, 9}, 3, 0, 0));
    {
        testsupport::TimeZoneScope scope("Europe/Berlin");
        EXPECT_EQ(record.ageText(clock), "36");
    }
    {
        testsupport::TimeZoneScope scope("America/New_York");
        EXPECT_EQ(record.ageText(clock), "35");
    }
}

TEST(AgeTest, BornOnADayWhoseMidnightWasSkipped) {
    // Brazil's clocks jumped from 00:00 to 01:00 on 4 November 2018: the day
    // starts at 01:00, and the child is 0 that afternoon and 1 a year on.
    testsupport::TimeZoneScope scope("America/Sao_Paulo");
    const PatientBootstrap record = bornOn("2018-11-04");
    foundation::FixedClock clock(localNoon({2018, 11, 4}));
    EXPECT_EQ(record.ageText(clock), "0");
    clock.set(localNoon({2019, 11, 4}));
    EXPECT_EQ(record.ageText(clock), "1");
    clock.set(localNoon({2019, 11, 3}));
    EXPECT_EQ(record.ageText(clock), "0");
}

TEST(AgeTest, LeapDayBirthdaysCountOnTheirDay) {
    testsupport::TimeZoneScope scope("Europe/Berlin");
    const PatientBootstrap record = bornOn("2000-02-29");
    foundation::FixedClock clock(localNoon({2028, 2, 28}));
    EXPECT_EQ(record.ageText(clock), "27");
    clock.set(localNoon({2028, 2, 29}));
    EXPECT_EQ(record.ageText(clock), "28");
    clock.set(localNoon({2027, 3, 1}));
    EXPECT_EQ(record.ageText(clock), "27");
}

TEST(AgeTest, CalendarIsGregorianWhateverTheLocale) {
    // A Thai or Japanese locale would bring its own calendar to ICU; the app
    // counts in the Gregorian calendar everywhere.
    const icu::Locale previous = icu::Locale::getDefault();
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(icu::Locale("th_TH@calendar=buddhist"), status);
    const foundation::FixedClock clock(localNoon({2026, 12, 8}));
    const std::string age = bornOn("2001-01-01").ageText(clock);
    icu::Locale::setDefault(previous, status);
    EXPECT_EQ(age, "25");
}

TEST(AgeTest, DefaultClockIsTheSystemClock) {
    const std::string age = bornOn("2001-01-01").ageText();
    EXPECT_TRUE(std::regex_match(age, std::regex("[0-9]+"))) << age;
    EXPECT_GE(std::stoi(age), 25);
}

}  // namespace
