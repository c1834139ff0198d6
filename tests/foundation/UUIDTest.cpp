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

TEST(UUIDTest, ParsesItsOwnTextInEitherCase) {
    const foundation::UUID uuid;
    std::string lower = uuid.uuidString();
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(foundation::UUID::fromString(uuid.uuidString()), uuid);
    EXPECT_EQ(foundation::UUID::fromString(lower), uuid);
    EXPECT_EQ(foundation::UUID::fromString("E621E1F8-C36C-495A-93FC-0C247A3E6E5F")->uuidString(),
              "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
}

TEST(UUIDTest, RejectsMalformedText) {
    for (const char* text :
         {"", "E621E1F8-C36C-495A-93FC-0C247A3E6E5", "E621E1F8C36C495A93FC0C247A3E6E5F",
          "E621E1F8-C36C-495A-93FC-0C247A3E6E5G", " E621E1F8-C36C-495A-93FC-0C247A3E6E5F",
          "E621E1F8-C36C-495A-93FC-0C247A3E6E5F0"}) {
        EXPECT_FALSE(foundation::UUID::fromString(text).has_value()) << text;
    }
}

}  // namespace
