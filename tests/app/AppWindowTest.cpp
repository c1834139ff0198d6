// The real norvel-health binary in a real window on a private X server,
// driven with xdotool the way a person would. What the window shows is
// compared with the snapshot tool's render of the same state at scale 1;
// holds run in real time with wide margins (2 s against the badge's 1.2 s),
// and every result is polled for with a deadline.

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <thread>

#include "tests/window/XvfbSession.hpp"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

constexpr const char* kTitle = "Norvel Health";
// How long to wait for what must come soon: only a failure waits this
// long, so it is generous enough for a machine with every core busy.
constexpr double kPatience = 30;

struct Frame {
    double x = 0, y = 0, w = 0, h = 0;
    xvfb::WindowPoint centre() const { return {x + w / 2, y + h / 2}; }
};

// The snapshot tool's view of a state: its tree (for where things are) and
// its picture (for what the window should look like), both at scale 1.
struct Expected {
    json tree;
    xvfb::Image image;

    std::optional<Frame> frameOf(const std::string& text) const {
        for (const auto& v : tree["views"]) {
            if (v.contains("text") && v["text"] == text) {
                auto f = v["frame"];
                return Frame{f[0], f[1], f[2], f[3]};
            }
        }
        return std::nullopt;
    }
    std::optional<Frame> badge() const {
        for (const auto& v : tree["views"]) {
            if (v["kind"] == "RoundedRectangle" && v["frame"][2] == 48 && v["frame"][3] == 48) {
                auto f = v["frame"];
                return Frame{f[0], f[1], f[2], f[3]};
            }
        }
        return std::nullopt;
    }
};

// The share of pixels whose colour differs by more than a small step in
// any channel: antialiasing and the scroll indicator's fade stay below it.
double differingShare(const xvfb::Image& a, const xvfb::Image& b) {
    if (a.width != b.width || a.height != b.height) return 1;
    std::size_t differing = 0;
    for (std::size_t i = 0; i + 2 < a.rgb.size(); i += 3) {
        for (int c = 0; c < 3; ++c) {
            if (std::abs(int(a.rgb[i + c]) - int(b.rgb[i + c])) > 24) {
                ++differing;
                break;
            }
        }
    }
    return static_cast<double>(differing) / (a.width * a.height);
}

class AppWindow : public ::testing::Test {
protected:
    xvfb::XvfbSession x;
    std::unique_ptr<xvfb::AppProcess> app;
    fs::path dir;

    void SetUp() override {
        dir = fs::temp_directory_path() / ("norvel-app-window-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        XVFB_START_OR_SKIP(x);
        app = x.launch(NORVEL_APP_BIN, {}, {"NORVEL_SCALE=1"});
        ASSERT_TRUE(app);
        ASSERT_TRUE(x.findWindow(app->pid(), kTitle, kPatience, 1)) << "no window; stderr: " << app->errorOutput();
    }

    void TearDown() override {
        if (app && app->running()) {
            EXPECT_EQ(x.terminate(*app), 0) << app->errorOutput();
        }
        fs::remove_all(dir);
    }

    // Renders `script` with the snapshot tool at the window's size.
    Expected expect(const std::string& script) {
        std::ofstream(dir / "script.txt") << script;
        auto r = xvfb::runCommand({NORVEL_SNAPSHOT_BIN, "--scale", "1", "--size",
                                   std::to_string(x.window().width) + "x" + std::to_string(x.window().height),
                                   "--script", (dir / "script.txt").string(), "--png", (dir / "expected.png").string(),
                                   "--tree", (dir / "expected.json").string()},
                                  {}, 60);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        Expected e;
        std::ifstream in(dir / "expected.json");
        e.tree = json::parse(in);
        auto image = xvfb::readPng((dir / "expected.png").string());
        EXPECT_TRUE(image);
        if (image) e.image = *image;
        return e;
    }

    // Polls the window until it looks like `expected`; returns the last share
    // of differing pixels.
    double waitToLookLike(const Expected& expected, double seconds = kPatience) {
        double share = 1;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        do {
            if (auto shot = x.screenshot()) share = differingShare(*shot, expected.image);
            if (share < 0.01) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        } while (std::chrono::steady_clock::now() < deadline);
        return share;
    }
};

TEST_F(AppWindow, OpensOnTheDashboardAsTheSnapshotToolRendersIt) {
    Expected dashboard = expect("");
    EXPECT_LT(waitToLookLike(dashboard), 0.01);
}

TEST_F(AppWindow, TwoSecondsOnTheBadgeOpenTheSheetHalfASecondDoesNot) {
    Expected dashboard = expect("");
    auto badge = dashboard.badge();
    ASSERT_TRUE(badge);
    ASSERT_LT(waitToLookLike(dashboard), 0.01);

    ASSERT_TRUE(x.hold(badge->centre(), 0.5));
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    EXPECT_LT(waitToLookLike(dashboard, 1), 0.01) << "a 0.5 s press opened something";

    ASSERT_TRUE(x.hold(badge->centre(), 2.0));
    Expected sheet = expect("press " + std::to_string(badge->centre().x) + " " + std::to_string(badge->centre().y) +
                            "\nwait 1200\nrelease\n");
    EXPECT_LT(waitToLookLike(sheet), 0.01);
}

TEST_F(AppWindow, ClickToOpenShowsTheMessageAndOkClosesIt) {
    ASSERT_TRUE(x.key("End"));
    Expected scrolled = expect("key end\n");
    auto button = scrolled.frameOf("Click to Open");
    ASSERT_TRUE(button);
    ASSERT_LT(waitToLookLike(scrolled), 0.01);
    ASSERT_TRUE(x.click(button->centre()));
    Expected alert = expect("key end\ntap " + std::to_string(button->centre().x) + " " +
                            std::to_string(button->centre().y) + "\n");
    ASSERT_TRUE(alert.frameOf("Linked study asset: norvel_chest_xray.jpg"));
    EXPECT_LT(waitToLookLike(alert), 0.01);
    auto ok = alert.frameOf("OK");
    ASSERT_TRUE(ok);
    ASSERT_TRUE(x.click(ok->centre()));
    EXPECT_LT(waitToLookLike(scrolled), 0.01);
}

TEST_F(AppWindow, TabThenReturnOpensTheMessageAndEscapeClosesIt) {
    ASSERT_LT(waitToLookLike(expect("")), 0.01);
    ASSERT_TRUE(x.key("Tab"));
    // Focus scrolls "Click to Open" into sight.
    ASSERT_LT(waitToLookLike(expect("key tab\n")), 0.01);
    ASSERT_TRUE(x.key("Return"));
    Expected alert = expect("key tab\nkey return\n");
    ASSERT_TRUE(alert.frameOf("Linked study asset: norvel_chest_xray.jpg"));
    EXPECT_LT(waitToLookLike(alert), 0.01);
    ASSERT_TRUE(x.key("Escape"));
    EXPECT_LT(waitToLookLike(expect("key tab\nkey return\nkey escape\n")), 0.01);
}

class AppSheet : public AppWindow {
protected:
    std::string openScript;
    Expected sheet;

    void SetUp() override {
        AppWindow::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        Expected dashboard = expect("");
        auto badge = dashboard.badge();
        ASSERT_TRUE(badge);
        openScript = "press " + std::to_string(badge->centre().x) + " " + std::to_string(badge->centre().y) +
                     "\nwait 1200\nrelease\nwait 600\n";
        sheet = expect(openScript);
        ASSERT_LT(waitToLookLike(dashboard), 0.01);
        ASSERT_TRUE(x.hold(badge->centre(), 2.0));
        ASSERT_LT(waitToLookLike(sheet), 0.01);
    }
};

TEST_F(AppSheet, DoneClosesIt) {
    auto done = sheet.frameOf("Done");
    ASSERT_TRUE(done);
    ASSERT_TRUE(x.click(done->centre()));
    EXPECT_LT(waitToLookLike(expect("")), 0.01);
}

TEST_F(AppSheet, ASwipeDownClosesIt) {
    auto heading = sheet.frameOf("Norvel Diagnostics");
    ASSERT_TRUE(heading);
    auto start = heading->centre();
    ASSERT_TRUE(x.press(start));
    for (int i = 1; i <= 25; ++i) {
        ASSERT_TRUE(x.moveTo({start.x, start.y + i * 20}));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(x.release());
    EXPECT_LT(waitToLookLike(expect("")), 0.01);
}

TEST_F(AppSheet, CopyingTheCacheRealmPutsExactlyItsValueOnTheClipboard) {
    auto value = sheet.frameOf("patient-summary-cache-v2");
    ASSERT_TRUE(value);
    // Touch and hold opens the Copy menu; where it appears comes from the
    // snapshot of the same hold.
    Expected menu = expect(openScript + "press " + std::to_string(value->centre().x) + " " +
                           std::to_string(value->centre().y) + "\nwait 700\nrelease\n");
    auto copy = menu.frameOf("Copy");
    ASSERT_TRUE(copy);
    ASSERT_TRUE(x.hold(value->centre(), 1.0));
    ASSERT_LT(waitToLookLike(menu), 0.01);
    ASSERT_TRUE(x.click(copy->centre()));
    auto text = x.clipboard(kPatience);
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, "patient-summary-cache-v2");
}

TEST_F(AppWindow, ClosingTheWindowEndsTheAppWithExitZero) {
    ASSERT_TRUE(x.closeWindow());
    EXPECT_EQ(app->waitExit(kPatience), 0) << app->errorOutput();
}

TEST_F(AppWindow, SigintEndsTheAppWithExitZero) {
    ASSERT_TRUE(app->signal(SIGINT));
    EXPECT_EQ(app->waitExit(kPatience), 0) << app->errorOutput();
}

TEST(AppWithoutDisplay, SaysSoOnOneLineAndExitsOne) {
    auto r = xvfb::runCommand({NORVEL_APP_BIN}, {"DISPLAY", "WAYLAND_DISPLAY"}, 30);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find("norvel-snapshot --png"), std::string::npos) << r.err;
}

}  // namespace
