// The snapshot tool's command line and scripts: what is accepted, what is
// refused, and that every refusal names its option or line.

#include <gtest/gtest.h>

#include "tests/CaseName.hpp"
#include "tools/SnapshotOptions.hpp"
#include "tools/SnapshotScript.hpp"

using namespace snapshot;

TEST(SnapshotScript, ParsesEveryCommandAndSkipsBlanksAndComments) {
    auto s = parseScript("# a comment\n\npress 10 20.5\nmove 11 -3\nrelease\r\ntap 1 2\nwait 1200\n"
                         "scroll -40\n  key escape  \nkey return\nkey shift+tab\n");
    ASSERT_FALSE(s.error) << s.error->message;
    ASSERT_EQ(s.commands.size(), 9u);
    EXPECT_EQ(s.commands[0].kind, Command::Kind::press);
    EXPECT_DOUBLE_EQ(s.commands[0].y, 20.5);
    EXPECT_DOUBLE_EQ(s.commands[1].y, -3);
    EXPECT_EQ(s.commands[2].kind, Command::Kind::release);
    EXPECT_DOUBLE_EQ(s.commands[4].amount, 1200);
    EXPECT_DOUBLE_EQ(s.commands[5].amount, -40);
    EXPECT_EQ(s.commands[6].key, "escape");
    EXPECT_EQ(s.commands[7].line, 10);
    EXPECT_EQ(s.commands[8].key, "shift+tab");
}

struct BadLine {
    const char* script;
    int line;
};

class SnapshotScriptErrors : public ::testing::TestWithParam<BadLine> {};

TEST_P(SnapshotScriptErrors, NameTheFirstBadLineKeepNoCommands) {
    auto s = parseScript(GetParam().script);
    ASSERT_TRUE(s.error);
    EXPECT_EQ(s.error->line, GetParam().line);
    EXPECT_TRUE(s.commands.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Script, SnapshotScriptErrors,
    ::testing::Values(BadLine{"jump 1 2", 1}, BadLine{"tap 1", 1}, BadLine{"tap 1 2 3", 1},
                      BadLine{"wait 5\nwait -1", 2}, BadLine{"wait 1e3", 1},
                      BadLine{"tap 0x10 2", 1}, BadLine{"tap nan 2", 1}, BadLine{"tap inf 2", 1},
                      BadLine{"key ctrl+v", 1}, BadLine{"key", 1}, BadLine{"release now", 1},
                      BadLine{"\n\nscroll", 3}, BadLine{"press 1 2\nPRESS 1 2", 2},
                      BadLine{"tap . 2", 1}),
    testsupport::namedBy([](const BadLine& c) { return std::string(c.script); }, 6));

TEST(SnapshotOptions, DefaultsAreAPhoneAtScaleThree) {
    auto p = parseOptions({});
    ASSERT_FALSE(p.error);
    EXPECT_EQ(p.options.width, 390);
    EXPECT_EQ(p.options.height, 844);
    EXPECT_EQ(p.options.scale, 3);
    EXPECT_FALSE(p.options.now);
}

TEST(SnapshotOptions, ReadsEveryOption) {
    auto p = parseOptions({"--bundle", "/b", "--size", "320x568", "--scale", "2", "--safe-area", "47,34",
                           "--now", "2026-12-08T23:59:59", "--script", "s", "--png", "o.png", "--tree", "t.json"});
    ASSERT_FALSE(p.error) << *p.error;
    EXPECT_EQ(p.options.width, 320);
    EXPECT_EQ(p.options.safeTop, 47);
    EXPECT_EQ(p.options.safeBottom, 34);
    EXPECT_EQ(p.options.now->hour, 23);
    EXPECT_EQ(*p.options.treePath, "t.json");
}

struct BadOption {
    std::vector<std::string> args;
    const char* named;
};

class SnapshotOptionErrors : public ::testing::TestWithParam<BadOption> {};

TEST_P(SnapshotOptionErrors, AreOneLineNamingTheOption) {
    auto p = parseOptions(GetParam().args);
    ASSERT_TRUE(p.error);
    EXPECT_NE(p.error->find(GetParam().named), std::string::npos) << *p.error;
    EXPECT_EQ(p.error->find('\n'), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Options, SnapshotOptionErrors,
    ::testing::Values(
        BadOption{{"--size", "390"}, "--size"}, BadOption{{"--size", "0x844"}, "--size"},
        BadOption{{"--size", "390x-1"}, "--size"}, BadOption{{"--scale", "0"}, "--scale"},
        BadOption{{"--scale", "abc"}, "--scale"}, BadOption{{"--safe-area", "10"}, "--safe-area"},
        BadOption{{"--safe-area", "500,400"}, "--safe-area"},
        BadOption{{"--now", "2026-12-08 12:00:00"}, "--now"},
        BadOption{{"--now", "2026-12-08T12:00:00Z"}, "--now"},
        BadOption{{"--now", "2026-02-29T12:00:00"}, "--now"},
        BadOption{{"--now", "2026-12-08T24:00:00"}, "--now"}, BadOption{{"--png"}, "--png"},
        BadOption{{"--verbose"}, "--verbose"},
        BadOption{{"--size", "10000x10000", "--scale", "8"}, "--scale"}),
    testsupport::namedBy([](const BadOption& c) {
        std::string args;
        for (const auto& a : c.args) args += a + " ";
        return args;
    }));

TEST(SnapshotOptions, LeapDaysExistInLeapYearsOnly) {
    EXPECT_TRUE(parseLocalTime("2028-02-29T00:00:00"));
    EXPECT_TRUE(parseLocalTime("2000-02-29T00:00:00"));
    EXPECT_FALSE(parseLocalTime("1900-02-29T00:00:00"));
}
