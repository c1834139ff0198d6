// The app under strace in a real window, through a session that opens and
// closes both presentations: it must open no network socket and write no
// file. Where ptrace is not allowed the test is skipped, never passed.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <thread>

#include "tests/window/XvfbSession.hpp"

namespace fs = std::filesystem;

namespace {

// One strace line that breaks the promise, or an empty string.
std::string violation(const std::string& line) {
    static const std::regex networkSocket(R"re(socket\((AF_INET|AF_INET6|AF_PACKET)\b)re");
    static const std::regex openCall(R"re((open|openat|open_by_handle_at)\((?:[^,]*, )?"([^"]*)", ([A-Z_|]+))re");
    static const std::regex changeCall(
        R"re(\b(creat|mkdir|mkdirat|rename|renameat|renameat2|unlink|unlinkat|rmdir|truncate|link|linkat|symlink|symlinkat)\((?:AT_FDCWD, |\d+, )?"([^"]*)")re");
    std::smatch m;
    if (std::regex_search(line, m, networkSocket)) return "network socket: " + line;
    if (std::regex_search(line, m, openCall)) {
        std::string path = m[2], flags = m[3];
        bool writes = flags.find("O_WRONLY") != std::string::npos || flags.find("O_RDWR") != std::string::npos ||
                      flags.find("O_CREAT") != std::string::npos || flags.find("O_TRUNC") != std::string::npos;
        if (writes && path.rfind("/dev/", 0) != 0) return "file opened for writing: " + line;
    }
    if (std::regex_search(line, m, changeCall)) {
        std::string path = m[2];
        if (line.find(" = -1 ") == std::string::npos && path.rfind("/dev/", 0) != 0) {
            return "file system change: " + line;
        }
    }
    return {};
}

TEST(NoNetworkNoWrites, ViolationsAreRecognised) {
    EXPECT_NE(violation(R"(123 socket(AF_INET, SOCK_STREAM|SOCK_CLOEXEC, IPPROTO_IP) = 5)"), "");
    EXPECT_NE(violation(R"(123 socket(AF_INET6, SOCK_DGRAM, IPPROTO_IP) = 5)"), "");
    EXPECT_NE(violation(R"(1 openat(AT_FDCWD, "/root/.cache/fontconfig/x", O_WRONLY|O_CREAT|O_TRUNC, 0666) = 3)"), "");
    EXPECT_NE(violation(R"(1 mkdir("/root/.cache", 0700) = 0)"), "");
    EXPECT_EQ(violation(R"(1 socket(AF_UNIX, SOCK_STREAM|SOCK_CLOEXEC, 0) = 3)"), "");
    EXPECT_EQ(violation(R"(1 openat(AT_FDCWD, "/usr/share/fonts/a.otf", O_RDONLY|O_CLOEXEC) = 4)"), "");
    EXPECT_EQ(violation(R"(1 openat(AT_FDCWD, "/dev/null", O_RDWR) = 4)"), "");
    EXPECT_EQ(violation(R"(1 mkdir("/root/.cache", 0700) = -1 EEXIST (File exists))"), "");
}

TEST(NoNetworkNoWrites, AWholeSessionWithBothPresentations) {
    if (!xvfb::onPath("strace")) GTEST_SKIP() << "strace is missing (scripts/install-deps installs it)";
    auto probe = xvfb::runCommand({"strace", "-f", "-o", "/dev/null", "true"}, {}, 30);
    if (probe.exitCode != 0) GTEST_SKIP() << "ptrace is not allowed here: " << probe.err;

    fs::path dir = fs::temp_directory_path() / ("norvel-strace-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    fs::path log = dir / "strace.log";

    // Where the badge and the button are, from the snapshot tool.
    auto tree = xvfb::runCommand({NORVEL_SNAPSHOT_BIN, "--scale", "1", "--tree", (dir / "t.json").string()}, {}, 60);
    ASSERT_EQ(tree.exitCode, 0) << tree.err;
    std::ofstream(dir / "end.txt") << "key end\n";
    auto scrolled = xvfb::runCommand({NORVEL_SNAPSHOT_BIN, "--scale", "1", "--script", (dir / "end.txt").string(),
                                      "--tree", (dir / "e.json").string()},
                                     {}, 60);
    ASSERT_EQ(scrolled.exitCode, 0) << scrolled.err;
    auto find = [](const fs::path& file, const std::function<bool(const nlohmann::json&)>& match) {
        std::ifstream in(file);
        auto t = nlohmann::json::parse(in);
        for (const auto& v : t["views"]) {
            if (match(v)) {
                auto f = v["frame"];
                return xvfb::WindowPoint{f[0].get<double>() + f[2].get<double>() / 2,
                                         f[1].get<double>() + f[3].get<double>() / 2};
            }
        }
        return xvfb::WindowPoint{-1, -1};
    };
    auto badge = find(dir / "t.json", [](const auto& v) {
        return v["kind"] == "RoundedRectangle" && v["frame"][2] == 48 && v["frame"][3] == 48;
    });
    auto button = find(dir / "e.json", [](const auto& v) { return v.contains("text") && v["text"] == "Click to Open"; });
    ASSERT_GE(badge.x, 0);
    ASSERT_GE(button.x, 0);

    xvfb::XvfbSession x;
    XVFB_START_OR_SKIP(x);
    // LeakSanitizer cannot run under ptrace; in a sanitizer build it is off
    // for this one run.
    auto app = x.launch("strace", {"-f", "-qq", "-o", log.string(), NORVEL_APP_BIN},
                        {"NORVEL_SCALE=1", "ASAN_OPTIONS=detect_leaks=0"});
    ASSERT_TRUE(app);
    ASSERT_TRUE(x.findWindow(0, "Norvel Health", 30, 1)) << app->errorOutput();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_TRUE(x.hold(badge, 2.0));        // the diagnostics sheet
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    ASSERT_TRUE(x.key("Escape"));           // closes it
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    ASSERT_TRUE(x.key("End"));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_TRUE(x.click(button));           // the imaging message
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    ASSERT_TRUE(x.key("Return"));           // closes it
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    ASSERT_TRUE(x.closeWindow());
    EXPECT_EQ(app->waitExit(30), 0) << app->errorOutput();

    std::ifstream in(log);
    ASSERT_TRUE(in) << "strace wrote no log";
    std::string line;
    int lines = 0;
    std::vector<std::string> problems;
    while (std::getline(in, line)) {
        ++lines;
        if (auto v = violation(line); !v.empty()) problems.push_back(v);
    }
    EXPECT_GT(lines, 100) << "the log is too short to have covered a session";
    for (const auto& p : problems) ADD_FAILURE() << p;
    fs::remove_all(dir);
}

}  // namespace
