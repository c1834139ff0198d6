// The app under strace in a real window, through a session that opens and
// closes both presentations: it must open no network socket, bind no
// socket, write no file and start no program, alone and with a screen
// reader connected. Where ptrace is not allowed the test is skipped, never
// passed.

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <ostream>
#include <regex>
#include <thread>

#include "tests/window/XvfbSession.hpp"

namespace fs = std::filesystem;

namespace {

// One strace line that breaks the promise, or an empty string.
std::string violation(const std::string& line) {
    static const std::regex networkSocket(R"re(socket\((AF_INET|AF_INET6|AF_PACKET)\b)re");
    static const std::regex openCall(
        R"re((open|openat|open_by_handle_at)\((?:[^,]*, )?"([^"]*)", ([A-Z_|]+))re");
    static const std::regex changeCall(
        R"re(\b(creat|mkdir|mkdirat|rename|renameat|renameat2|unlink|unlinkat|rmdir|truncate|link|linkat|symlink|symlinkat)\((?:AT_FDCWD, |\d+, )?"([^"]*)")re");
    static const std::regex bindCall(R"re(\bbind\(.* = 0$)re");
    static const std::regex nodeCall(R"re(\bmknod(at)?\()re");
    static const std::regex execCall(R"re(\bexecve\("([^"]*)")re");
    std::smatch m;
    if (std::regex_search(line, m, networkSocket)) return "network socket: " + line;
    if (std::regex_search(line, m, bindCall)) return "socket bound: " + line;
    if (std::regex_search(line, m, nodeCall)) return "node made: " + line;
    // strace itself starts the app; anything else started is a violation.
    if (std::regex_search(line, m, execCall) && m[1] != NORVEL_APP_BIN) {
        return "program started: " + line;
    }
    if (std::regex_search(line, m, openCall)) {
        std::string path = m[2], flags = m[3];
        bool writes = flags.find("O_WRONLY") != std::string::npos ||
                      flags.find("O_RDWR") != std::string::npos ||
                      flags.find("O_CREAT") != std::string::npos ||
                      flags.find("O_TRUNC") != std::string::npos;
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
    EXPECT_NE(
        violation(
            R"(1 openat(AT_FDCWD, "/root/.cache/fontconfig/x", O_WRONLY|O_CREAT|O_TRUNC, 0666) = 3)"),
        "");
    EXPECT_NE(violation(R"(1 mkdir("/root/.cache", 0700) = 0)"), "");
    EXPECT_EQ(violation(R"(1 socket(AF_UNIX, SOCK_STREAM|SOCK_CLOEXEC, 0) = 3)"), "");
    EXPECT_EQ(violation(R"(1 openat(AT_FDCWD, "/usr/share/fonts/a.otf", O_RDONLY|O_CLOEXEC) = 4)"),
              "");
    EXPECT_EQ(violation(R"(1 openat(AT_FDCWD, "/dev/null", O_RDWR) = 4)"), "");
    EXPECT_EQ(violation(R"(1 mkdir("/root/.cache", 0700) = -1 EEXIST (File exists))"), "");
    EXPECT_NE(
        violation(
            R"(1 bind(5, {sa_family=AF_UNIX, sun_path="/run/user/0/at-spi2-socket-1"}, 40) = 0)"),
        "");
    EXPECT_NE(violation(R"(1 mknodat(AT_FDCWD, "/tmp/fifo", S_IFIFO|0600) = 0)"), "");
    EXPECT_NE(
        violation(R"(1 execve("/usr/bin/dbus-launch", ["dbus-launch"], 0x7ffd /* 9 vars */) = 0)"),
        "");
    EXPECT_EQ(violation(std::string(R"(1 execve(")") + NORVEL_APP_BIN +
                        R"(", ["norvel-health"], 0x7f) = 0)"),
              "");
}

// A session bus of the test's own, with the accessibility bus behind it and
// a screen-reader client connected to it, for as long as the test runs.
struct ScreenReader {
    std::unique_ptr<xvfb::AppProcess> bus;
    std::unique_ptr<xvfb::AppProcess> client;
    std::string address;

    bool start(xvfb::XvfbSession& x, const xvfb::EnvChanges& env) {
        bus = x.launch("dbus-daemon", {"--session", "--nofork", "--print-address=1"}, env);
        auto line = bus ? bus->nextLine(30) : std::nullopt;
        if (!line) return false;
        address = *line;
        xvfb::EnvChanges clientEnv = env;
        clientEnv.push_back("DBUS_SESSION_BUS_ADDRESS=" + address);
        client = x.launch("/usr/bin/python3", {NORVEL_A11Y_CLIENT}, clientEnv);
        return client && client->waitForLine([](const std::string& l) { return l == "ready"; }, 60);
    }
    ~ScreenReader() {
        if (client) client->signal(SIGTERM), client->waitExit(10);
        if (bus) bus->signal(SIGTERM), bus->waitExit(10);
    }
};

struct Run {
    const char* name;
    bool withScreenReader;
};

void PrintTo(const Run& r, std::ostream* os) {
    *os << r.name;
}

class NoNetworkNoWritesSession : public ::testing::TestWithParam<Run> {};

TEST_P(NoNetworkNoWritesSession, WithBothPresentations) {
    if (!xvfb::onPath("strace"))
        GTEST_SKIP() << "strace is missing (scripts/install-deps installs it)";
    auto probe = xvfb::runCommand({"strace", "-f", "-o", "/dev/null", "true"}, {}, 30);
    if (probe.exitCode != 0) GTEST_SKIP() << "ptrace is not allowed here: " << probe.err;

    fs::path dir = fs::temp_directory_path() / ("norvel-strace-" + std::to_string(::getpid()));
    fs::create_directories(dir / "run");
    fs::permissions(dir / "run", fs::perms::owner_all);
    fs::path log = dir / "strace.log";

    // Where the badge and the button are, from the snapshot tool.
    auto tree = xvfb::runCommand(
        {NORVEL_SNAPSHOT_BIN, "--scale", "1", "--tree", (dir / "t.json").string()}, {}, 60);
    ASSERT_EQ(tree.exitCode, 0) << tree.err;
    std::ofstream(dir / "end.txt") << "key end\n";
    auto scrolled =
        xvfb::runCommand({NORVEL_SNAPSHOT_BIN, "--scale", "1", "--script",
                          (dir / "end.txt").string(), "--tree", (dir / "e.json").string()},
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
    auto button = find(dir / "e.json", [](const auto& v) {
        return v.contains("text") && v["text"] == "Click to Open";
    });
    ASSERT_GE(badge.x, 0);
    ASSERT_GE(button.x, 0);

    xvfb::XvfbSession x;
    XVFB_START_OR_SKIP(x);
    // Alone, the app has no bus to find; with a screen reader, it finds the
    // accessibility bus on the root window and serves the client.
    xvfb::EnvChanges env{"XDG_RUNTIME_DIR=" + (dir / "run").string(), "DBUS_SESSION_BUS_ADDRESS",
                         "AT_SPI_BUS_ADDRESS", "GSETTINGS_BACKEND=memory"};
    ScreenReader reader;
    if (GetParam().withScreenReader) {
        if (!xvfb::onPath("dbus-daemon") || !fs::exists("/usr/bin/python3")) {
            GTEST_SKIP() << "dbus or python3 is missing (scripts/install-deps installs them)";
        }
        ASSERT_TRUE(reader.start(x, env)) << (reader.client ? reader.client->errorOutput() : "");
        env.push_back("DBUS_SESSION_BUS_ADDRESS=" + reader.address);
    }
    // LeakSanitizer cannot run under ptrace; in a sanitizer build it is off
    // for this one run.
    env.push_back("NORVEL_SCALE=1");
    env.push_back("ASAN_OPTIONS=detect_leaks=0");
    auto app = x.launch("strace", {"-f", "-qq", "-o", log.string(), NORVEL_APP_BIN}, env);
    ASSERT_TRUE(app);
    ASSERT_TRUE(x.findWindow(0, "Norvel Health", 30, 1)) << app->errorOutput();
    if (GetParam().withScreenReader) {
        auto connected = [](const std::string& l) { return l.rfind("connected", 0) == 0; };
        ASSERT_TRUE(reader.client->waitForLine(connected, 60)) << reader.client->errorOutput();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_TRUE(x.hold(badge, 2.0));  // the diagnostics sheet
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    ASSERT_TRUE(x.key("Escape"));  // closes it
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    ASSERT_TRUE(x.key("End"));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_TRUE(x.click(button));  // the imaging message
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    ASSERT_TRUE(x.key("Return"));  // closes it
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    ASSERT_TRUE(x.closeWindow());
    EXPECT_EQ(app->waitExit(30), 0) << app->errorOutput();
    if (GetParam().withScreenReader) {
        auto heard = [](const std::string& l) { return l == "event object:children-changed:add"; };
        EXPECT_TRUE(reader.client->waitForLine(heard, 10))
            << "the client heard no presentation come";
    }

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

INSTANTIATE_TEST_SUITE_P(App, NoNetworkNoWritesSession,
                         ::testing::Values(Run{"Alone", false}, Run{"ScreenReader", true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
