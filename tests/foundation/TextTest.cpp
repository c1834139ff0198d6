#include <gtest/gtest.h>
#include <unicode/locid.h>

#include "foundation/Text.hpp"
#include "tests/CaseName.hpp"

namespace {

struct CaseMapping {
    std::string input;
    std::string expected;
};

void PrintTo(const CaseMapping& c, std::ostream* out) {
    *out << '"' << c.input << '"';
}

class UppercasedTest : public testing::TestWithParam<CaseMapping> {};

TEST_P(UppercasedTest, MapsFullUnicode) {
    EXPECT_EQ(foundation::uppercased(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Mappings, UppercasedTest,
    testing::Values(CaseMapping{"", ""}, CaseMapping{"Clinic Route", "CLINIC ROUTE"},
                    CaseMapping{"0 pending records", "0 PENDING RECORDS"},
                    // One character becoming several changes the length.
                    CaseMapping{"ß", "SS"}, CaseMapping{"Straße", "STRASSE"},
                    CaseMapping{"ﬁx", "FIX"}, CaseMapping{"ŉ", "ʼN"},
                    // Root rules keep Greek accents (only the Greek locale drops them).
                    CaseMapping{"άλφα", "ΆΛΦΑ"}, CaseMapping{"ǆ", "Ǆ"},
                    CaseMapping{"ü ö ä é", "Ü Ö Ä É"},
                    // Symbols and characters without case stay as they are.
                    CaseMapping{"2026-05-30 09:42 UTC", "2026-05-30 09:42 UTC"},
                    CaseMapping{"❤️ 日本", "❤️ 日本"}),
    testsupport::printedName());

TEST(UppercasedTest, IgnoresTheDefaultLocale) {
    // Under Turkish rules "i" would become "İ"; the app must not depend on
    // where the user lives.
    const icu::Locale previous = icu::Locale::getDefault();
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(icu::Locale("tr", "TR"), status);
    ASSERT_TRUE(U_SUCCESS(status));
    const std::string result = foundation::uppercased("imaging link mode");
    icu::Locale::setDefault(previous, status);
    EXPECT_EQ(result, "IMAGING LINK MODE");
}

TEST(UppercasedTest, ReplacesInvalidUtf8) {
    EXPECT_EQ(foundation::uppercased("a\xFF"
                                     "b"),
              "A\xEF\xBF\xBD"
              "B");
    EXPECT_EQ(foundation::uppercased(std::string("a\0b", 3)), std::string("A\0B", 3));
}

}  // namespace
