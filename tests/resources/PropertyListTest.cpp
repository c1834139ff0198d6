#include <gtest/gtest.h>
#include <plist/plist.h>

#include <limits>
#include <string>

#include "resources/PropertyList.hpp"
#include "tests/CaseName.hpp"
#include "tests/resources/BundleTestSupport.hpp"

namespace {

using resources::PlistDate;
using resources::PlistValue;

std::span<const std::uint8_t> bytesOf(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

PlistValue::Dictionary parseXmlEntries(std::string_view entries) {
    const std::string xml = testsupport::xmlPlist(entries);
    return resources::parseInfoDictionary(bytesOf(xml));
}

// 2026-05-30T09:42:00Z in milliseconds since 1970.
constexpr double kSampleInstant = 1'780'134'120'000.0;

TEST(PropertyListTest, ReadsEveryXmlTypeWithItsType) {
    const auto info = parseXmlEntries(
        "<key>string</key><string>Fish &amp; Chips: Gr\xC3\xBC\xC3\x9F"
        "e</string>\n"
        "<key>empty</key><string></string>\n"
        "<key>integer</key><integer>42</integer>\n"
        "<key>real</key><real>2.5</real>\n"
        "<key>yes</key><true/>\n"
        "<key>no</key><false/>\n"
        "<key>date</key><date>2026-05-30T09:42:00Z</date>\n"
        "<key>data</key><data>AAEC/w==</data>\n"
        "<key>array</key><array><string>a</string><integer>1</integer></array>\n"
        "<key>dict</key><dict><key>inner</key><true/></dict>\n");

    ASSERT_EQ(info.size(), 10u);
    EXPECT_EQ(info.at("string"), PlistValue("Fish & Chips: Grüße"));
    EXPECT_EQ(info.at("empty"), PlistValue(""));
    EXPECT_EQ(info.at("integer"), PlistValue(std::int64_t{42}));
    EXPECT_EQ(info.at("real"), PlistValue(2.5));
    EXPECT_EQ(info.at("yes"), PlistValue(true));
    EXPECT_EQ(info.at("no"), PlistValue(false));
    EXPECT_EQ(info.at("date"), PlistValue(PlistDate{kSampleInstant}));
    EXPECT_EQ(info.at("data"), PlistValue(PlistValue::Data{0, 1, 2, 255}));
    EXPECT_EQ(info.at("array"), PlistValue(PlistValue::Array{"a", std::int64_t{1}}));
    EXPECT_EQ(info.at("dict"), PlistValue(PlistValue::Dictionary{{"inner", true}}));
    // The conditional cast that callers rely on.
    EXPECT_NE(info.at("string").getIf<std::string>(), nullptr);
    EXPECT_EQ(info.at("integer").getIf<std::string>(), nullptr);
}

TEST(PropertyListTest, BinaryListsReadTheSameAsXml) {
    plist_t root = plist_new_dict();
    plist_dict_set_item(root, "string", plist_new_string("Fish & Chips: Grüße"));
    plist_dict_set_item(root, "integer", plist_new_uint(42));
    plist_dict_set_item(root, "real", plist_new_real(2.5));
    plist_dict_set_item(root, "yes", plist_new_bool(1));
    // libplist counts date seconds from 2001-01-01.
    plist_dict_set_item(root, "date", plist_new_date(kSampleInstant / 1000 - 978'307'200, 0));
    plist_dict_set_item(root, "data", plist_new_data("\x00\x01\x02\xFF", 4));
    plist_t array = plist_new_array();
    plist_array_append_item(array, plist_new_string("a"));
    plist_array_append_item(array, plist_new_uint(1));
    plist_dict_set_item(root, "array", array);
    const auto binary = resources::parseInfoDictionary(testsupport::binaryPlist(root));

    const auto xml = parseXmlEntries(
        "<key>string</key><string>Fish &amp; Chips: Grüße</string>\n"
        "<key>integer</key><integer>42</integer>\n"
        "<key>real</key><real>2.5</real>\n"
        "<key>yes</key><true/>\n"
        "<key>date</key><date>2026-05-30T09:42:00Z</date>\n"
        "<key>data</key><data>AAEC/w==</data>\n"
        "<key>array</key><array><string>a</string><integer>1</integer></array>\n");
    EXPECT_EQ(binary.size(), 7u);
    EXPECT_EQ(binary, xml);
}

struct IntegerCase {
    std::string written;
    std::int64_t read;
};

void PrintTo(const IntegerCase& c, std::ostream* out) {
    *out << c.written;
}

class PlistIntegerTest : public testing::TestWithParam<IntegerCase> {};

TEST_P(PlistIntegerTest, ReadsSignedSixtyFourBit) {
    const auto info =
        parseXmlEntries("<key>n</key><integer>" + GetParam().written + "</integer>\n");
    ASSERT_EQ(info.count("n"), 1u);
    EXPECT_EQ(info.at("n"), PlistValue(GetParam().read));
}

INSTANTIATE_TEST_SUITE_P(
    Values, PlistIntegerTest,
    testing::Values(IntegerCase{"0", 0}, IntegerCase{"-5", -5}, IntegerCase{"-1", -1},
                    IntegerCase{"9223372036854775807", std::numeric_limits<std::int64_t>::max()},
                    IntegerCase{"-9223372036854775808", std::numeric_limits<std::int64_t>::min()},
                    // Beyond the signed range: the bits are kept, so it wraps.
                    IntegerCase{"18446744073709551615", -1}),
    testsupport::printedName());

TEST(PropertyListTest, NegativeIntegersSurviveTheBinaryForm) {
    const auto info = resources::parseInfoDictionary(
        testsupport::binaryPlistWith("n", plist_new_uint(static_cast<std::uint64_t>(-5))));
    EXPECT_EQ(info.at("n"), PlistValue(std::int64_t{-5}));
}

TEST(PropertyListTest, DuplicateKeysKeepTheLastValue) {
    const auto info =
        parseXmlEntries("<key>a</key><string>first</string><key>a</key><string>second</string>\n");
    ASSERT_EQ(info.size(), 1u);
    EXPECT_EQ(info.at("a"), PlistValue("second"));
}

class MalformedInfoTest : public testing::TestWithParam<std::string> {};

TEST_P(MalformedInfoTest, ReadsAsEmptyDictionary) {
    EXPECT_TRUE(resources::parseInfoDictionary(bytesOf(GetParam())).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, MalformedInfoTest,
    testing::Values(
        "", "not a property list", "{\"patientName\": \"Jane\"}",
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>a</key>",
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>a</key><string>x</dict></plist>",
        "bplist00",
        std::string("bplist00\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 40),
        // A root that is not a dictionary is no Info dictionary.
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><array><string>a</string></array></plist>",
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><string>a</string></plist>"),
    testsupport::printedName());

// Binary lists whose containers use the longer count forms and wider object
// references must still pass the size check before parsing.
class BinaryContainerTest : public testing::TestWithParam<int> {};

TEST_P(BinaryContainerTest, LargeContainersRoundTrip) {
    const int count = GetParam();
    plist_t array = plist_new_array();
    plist_t dict = plist_new_dict();
    PlistValue::Array expectedArray;
    PlistValue::Dictionary expectedDict;
    // GCC 12 in optimised builds warns that "k" + std::to_string(i) makes
    // memcpy "overlap" by an impossible number of bytes: a known false
    // positive of its -Wrestrict on std::string.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
#endif
    for (int i = 0; i < count; ++i) {
        plist_array_append_item(array, plist_new_uint(static_cast<std::uint64_t>(i)));
        plist_dict_set_item(dict, ("k" + std::to_string(i)).c_str(),
                            plist_new_string(std::to_string(i).c_str()));
        expectedArray.emplace_back(std::int64_t{i});
        expectedDict.emplace("k" + std::to_string(i), std::to_string(i));
    }
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
    plist_t root = plist_new_dict();
    plist_dict_set_item(root, "array", array);
    plist_dict_set_item(root, "dict", dict);
    const auto info = resources::parseInfoDictionary(testsupport::binaryPlist(root));
    ASSERT_EQ(info.size(), 2u);
    EXPECT_EQ(info.at("array"), PlistValue(expectedArray));
    EXPECT_EQ(info.at("dict"), PlistValue(expectedDict));
}

INSTANTIATE_TEST_SUITE_P(Sizes, BinaryContainerTest, testing::Values(0, 1, 14, 15, 16, 300, 20000),
                         testsupport::namedBy([](int n) {
                             return std::to_string(n) + " entries";
                         }));

std::string nestedXmlArrays(int depth) {
    std::string entries = "<key>deep</key>";
    for (int i = 0; i < depth; ++i) entries += "<array>";
    for (int i = 0; i < depth; ++i) entries += "</array>";
    return testsupport::xmlPlist(entries + "<key>name</key><string>x</string>\n");
}

TEST(PropertyListLimitsTest, ModerateNestingParses) {
    const std::string xml = nestedXmlArrays(200);
    const auto info = resources::parseInfoDictionary(bytesOf(xml));
    EXPECT_EQ(info.size(), 2u);
}

TEST(PropertyListLimitsTest, HundredThousandDeepXmlIsRefusedNotACrash) {
    const std::string xml = nestedXmlArrays(100'000);
    EXPECT_FALSE(resources::parsePropertyList(bytesOf(xml)).has_value());
}

TEST(PropertyListLimitsTest, HundredThousandDeepBinaryIsRefusedNotACrash) {
    plist_t root = plist_new_dict();
    plist_t current = plist_new_array();
    plist_dict_set_item(root, "deep", current);
    for (int i = 0; i < 100'000; ++i) {
        plist_t inner = plist_new_array();
        plist_array_append_item(current, inner);
        current = inner;
    }
    EXPECT_FALSE(resources::parsePropertyList(testsupport::binaryPlist(root)).has_value());
}

// A binary list written by hand: each object is given as its bytes, one-byte
// object references, two-byte offsets, top object 0.
std::vector<std::uint8_t> handWrittenBinary(const std::vector<std::vector<std::uint8_t>>& objects) {
    std::vector<std::uint8_t> out = {'b', 'p', 'l', 'i', 's', 't', '0', '0'};
    std::vector<std::size_t> offsets;
    for (const auto& object : objects) {
        offsets.push_back(out.size());
        out.insert(out.end(), object.begin(), object.end());
    }
    const std::size_t table = out.size();
    for (std::size_t offset : offsets) {
        out.push_back(static_cast<std::uint8_t>(offset >> 8));
        out.push_back(static_cast<std::uint8_t>(offset));
    }
    auto appendBigEndian = [&](std::uint64_t value) {
        for (int shift = 56; shift >= 0; shift -= 8)
            out.push_back(static_cast<std::uint8_t>(value >> shift));
    };
    out.insert(out.end(), {0, 0, 0, 0, 0, 0, 2, 1});
    appendBigEndian(objects.size());
    appendBigEndian(0);
    appendBigEndian(table);
    return out;
}

TEST(PropertyListLimitsTest, SharedObjectsCannotExpandExponentially) {
    // Object i is an array holding object i + 1 twice: 200 bytes that
    // libplist would expand into 2^40 values.
    std::vector<std::vector<std::uint8_t>> objects;
    objects.push_back({0xD1, 1, 2});  // {"k": object 2}
    objects.push_back({0x51, 'k'});
    for (std::uint8_t i = 2; i < 42; ++i)
        objects.push_back(
            {0xA2, static_cast<std::uint8_t>(i + 1), static_cast<std::uint8_t>(i + 1)});
    objects.push_back({0xA0});
    // Should the guard let this through, the parse never returns and CTest's
    // timeout reports the failure.
    EXPECT_FALSE(resources::parsePropertyList(handWrittenBinary(objects)).has_value());
}

TEST(PropertyListTest, RepeatedKeysInABinaryDictionaryKeepTheLastValue) {
    // libplist keeps both entries (and its own lookup finds the first); the
    // Info dictionary behaves like any dictionary: the last one counts.
    const auto info = resources::parseInfoDictionary(
        handWrittenBinary({{0xD2, 1, 1, 2, 3}, {0x51, 'k'}, {0x51, 'a'}, {0x51, 'b'}}));
    ASSERT_EQ(info.size(), 1u);
    EXPECT_EQ(info.at("k"), PlistValue("b"));
}

TEST(PropertyListLimitsTest, SharedObjectsWithinBoundsStillParse) {
    // Sharing itself is fine: {"k": [s, s]} with s = "v" expands to 4 nodes.
    const auto info = resources::parseInfoDictionary(
        handWrittenBinary({{0xD1, 1, 2}, {0x51, 'k'}, {0xA2, 3, 3}, {0x51, 'v'}}));
    EXPECT_EQ(info.at("k"), PlistValue(PlistValue::Array{"v", "v"}));
}

TEST(PropertyListLimitsTest, TooManyValuesAreRefused) {
    plist_t array = plist_new_array();
    for (std::size_t i = 0; i <= resources::kMaxPlistNodes; ++i) {
        plist_array_append_item(array, plist_new_bool(1));
    }
    EXPECT_FALSE(resources::parsePropertyList(testsupport::binaryPlist(array)).has_value());
}

TEST(PropertyListLimitsTest, CyclesAreRefused) {
    // {"k": [the same array]}
    EXPECT_FALSE(
        resources::parsePropertyList(handWrittenBinary({{0xD1, 1, 2}, {0x51, 'k'}, {0xA1, 2}}))
            .has_value());
    // A dictionary that contains itself.
    EXPECT_FALSE(
        resources::parsePropertyList(handWrittenBinary({{0xD1, 1, 0}, {0x51, 'k'}})).has_value());
}

TEST(PropertyListLimitsTest, KeysThatAreNoPlainStringsAreRefusedNotAnAbort) {
    // libplist asserts on a key holding a NUL character, in ASCII or UTF-16.
    EXPECT_FALSE(resources::parsePropertyList(
                     handWrittenBinary({{0xD1, 1, 2}, {0x53, 'k', 0, 'x'}, {0x51, 'v'}}))
                     .has_value());
    EXPECT_FALSE(resources::parsePropertyList(
                     handWrittenBinary({{0xD1, 1, 2}, {0x62, 0, 'k', 0, 0}, {0x51, 'v'}}))
                     .has_value());
    // A key must be a string at all.
    EXPECT_FALSE(
        resources::parsePropertyList(handWrittenBinary({{0xD1, 1, 2}, {0x10, 7}, {0x51, 'v'}}))
            .has_value());
    // UTF-16 keys without NUL are fine.
    const auto info = resources::parseInfoDictionary(
        handWrittenBinary({{0xD1, 1, 2}, {0x62, 0, 'k', 0, 'y'}, {0x51, 'v'}}));
    EXPECT_EQ(info.at("ky"), PlistValue("v"));
}

TEST(PropertyListLimitsTest, StringsThatWouldBeCutAtANulAreRefused) {
    using namespace std::string_literals;
    // libplist measures these with strlen: the value would read as "QUJD",
    // the key as "k", with the rest silently gone.
    EXPECT_FALSE(resources::parsePropertyList(
                     handWrittenBinary({{0xD1, 1, 2},
                                        {0x51, 'k'},
                                        {0x59, 'Q', 'U', 'J', 'D', 0, 'j', 'u', 'n', 'k'}}))
                     .has_value());
    EXPECT_TRUE(parseXmlEntries("<key>k</key><string>QUJD\0junk</string>\n"s).empty());
    EXPECT_TRUE(parseXmlEntries("<key>k\0junk</key><string>QUJD</string>\n"s).empty());
    // A UTF-16 string is converted with its length and comes back whole.
    const auto info = resources::parseInfoDictionary(
        handWrittenBinary({{0xD1, 1, 2}, {0x51, 'k'}, {0x63, 0, 'a', 0, 0, 0, 'b'}}));
    EXPECT_EQ(info.at("k"), PlistValue("a\0b"s));
}

TEST(PropertyListLimitsTest, ReferencesOutsideTheObjectTableAreRefused) {
    EXPECT_FALSE(
        resources::parsePropertyList(handWrittenBinary({{0xD1, 1, 9}, {0x51, 'k'}})).has_value());
}

}  // namespace
