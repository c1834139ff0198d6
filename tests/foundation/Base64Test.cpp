#include <gtest/gtest.h>

#include <random>
#include <string>

#include "foundation/Base64.hpp"
#include "tests/CaseName.hpp"

namespace {

std::vector<std::uint8_t> bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

// A plain encoder written for the tests, so decoding can be checked against
// inputs the decoder has never seen.
std::string encode(const std::vector<std::uint8_t>& bytes) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t group = 0;
        for (std::size_t k = 0; k < 3; ++k) group = (group << 8) | (k < n ? bytes[i + k] : 0);
        for (std::size_t k = 0; k < 4; ++k) {
            out += k <= n ? kAlphabet[(group >> (18 - 6 * k)) & 63] : '=';
        }
    }
    return out;
}

struct ValidCase {
    std::string text;
    std::vector<std::uint8_t> bytes;
};

void PrintTo(const ValidCase& c, std::ostream* out) {
    *out << '"' << c.text << '"';
}

class Base64ValidTest : public testing::TestWithParam<ValidCase> {};

TEST_P(Base64ValidTest, DecodesToExpectedBytes) {
    const auto decoded = foundation::base64Decode(GetParam().text);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(*decoded, GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    KnownVectors, Base64ValidTest,
    testing::Values(ValidCase{"", {}}, ValidCase{"Zg==", bytesOf("f")},
                    ValidCase{"Zm8=", bytesOf("fo")}, ValidCase{"Zm9v", bytesOf("foo")},
                    ValidCase{"Zm9vYg==", bytesOf("foob")}, ValidCase{"Zm9vYmE=", bytesOf("fooba")},
                    ValidCase{"Zm9vYmFy", bytesOf("foobar")}, ValidCase{"+/+/", {0xFB, 0xFF, 0xBF}},
                    ValidCase{"AAAA", {0, 0, 0}}, ValidCase{"////", {0xFF, 0xFF, 0xFF}}),
    testsupport::printedName());

class Base64InvalidTest : public testing::TestWithParam<std::string> {};

TEST_P(Base64InvalidTest, IsRejected) {
    EXPECT_FALSE(foundation::base64Decode(GetParam()).has_value()) << "input: " << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Malformed, Base64InvalidTest,
                         testing::Values(
                             // Length and padding.
                             "Zg", "Zg=", "Zm9vY", "Z===", "====", "=Zm9", "Zg==Zg==", "Zm=v",
                             "Zm9v=", "Zm9v====",
                             // Whitespace anywhere, including the line break an editor adds.
                             "Zm9v\n", "\nZm9v", " Zm9v", "Zm9v ", "Zm 9v", "Zm9v\r\n", "Zm9\tv",
                             "Zm9vYg==\n",
                             // Characters outside the standard alphabet: URL-safe, NUL, non-ASCII.
                             "Zm9v-_-_", std::string("Zm9\0", 4), "Zm9\xC3", "Zm.v",
                             // Padding that hides set bits: only one spelling of each byte string.
                             "Zh==", "Zm9=", "Zm/=", "AB=="),
                         testsupport::printedName());

TEST(Base64Test, AcceptsExactlyTheAlphabetInEveryPosition) {
    const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (int c = 0; c < 256; ++c) {
        const bool inAlphabet = alphabet.find(static_cast<char>(c)) != std::string::npos;
        for (std::size_t position = 0; position < 4; ++position) {
            std::string text = "AAAA";
            text[position] = static_cast<char>(c);
            // "AAA=" is the one spelling where "=" belongs: padding.
            const bool isPadding = c == '=' && position == 3;
            EXPECT_EQ(foundation::base64Decode(text).has_value(), inAlphabet || isPadding)
                << "byte " << c << " at " << position;
        }
    }
}

TEST(Base64Test, RoundTripsRandomBytesOfEveryLengthRemainder) {
    std::mt19937 random(20261208);
    for (std::size_t length = 0; length < 200; ++length) {
        std::vector<std::uint8_t> bytes(length);
        for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
        const auto decoded = foundation::base64Decode(encode(bytes));
        ASSERT_TRUE(decoded.has_value()) << "length " << length;
        EXPECT_EQ(*decoded, bytes);
    }
}

}  // namespace
