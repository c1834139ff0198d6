#include <gtest/gtest.h>

#include "patient/PatientBootstrap.hpp"
#include "tests/CaseName.hpp"
#include "tests/patient/PatientTestSupport.hpp"

namespace {

using patient::DecodingError;
using patient::PatientBootstrap;
using Keys = PatientBootstrap::CodingKeys;

TEST(CodingKeysTest, TextLookupIsExactAndCaseSensitive) {
    EXPECT_EQ(Keys::fromString("patientName"), Keys(Keys::patientName));
    EXPECT_EQ(Keys::fromString("dateOfBirth"), Keys(Keys::dateOfBirth));
    EXPECT_EQ(Keys::fromString("clinic"), Keys(Keys::clinic));
    for (const char* text : {"PatientName", "patientname", "patientName ", " clinic", "Clinic",
                             "dateofbirth", "date_of_birth", "", "patient"}) {
        EXPECT_EQ(Keys::fromString(text), std::nullopt) << text;
    }
    for (Keys key : {Keys::patientName, Keys::dateOfBirth, Keys::clinic}) {
        EXPECT_EQ(Keys::fromString(key.stringValue()), key);
    }
}

TEST(CodingKeysTest, KeysHaveNoIntegerForm) {
    for (int value : {0, 1, 2, 3, -1}) EXPECT_EQ(Keys::fromInt(value), std::nullopt) << value;
    for (Keys key : {Keys::patientName, Keys::dateOfBirth, Keys::clinic}) {
        EXPECT_EQ(key.intValue(), std::nullopt);
    }
}

struct Decoded {
    std::string json;
    testsupport::Fields fields;
};

void PrintTo(const Decoded& c, std::ostream* out) {
    *out << c.json.substr(0, 80);
}

class DecodesRecordTest : public testing::TestWithParam<Decoded> {};

TEST_P(DecodesRecordTest, TakesTheThreeStringsAsDecoded) {
    const PatientBootstrap record(testsupport::bytesOf(GetParam().json));
    EXPECT_EQ(testsupport::fieldsOf(record), GetParam().fields);
}

INSTANTIATE_TEST_SUITE_P(
    Documents, DecodesRecordTest,
    testing::Values(
        Decoded{R"({"patientName":"Jane Roe","dateOfBirth":"1990-12-09","clinic":"Lakeside"})",
                {"Jane Roe", "1990-12-09", "Lakeside"}},
        // Any order, extra members of any type, whitespace around tokens.
        Decoded{" {\n \"clinic\" : \"C\", \"extra\": [1, {\"patientName\": 5}], \"dateOfBirth\": "
                "\"d\",\n"
                " \"patientName\": \"N\", \"more\": null } \n",
                {"N", "d", "C"}},
        // Escapes are resolved; empty strings are values like any other.
        Decoded{R"({"patientName":"Jos\u00e9 \"Pepe\" \ud83d\ude00","dateOfBirth":"","clinic":""})",
                {"José \"Pepe\" 😀", "", ""}},
        // An escaped key is the same key.
        Decoded{R"({"patient\u004eame":"N","dateOfBirth":"d","clinic":"c"})", {"N", "d", "c"}},
        // Free text where a date belongs is taken as it is.
        Decoded{R"({"patientName":"N","dateOfBirth":"sometime in spring","clinic":"c"})",
                {"N", "sometime in spring", "c"}},
        // Of duplicate members the last one counts.
        Decoded{R"({"patientName":"first","patientName":"second","dateOfBirth":"d","clinic":"c"})",
                {"second", "d", "c"}},
        Decoded{R"({"patientName":null,"patientName":"later","dateOfBirth":"d","clinic":"c"})",
                {"later", "d", "c"}},
        // Nesting up to the limit in an extra member is fine.
        Decoded{R"({"patientName":"N","dateOfBirth":"d","clinic":"c","x":)" +
                    testsupport::deeplyNested(patient::kMaxJsonDepth - 1) + "}",
                {"N", "d", "c"}}),
    testsupport::printedName(12));

struct Rejected {
    std::string json;
    DecodingError::Kind kind;
    std::string key;
    std::string name = {};  // for suites whose inputs do not print well
};

void PrintTo(const Rejected& c, std::ostream* out) {
    *out << c.json.substr(0, 80);
}

class RejectsDocumentTest : public testing::TestWithParam<Rejected> {};

TEST_P(RejectsDocumentTest, ThrowsTheFirstFailure) {
    try {
        PatientBootstrap record(testsupport::bytesOf(GetParam().json));
        ADD_FAILURE() << "decoded " << record.patientName();
    } catch (const DecodingError& error) {
        EXPECT_EQ(error.kind(), GetParam().kind) << error.what();
        EXPECT_EQ(error.key(), GetParam().key) << error.what();
    }
}

using Kind = DecodingError::Kind;
using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Members, RejectsDocumentTest,
    testing::Values(
        Rejected{R"({"patientName":"N","dateOfBirth":"d"})", Kind::keyNotFound, "clinic"},
        Rejected{R"({"patientName":"N","dateOfBirth":null,"clinic":"c"})", Kind::valueNotFound,
                 "dateOfBirth"},
        Rejected{R"({"patientName":"N","dateOfBirth":20010101,"clinic":"c"})", Kind::typeMismatch,
                 "dateOfBirth"},
        Rejected{R"({"patientName":"N","dateOfBirth":"d","clinic":true})", Kind::typeMismatch,
                 "clinic"},
        Rejected{R"({"patientName":["N"],"dateOfBirth":"d","clinic":"c"})", Kind::typeMismatch,
                 "patientName"},
        // A name that differs only in case is a different member.
        Rejected{R"({"PatientName":"N","dateOfBirth":"d","clinic":"c"})", Kind::keyNotFound,
                 "patientName"},
        // Members are checked in field order: the name's problem comes first.
        Rejected{R"({"clinic":null,"dateOfBirth":5})", Kind::keyNotFound, "patientName"},
        Rejected{R"({"patientName":"N","clinic":null,"dateOfBirth":5})", Kind::typeMismatch,
                 "dateOfBirth"},
        // The same names deeper down are not members of the record.
        Rejected{R"({"record":{"patientName":"N","dateOfBirth":"d","clinic":"c"}})",
                 Kind::keyNotFound, "patientName"},
        Rejected{R"({"patientName":"N","dateOfBirth":"d","clinic":"c","clinic":null})",
                 Kind::valueNotFound, "clinic"},
        Rejected{"{}", Kind::keyNotFound, "patientName"}),
    testsupport::printedName());

INSTANTIATE_TEST_SUITE_P(
    Documents, RejectsDocumentTest,
    testing::Values(Rejected{R"([{"patientName":"N","dateOfBirth":"d","clinic":"c"}])",
                             Kind::typeMismatch, ""},
                    Rejected{R"("patientName")", Kind::typeMismatch, ""},
                    Rejected{"null", Kind::typeMismatch, ""}, Rejected{"", Kind::dataCorrupted, ""},
                    Rejected{"{", Kind::dataCorrupted, ""},
                    Rejected{R"({"patientName":"N","dateOfBirth":"d","clinic":"c"} x)",
                             Kind::dataCorrupted, ""},
                    Rejected{R"({'patientName':'N'})", Kind::dataCorrupted, ""},
                    Rejected{"{\"patientName\":\"N\xFF\",\"dateOfBirth\":\"d\",\"clinic\":\"c\"}",
                             Kind::dataCorrupted, ""},
                    Rejected{R"({"patientName":"N\ud800","dateOfBirth":"d","clinic":"c"})",
                             Kind::dataCorrupted, ""},
                    Rejected{R"({/* c */"patientName":"N","dateOfBirth":"d","clinic":"c"})",
                             Kind::dataCorrupted, ""}),
    testsupport::printedName());

// A raw NUL byte has no place in JSON text, wherever it stands; the JSON
// library would take one for the end of the input.
INSTANTIATE_TEST_SUITE_P(
    NulBytes, RejectsDocumentTest,
    testing::Values(
        Rejected{"{\"patientName\":\"N\0\",\"dateOfBirth\":\"d\",\"clinic\":\"c\"}"s,
                 Kind::dataCorrupted, "", "InsideAString"},
        Rejected{R"({"patientName":"N","dateOfBirth":"d","clinic":"c"})"s + '\0',
                 Kind::dataCorrupted, "", "AfterTheDocument"},
        Rejected{R"({"patientName":"N","dateOfBirth":"d","clinic":"c"})"s + '\0' + "]} junk",
                 Kind::dataCorrupted, "", "BeforeTrailingGarbage"}),
    [](const testing::TestParamInfo<Rejected>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Nesting, RejectsDocumentTest,
    testing::Values(Rejected{testsupport::deeplyNested(100'000), Kind::dataCorrupted, ""},
                    Rejected{R"({"patientName":"N","dateOfBirth":"d","clinic":"c","x":)" +
                                 testsupport::deeplyNested(100'000) + "}",
                             Kind::dataCorrupted, ""},
                    Rejected{R"({"patientName":"N","dateOfBirth":"d","clinic":"c","x":)" +
                                 testsupport::deeplyNested(patient::kMaxJsonDepth) + "}",
                             Kind::dataCorrupted, ""}),
    testsupport::printedName());

}  // namespace
