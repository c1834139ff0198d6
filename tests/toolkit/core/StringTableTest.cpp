// How a key and its argument become the text a view shows.

#include <gtest/gtest.h>

#include <ostream>

#include "tests/CaseName.hpp"
#include "toolkit/core/StringTable.hpp"

namespace {

struct Substitution {
    std::string key;
    std::string argument;
    std::string expected;
};

void PrintTo(const Substitution& c, std::ostream* out) {
    *out << c.key << " <- " << c.argument;
}

class SubstitutionTest : public testing::TestWithParam<Substitution> {
  protected:
    // Keys show as written: what is checked is the substitution alone.
    void SetUp() override { ui::setStringTable(nullptr); }
};

TEST_P(SubstitutionTest, TheArgumentTakesThePlaceOfTheFirstPlaceholderVerbatim) {
    EXPECT_EQ(ui::localized(ui::LocalizedString(GetParam().key, GetParam().argument)),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Of, SubstitutionTest,
                         testing::Values(Substitution{"Demo chart for Patient: %@", "John Doe",
                                                      "Demo chart for Patient: John Doe"},
                                         Substitution{"%@ first", "", " first"},
                                         // The argument is never expanded again.
                                         Substitution{"Patient: %@", "%@ %@", "Patient: %@ %@"},
                                         // Without a placeholder the text stays as it is.
                                         Substitution{"Hallo", "Jane", "Hallo"},
                                         Substitution{"Twice %@ and %@", "a", "Twice a and %@"}),
                         testsupport::printedName(9));

}  // namespace
