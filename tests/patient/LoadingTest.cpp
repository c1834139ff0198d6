#include <gtest/gtest.h>
#include <plist/plist.h>

#include <functional>

#include "patient/PatientBootstrap.hpp"
#include "tests/patient/PatientTestSupport.hpp"
#include "tests/resources/BundleTestSupport.hpp"

namespace {

using patient::PatientBootstrap;
using testsupport::base64;
using testsupport::Fields;

const std::string kValidJson =
    R"({"patientName":"Jane Roe","dateOfBirth":"1990-12-09","clinic":"Lakeside Clinic"})";
const Fields kValidFields{"Jane Roe", "1990-12-09", "Lakeside Clinic"};

// One row of the loading table: what the Info dictionary holds under the
// bootstrap key (nothing, when `entry` is empty), and the record expected.
struct Row {
    std::string name;
    std::function<plist_t()> entry;
    Fields expected;
};

plist_t text(const std::string& value) {
    return plist_new_string(value.c_str());
}

std::vector<Row> rows() {
    const std::string valid = base64(kValidJson);
    std::string wrapped = valid;
    // GCC 12 in optimised builds warns that the insert's memcpy "may
    // overlap" by an impossible number of bytes: a known false positive of
    // its -Wrestrict on std::string.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
#endif
    wrapped.insert(40, "\n");
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
    std::string unpadded = valid;
    while (!unpadded.empty() && unpadded.back() == '=') unpadded.pop_back();
    return {
        {"Absent", nullptr, testsupport::kFallback},
        {"Integer", [] { return plist_new_uint(42); }, testsupport::kFallback},
        {"Boolean", [] { return plist_new_bool(1); }, testsupport::kFallback},
        {"Real", [] { return plist_new_real(1.5); }, testsupport::kFallback},
        {"Date", [] { return plist_new_date(0, 0); }, testsupport::kFallback},
        // Data holding exactly the right bytes is still not a string.
        {"DataOfBase64", [valid] { return plist_new_data(valid.data(), valid.size()); },
         testsupport::kFallback},
        {"DataOfJson", [] { return plist_new_data(kValidJson.data(), kValidJson.size()); },
         testsupport::kFallback},
        {"ArrayOfString",
         [valid] {
             plist_t array = plist_new_array();
             plist_array_append_item(array, text(valid));
             return array;
         },
         testsupport::kFallback},
        {"DictionaryOfString",
         [valid] {
             plist_t dict = plist_new_dict();
             plist_dict_set_item(dict, "NorvelPatientBootstrap", text(valid));
             return dict;
         },
         testsupport::kFallback},
        {"EmptyString", [] { return text(""); }, testsupport::kFallback},
        {"Valid", [valid] { return text(valid); }, kValidFields},
        {"TrailingLineBreak", [valid] { return text(valid + "\n"); }, testsupport::kFallback},
        {"LeadingSpace", [valid] { return text(" " + valid); }, testsupport::kFallback},
        {"WrappedLines", [wrapped] { return text(wrapped); }, testsupport::kFallback},
        {"Unpadded", [unpadded] { return text(unpadded); }, testsupport::kFallback},
        // These names encode with "+" and "/": first as they are, then in the
        // URL-safe alphabet, which strict decoding does not accept.
        {"PlusAndSlash",
         [] {
             return text(base64(R"({"patientName":"J>>> ???","dateOfBirth":"1","clinic":"L"})"));
         },
         Fields{"J>>> ???", "1", "L"}},
        {"UrlSafeAlphabet",
         [] {
             std::string encoded =
                 base64(R"({"patientName":"J>>> ???","dateOfBirth":"1","clinic":"L"})");
             for (char& c : encoded) c = c == '+' ? '-' : c == '/' ? '_' : c;
             return text(encoded);
         },
         testsupport::kFallback},
        {"PlainJson", [] { return text(kValidJson); }, testsupport::kFallback},
        {"ExtraMember",
         [] {
             return text(base64(
                 R"({"insurance":{"id":7},"patientName":"Jane Roe","dateOfBirth":"1990-12-09","clinic":"Lakeside Clinic"})"));
         },
         kValidFields},
        {"MissingClinic",
         [] { return text(base64(R"({"patientName":"Jane Roe","dateOfBirth":"1990-12-09"})")); },
         testsupport::kFallback},
        {"NullDateOfBirth",
         [] {
             return text(
                 base64(R"({"patientName":"Jane Roe","dateOfBirth":null,"clinic":"Lakeside"})"));
         },
         testsupport::kFallback},
        {"NumericDateOfBirth",
         [] {
             return text(base64(
                 R"({"patientName":"Jane Roe","dateOfBirth":19901209,"clinic":"Lakeside"})"));
         },
         testsupport::kFallback},
        {"CapitalisedPatientName",
         [] {
             return text(base64(
                 R"({"PatientName":"Jane Roe","dateOfBirth":"1990-12-09","clinic":"Lakeside"})"));
         },
         testsupport::kFallback},
        {"EmptyName",
         [] {
             return text(
                 base64(R"({"patientName":"","dateOfBirth":"1990-12-09","clinic":"Lakeside"})"));
         },
         Fields{"", "1990-12-09", "Lakeside"}},
        {"FreeTextDate",
         [] {
             return text(base64(
                 R"({"patientName":"Jane Roe","dateOfBirth":"next Tuesday","clinic":"Lakeside"})"));
         },
         Fields{"Jane Roe", "next Tuesday", "Lakeside"}},
        {"TopLevelArray", [] { return text(base64("[" + kValidJson + "]")); },
         testsupport::kFallback},
        {"InvalidUtf8",
         [] {
             return text(base64(
                 "{\"patientName\":\"J\xC3\",\"dateOfBirth\":\"1990-12-09\",\"clinic\":\"L\"}"));
         },
         testsupport::kFallback},
        {"HundredThousandDeepArray",
         [] { return text(base64(testsupport::deeplyNested(100'000))); }, testsupport::kFallback},
        {"DeeplyNestedExtraMember",
         [] {
             return text(base64(
                 R"({"patientName":"Jane Roe","dateOfBirth":"1990-12-09","clinic":"L","x":)" +
                 testsupport::deeplyNested(100'000) + "}"));
         },
         testsupport::kFallback},
    };
}

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

enum class Format { xml, binary };

void PrintTo(Format format, std::ostream* out) {
    *out << (format == Format::xml ? "xml" : "binary");
}

std::vector<std::uint8_t> serialise(plist_t root, Format format) {
    if (format == Format::binary) return testsupport::binaryPlist(root);
    char* xml = nullptr;
    std::uint32_t length = 0;
    plist_to_xml(root, &xml, &length);
    plist_free(root);
    std::vector<std::uint8_t> bytes(xml, xml + length);
    plist_to_xml_free(xml);
    return bytes;
}

class LoadingTable : public testing::TestWithParam<std::tuple<Row, Format>> {};

TEST_P(LoadingTable, RecordOrWholeFallback) {
    const auto& [row, format] = GetParam();
    plist_t root = plist_new_dict();
    plist_dict_set_item(root, "CFBundleName", plist_new_string("Norvel Health"));
    if (row.entry) plist_dict_set_item(root, "NorvelPatientBootstrap", row.entry());
    testsupport::TemporaryDirectory dir;
    testsupport::writeFile(dir.path() / "Info.plist", serialise(root, format));

    const resources::Bundle bundle(dir.path());
    EXPECT_EQ(testsupport::fieldsOf(PatientBootstrap::load(bundle)), row.expected);
    EXPECT_EQ(bundle.infoDictionaryReadCount(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Table, LoadingTable,
                         testing::Combine(testing::ValuesIn(rows()),
                                          testing::Values(Format::xml, Format::binary)),
                         [](const testing::TestParamInfo<LoadingTable::ParamType>& info) {
                             return std::get<0>(info.param).name +
                                    (std::get<1>(info.param) == Format::xml ? "Xml" : "Binary");
                         });

TEST(LoadingTest, MissingOrMalformedInfoPlistGivesTheFallback) {
    testsupport::TemporaryDirectory empty;
    EXPECT_EQ(testsupport::fieldsOf(PatientBootstrap::load(resources::Bundle(empty.path()))),
              testsupport::kFallback);

    // A valid entry inside a list that does not parse counts for nothing.
    testsupport::TemporaryDirectory broken;
    std::string xml = testsupport::xmlPlist("<key>NorvelPatientBootstrap</key><string>" +
                                            base64(kValidJson) + "</string>\n");
    xml.resize(xml.find("</string>"));
    testsupport::writeFile(broken.path() / "Info.plist", xml);
    EXPECT_EQ(testsupport::fieldsOf(PatientBootstrap::load(resources::Bundle(broken.path()))),
              testsupport::kFallback);
}

TEST(LoadingTest, FallbackIsTheBuiltInRecord) {
    EXPECT_EQ(testsupport::fieldsOf(PatientBootstrap::fallback()), testsupport::kFallback);
    EXPECT_EQ(&PatientBootstrap::fallback(), &PatientBootstrap::fallback());
}

}  // namespace
