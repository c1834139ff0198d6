#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "foundation/Base64.hpp"
#include "resources/Bundle.hpp"

namespace {

using resources::PlistValue;

// The Info.plist the build wrote into the bundle folder.
class GeneratedInfoPlistTest : public testing::Test {
  protected:
    const resources::Bundle bundle_{NORVEL_TEST_BUNDLE_DIR};
};

TEST_F(GeneratedInfoPlistTest, NamesTheApplication) {
    EXPECT_EQ(bundle_.objectForInfoDictionaryKey("CFBundleName"), PlistValue("Norvel Health"));
    EXPECT_EQ(bundle_.objectForInfoDictionaryKey("CFBundleIdentifier"),
              PlistValue("health.norvel.mobile"));
    EXPECT_EQ(bundle_.objectForInfoDictionaryKey("CFBundleShortVersionString"),
              PlistValue(NORVEL_TEST_VERSION));
    EXPECT_EQ(bundle_.objectForInfoDictionaryKey("CFBundleExecutable"),
              PlistValue("norvel-health"));
}

TEST_F(GeneratedInfoPlistTest, CarriesThePatientFileExactlyWhenConfigured) {
    const std::string patientFile = NORVEL_TEST_PATIENT_JSON;
    const auto entry = bundle_.objectForInfoDictionaryKey("NorvelPatientBootstrap");
    if (patientFile.empty()) {
        EXPECT_EQ(entry, std::nullopt);
        return;
    }
    ASSERT_TRUE(entry.has_value());
    const auto* text = entry->getIf<std::string>();
    ASSERT_NE(text, nullptr);
    const auto decoded = foundation::base64Decode(*text);
    ASSERT_TRUE(decoded.has_value()) << "not strict base64: " << *text;
    std::ifstream in(patientFile, std::ios::binary);
    const std::vector<std::uint8_t> original((std::istreambuf_iterator<char>(in)),
                                             std::istreambuf_iterator<char>());
    EXPECT_EQ(*decoded, original);
}

}  // namespace
