#include <gtest/gtest.h>

#include <regex>
#include <unordered_set>

#include "foundation/UUID.hpp"

namespace {

TEST(UUIDTest, GeneratesRandomVersionFourWithRfcVariant) {
    for (int i = 0; i < 100; ++i) {
        const foundation::UUID uuid;
        EXPECT_EQ(uuid.bytes()[6] >> 4, 4);
        EXPECT_EQ(uuid.bytes()[8] >> 6, 0b10);
    }
}

TEST(UUIDTest, TextIsCanonicalUpperCase) {
    const std::regex canonical(
        "[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
    for (int i = 0; i < 100; ++i) {
        const std::string text = foundation::UUID().uuidString();
        EXPECT_TRUE(std::regex_match(text, canonical)) << text;
    }
}

TEST(UUIDTest, FreshIdentifiersDifferAndCopiesAreEqual) {
    std::unordered_set<foundation::UUID> seen;
    for (int i = 0; i < 10000; ++i) EXPECT_TRUE(seen.insert(foundation::UUID()).second);

    const foundation::UUID original;
    const foundation::UUID copy = original;
    EXPECT_EQ(copy, original);
    EXPECT_NE(foundation::UUID(), original);
    EXPECT_EQ(std::hash<foundation::UUID>()(copy), std::hash<foundation::UUID>()(original));
}

}  // namespace
