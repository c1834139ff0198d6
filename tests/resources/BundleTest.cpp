#include <gtest/gtest.h>
#include <plist/plist.h>

#include <atomic>
#include <latch>
#include <thread>
#include <vector>

#include "resources/Bundle.hpp"
#include "tests/resources/BundleTestSupport.hpp"

namespace {

using resources::Bundle;
using resources::PlistValue;
using testsupport::TemporaryDirectory;

TEST(BundleLocationTest, BuildTreeBundleIsTheExecutablesDirectory) {
    TemporaryDirectory root;
    std::filesystem::create_directories(root.path() / "bin");
    testsupport::writeFile(root.path() / "bin" / "Info.plist", testsupport::xmlPlist(""));
    EXPECT_EQ(Bundle::locateBundle(root.path() / "bin" / "norvel-health"), root.path() / "bin");
}

TEST(BundleLocationTest, InstalledBundleIsInShare) {
    TemporaryDirectory root;
    std::filesystem::create_directories(root.path() / "bin");
    EXPECT_EQ(Bundle::locateBundle(root.path() / "bin" / "norvel-health"),
              root.path() / "share" / "norvel-health");
}

TEST(BundleLocationTest, MainBundleIsLocatedFromTheRunningExecutable) {
    const auto executable = std::filesystem::read_symlink("/proc/self/exe");
    EXPECT_EQ(Bundle::main().path(), Bundle::locateBundle(executable));
    EXPECT_EQ(&Bundle::main(), &Bundle::main());
}

TEST(BundleTest, LooksUpXmlInfoDictionary) {
    TemporaryDirectory dir;
    testsupport::writeFile(
        dir.path() / "Info.plist",
        testsupport::xmlPlist("<key>CFBundleName</key><string>Norvel Health</string>\n"
                              "<key>Count</key><integer>-3</integer>\n"));
    Bundle bundle(dir.path());
    EXPECT_EQ(bundle.objectForInfoDictionaryKey("CFBundleName"), PlistValue("Norvel Health"));
    EXPECT_EQ(bundle.objectForInfoDictionaryKey("Count"), PlistValue(std::int64_t{-3}));
    EXPECT_EQ(bundle.objectForInfoDictionaryKey("cfbundlename"), std::nullopt);
    EXPECT_EQ(bundle.objectForInfoDictionaryKey(""), std::nullopt);
}

TEST(BundleTest, LooksUpBinaryInfoDictionary) {
    TemporaryDirectory dir;
    testsupport::writeFile(dir.path() / "Info.plist",
                           testsupport::binaryPlistWith("Flag", plist_new_bool(1)));
    Bundle bundle(dir.path());
    EXPECT_EQ(bundle.objectForInfoDictionaryKey("Flag"), PlistValue(true));
}

TEST(BundleTest, MissingOrBrokenInfoPlistIsAnEmptyDictionary) {
    TemporaryDirectory missing;
    EXPECT_TRUE(Bundle(missing.path()).infoDictionary().empty());
    EXPECT_TRUE(Bundle(missing.path() / "no" / "such" / "folder").infoDictionary().empty());

    TemporaryDirectory broken;
    testsupport::writeFile(broken.path() / "Info.plist", "<plist><dict><key>a</key>");
    EXPECT_TRUE(Bundle(broken.path()).infoDictionary().empty());

    TemporaryDirectory folder;
    std::filesystem::create_directory(folder.path() / "Info.plist");
    EXPECT_TRUE(Bundle(folder.path()).infoDictionary().empty());
}

TEST(BundleTest, ReadsInfoPlistLazilyAndOnlyOnce) {
    TemporaryDirectory dir;
    testsupport::writeFile(dir.path() / "Info.plist",
                           testsupport::xmlPlist("<key>Key</key><string>first</string>\n"));
    Bundle bundle(dir.path());
    EXPECT_EQ(bundle.infoDictionaryReadCount(), 0u);

    EXPECT_EQ(bundle.objectForInfoDictionaryKey("Key"), PlistValue("first"));
    testsupport::writeFile(dir.path() / "Info.plist",
                           testsupport::xmlPlist("<key>Key</key><string>second</string>\n"));
    EXPECT_EQ(bundle.objectForInfoDictionaryKey("Key"), PlistValue("first"));
    EXPECT_EQ(bundle.objectForInfoDictionaryKey("Other"), std::nullopt);
    EXPECT_EQ(bundle.infoDictionaryReadCount(), 1u);

    // Another bundle over the same folder reads afresh.
    EXPECT_EQ(Bundle(dir.path()).objectForInfoDictionaryKey("Key"), PlistValue("second"));
}

TEST(BundleTest, ConcurrentFirstReadsShareOneRead) {
    TemporaryDirectory dir;
    testsupport::writeFile(dir.path() / "Info.plist",
                           testsupport::xmlPlist("<key>Key</key><string>value</string>\n"));
    Bundle bundle(dir.path());

    constexpr int kThreads = 16;
    std::latch start(kThreads);
    std::vector<const PlistValue::Dictionary*> seen(kThreads);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&, i] {
            start.arrive_and_wait();
            seen[i] = &bundle.infoDictionary();
        });
    }
    for (auto& thread : threads) thread.join();

    EXPECT_EQ(bundle.infoDictionaryReadCount(), 1u);
    for (const auto* dictionary : seen) {
        EXPECT_EQ(dictionary, seen.front());
        EXPECT_EQ(dictionary->at("Key"), PlistValue("value"));
    }
}

}  // namespace
