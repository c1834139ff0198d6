// The app at the desktop's scale on a private X server: an XSETTINGS daemon
// (xsettingsd), the Xft.dpi resource (xrdb) or GDK_SCALE set the window's
// size in pixels, and it shows the snapshot tool's render at that scale,
// pixel for pixel, also after the settings change while it runs.

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/CaseName.hpp"
#include "tests/window/XvfbSession.hpp"

namespace fs = std::filesystem;

namespace {

// Only a failure waits this long.
constexpr double kPatience = 30;

template <typename Condition>
bool waitFor(Condition done) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(kPatience);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

class DesktopScale : public ::testing::Test {
  protected:
    xvfb::XvfbSession x;
    std::unique_ptr<xvfb::AppProcess> app;
    std::unique_ptr<xvfb::AppProcess> daemon;
    fs::path dir;

    void SetUp() override {
        for (const char* tool : {"xsettingsd", "dump_xsettings", "xrdb"}) {
            if (!xvfb::onPath(tool))
                GTEST_SKIP() << tool << " missing (scripts/install-deps --test)";
        }
        dir = fs::temp_directory_path() / ("norvel-desktop-scale-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        XVFB_START_SCREEN_OR_SKIP(x, "1600x2000x24");  // room for scale 2
    }

    void TearDown() override {
        if (app && app->running()) {
            EXPECT_EQ(x.terminate(*app), 0) << app->errorOutput();
        }
        if (!dir.empty()) fs::remove_all(dir);
    }

    // Starts xsettingsd with these settings, or has the running one read
    // them again (SIGHUP).
    void publish(const std::string& settings) {
        std::ofstream(dir / "xsettingsd.conf") << settings;
        if (daemon) {
            ASSERT_TRUE(daemon->signal(SIGHUP));
            return;
        }
        daemon =
            xvfb::startInBackground({"xsettingsd", "-c", (dir / "xsettingsd.conf").string()},
                                    {"DISPLAY=" + x.display()}, (dir / "xsettingsd.log").string());
        ASSERT_TRUE(daemon);
        ASSERT_TRUE(waitFor([&] {
            return x.x({"dump_xsettings"}).out.find("Gdk/") != std::string::npos;
        })) << "xsettingsd published nothing";
    }

    void resources(const std::string& text) {
        std::ofstream(dir / "resources") << text << "\n";
        auto r = x.x({"xrdb", "-merge", (dir / "resources").string()});
        ASSERT_EQ(r.exitCode, 0) << r.err;
    }

    void open(const xvfb::EnvChanges& env = {}) {
        app = x.launch(NORVEL_APP_BIN, {}, env);
        ASSERT_TRUE(app);
        ASSERT_TRUE(x.findWindow(app->pid(), "Norvel Health", kPatience)) << app->errorOutput();
    }

    // Polls until the window has the snapshot's pixel size at `scale` and
    // shows exactly its pixels.
    void expectCrispAt(const std::string& scale) {
        std::string png = (dir / ("snapshot-" + scale + ".png")).string();
        auto r = xvfb::runCommand({NORVEL_SNAPSHOT_BIN, "--scale", scale, "--png", png}, {}, 60);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        auto expected = xvfb::readPng(png);
        ASSERT_TRUE(expected);

        xvfb::WindowGeometry g;
        ASSERT_TRUE(waitFor([&] {
            if (auto now = x.geometry(x.window().id)) g = *now;
            return g.width == expected->width && g.height == expected->height;
        })) << "window "
            << g.width << "x" << g.height << ", snapshot at " << scale << " " << expected->width
            << "x" << expected->height;
        EXPECT_TRUE(waitFor([&] {
            auto shot = x.screenshot();
            return shot && shot->width == expected->width && shot->rgb == expected->rgb;
        })) << "the window's pixels are not the snapshot's at scale "
            << scale;
    }
};

struct Desktop {
    const char* what;
    const char* xsettings;  // xsettingsd's file, or null for no daemon
    const char* resources;  // for xrdb -merge, or null
    xvfb::EnvChanges env;
    const char* scale;
};

class DesktopScaleAtStart : public DesktopScale, public ::testing::WithParamInterface<Desktop> {};

TEST_P(DesktopScaleAtStart, TheWindowIsTheSnapshotAtTheDesktopsScale) {
    const Desktop& d = GetParam();
    if (d.xsettings) publish(d.xsettings);
    if (d.resources) resources(d.resources);
    open(d.env);
    expectCrispAt(d.scale);
}

INSTANTIATE_TEST_SUITE_P(
    DesktopScale, DesktopScaleAtStart,
    ::testing::Values(
        Desktop{"xsettings 2", "Gdk/WindowScalingFactor 2\nXft/DPI 196608\n", nullptr, {}, "2"},
        Desktop{"Xft.dpi 192", nullptr, "Xft.dpi: 192", {}, "2"},
        Desktop{"Xft.dpi 120", nullptr, "Xft.dpi: 120", {}, "1.25"},
        Desktop{"GDK_SCALE 2", nullptr, nullptr, {"GDK_SCALE=2"}, "2"}),
    [](const auto& info) { return testsupport::caseName(info.index, info.param.what); });

// Every way the settings change while the window is open: the daemon
// starts (it announces itself), changes its settings, quits (the resource
// decides again), and the resources change.
TEST_F(DesktopScale, ARunningWindowFollowsEveryChangeAndKeepsItsSizeInPoints) {
    resources("Xft.dpi: 120");
    open();
    expectCrispAt("1.25");
    publish("Gdk/WindowScalingFactor 1\n");
    expectCrispAt("1");
    publish("Gdk/WindowScalingFactor 2\n");
    expectCrispAt("2");
    publish("Gdk/WindowScalingFactor 1\n");
    expectCrispAt("1");
    ASSERT_TRUE(daemon->signal(SIGTERM));
    ASSERT_TRUE(daemon->waitExit(kPatience));
    expectCrispAt("1.25");
    resources("Xft.dpi: 192");
    expectCrispAt("2");
}

}  // namespace
