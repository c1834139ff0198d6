// The rule that decides which rows of a card a divider follows.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "theme/DividedRows.hpp"

namespace {

struct Row {
    int id;
};

struct DividerCase {
    const char* name;
    std::vector<int> ids;
    // For each row in order: whether a divider follows it.
    std::vector<bool> followed;
};

void PrintTo(const DividerCase& c, std::ostream* out) {
    *out << c.name;
}

class DividerRule : public ::testing::TestWithParam<DividerCase> {};

TEST_P(DividerRule, FollowsRowsWhoseIdIsNotTheLasts) {
    const auto& [name, ids, followed] = GetParam();
    std::vector<Row> rows;
    for (int id : ids) rows.push_back({id});
    std::vector<bool> actual;
    for (const Row& row : rows) actual.push_back(theme::dividerFollows(row, rows));
    EXPECT_EQ(actual, followed);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, DividerRule,
    ::testing::Values(DividerCase{"distinctIds", {1, 2, 3}, {true, true, false}},
                      DividerCase{"oneRow", {7}, {false}},
                      // Only the id counts, not the place: an earlier row
                      // with the last row's id gets no divider either.
                      DividerCase{"earlierRowHasTheLastId", {4, 5, 4}, {false, true, false}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DividerRule, AnEmptyListHasNoLastIdSoEveryRowDiffersFromIt) {
    EXPECT_TRUE(theme::dividerFollows(Row{1}, std::vector<Row>{}));
}

}  // namespace
