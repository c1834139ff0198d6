#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <optional>

#include "resources/Bundle.hpp"
#include "resources/Localization.hpp"

namespace {

// Every localisable key the app shows.
const std::vector<std::string> kAppKeys = {
    "Norvel Health",
    "CTF patient companion",
    "Demo chart for Patient: %@",
    "All information is fictional and not suitable for actual healthcare decisions.",
    "Imaging File",
    "OK",
    "Linked study asset: %@",
    "Click to Open",
    "Links to bundled imaging asset %@",
    "Norvel Diagnostics",
    "Internal clinic sync status",
    "Done",
    "Copy",
};

// Keys whose German is the key itself: the app's name and "OK".
bool staysTheSame(const std::string& key) {
    return key == "Norvel Health" || key == "OK";
}

// Picks the message language through LANGUAGE, the way a user does, under a
// UTF-8 locale (gettext ignores LANGUAGE in the plain "C" locale).
class LocalizationTest : public testing::Test {
  protected:
    void SetUp() override {
        if (const char* language = std::getenv("LANGUAGE")) previousLanguage_ = language;
        setenv("LC_ALL", "C.UTF-8", 1);
        std::setlocale(LC_ALL, "");
    }
    void TearDown() override {
        if (previousLanguage_) {
            setenv("LANGUAGE", previousLanguage_->c_str(), 1);
        } else {
            unsetenv("LANGUAGE");
        }
    }
    static void useLanguage(const char* language) { setenv("LANGUAGE", language, 1); }

    const resources::Bundle appBundle_{NORVEL_TEST_BUNDLE_DIR};
    const resources::Bundle testBundle_{NORVEL_TEST_CATALOGUE_DIR};

  private:
    std::optional<std::string> previousLanguage_;
};

TEST_F(LocalizationTest, GermanCatalogueCoversEveryKey) {
    useLanguage("de");
    for (const auto& key : kAppKeys) {
        const std::string german = appBundle_.localizedString(key);
        EXPECT_FALSE(german.empty()) << key;
        if (staysTheSame(key)) {
            EXPECT_EQ(german, key);
        } else {
            EXPECT_NE(german, key) << "no German for: " << key;
        }
        // Interpolated keys keep their placeholder in translation.
        if (key.find("%@") != std::string::npos) {
            EXPECT_NE(german.find("%@"), std::string::npos) << key;
        }
    }
    EXPECT_EQ(appBundle_.localizedString("Done"), "Fertig");
}

TEST_F(LocalizationTest, KeysShowAsWrittenWithoutATranslation) {
    useLanguage("");
    for (const auto& key : kAppKeys) EXPECT_EQ(appBundle_.localizedString(key), key);
    useLanguage("fr");
    EXPECT_EQ(appBundle_.localizedString("Done"), "Done");
    useLanguage("de");
    EXPECT_EQ(appBundle_.localizedString("Blood Presssure"), "Blood Presssure");
}

TEST_F(LocalizationTest, EmptyAndNulContainingKeysStayAsWritten) {
    useLanguage("de");
    // The empty msgid would otherwise return the catalogue's header.
    EXPECT_EQ(appBundle_.localizedString(""), "");
    const std::string withNul("Done\0more", 9);
    EXPECT_EQ(appBundle_.localizedString(withNul), withNul);
}

TEST_F(LocalizationTest, EachBundleUsesItsOwnCatalogue) {
    useLanguage("de");
    EXPECT_EQ(testBundle_.localizedString("Done"), "Erledigt");
    EXPECT_EQ(appBundle_.localizedString("Done"), "Fertig");
    EXPECT_EQ(testBundle_.localizedString("Done"), "Erledigt");
}

TEST_F(LocalizationTest, AnInterpolatedKeyIsTranslatedWithItsPlaceholder) {
    useLanguage("de");
    EXPECT_EQ(appBundle_.localizedString("Demo chart for Patient: %@"),
              "Demo-Akte für Patient: %@");
}

TEST_F(LocalizationTest, MainBundleFunctionsFallBackToTheKey) {
    // The test executable's folder is no bundle, so nothing is translated.
    useLanguage("de");
    EXPECT_EQ(resources::localizedString("Done"),
              resources::Bundle::main().localizedString("Done"));
}

}  // namespace
