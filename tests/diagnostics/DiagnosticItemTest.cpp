#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "diagnostics/DiagnosticItem.hpp"

namespace {

using diagnostics::DiagnosticInfo;
using diagnostics::DiagnosticItem;

TEST(DiagnosticInfoTest, ListsTheSevenSettingsInOrder) {
    const auto& items = DiagnosticInfo::items();
    const std::vector<std::string> labels = {
        "Clinic Route",      "Sync Gateway",     "Patient Cache Realm", "Sync Queue",
        "Imaging Link Mode", "Medication Cache", "Last Gateway Check"};
    ASSERT_EQ(items.size(), labels.size());
    for (std::size_t i = 0; i < items.size(); ++i) EXPECT_EQ(items[i].label, labels[i]);
}

TEST(DiagnosticInfoTest, FixedValuesAreTextNotState) {
    const auto& items = DiagnosticInfo::items();
    ASSERT_EQ(items.size(), 7u);
    EXPECT_EQ(items[2].value, "patient-summary-cache-v2");
    EXPECT_EQ(items[3].value, "0 pending records");
    EXPECT_EQ(items[4].value, "local bundled asset");
    EXPECT_EQ(items[5].value, "offline lookup enabled");
    EXPECT_EQ(items[6].value, "2026-05-30 09:42 UTC");
}

TEST(DiagnosticInfoTest, RouteAndGatewayNameTheSameSite) {
    const auto& items = DiagnosticInfo::items();
    const std::string& route = items[0].value;
    const std::string& gateway = items[1].value;
    EXPECT_TRUE(std::regex_match(route, std::regex("[a-z]{8}"))) << route;
    // A short, unqualified host name: one DNS label, no domain.
    EXPECT_TRUE(std::regex_match(gateway, std::regex("[a-z0-9]([a-z0-9-]{0,30}[a-z0-9])?")))
        << gateway;
    EXPECT_NE(gateway.find(route), std::string::npos) << gateway;
}

TEST(DiagnosticInfoTest, IdsAreDistinctAndStable) {
    const auto& first = DiagnosticInfo::items();
    std::set<std::string> ids;
    for (const auto& item : first) ids.insert(item.id.uuidString());
    EXPECT_EQ(ids.size(), first.size());

    const auto& again = DiagnosticInfo::items();
    EXPECT_EQ(&again, &first);
    for (std::size_t i = 0; i < first.size(); ++i) EXPECT_EQ(again[i].id, first[i].id);
}

TEST(DiagnosticItemTest, EachConstructionDrawsAFreshId) {
    const DiagnosticItem a("Clinic Route", "lakeside");
    const DiagnosticItem b("Clinic Route", "lakeside");
    EXPECT_NE(a.id, b.id);
    EXPECT_EQ(a.label, "Clinic Route");
    EXPECT_EQ(a.value, "lakeside");
    // A copy is the same row.
    const DiagnosticItem copy = a;
    EXPECT_EQ(copy.id, a.id);
}

}  // namespace
