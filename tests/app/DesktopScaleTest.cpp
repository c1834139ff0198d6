// The app at the desktop's scale on a private X server: an XSETTINGS daemon
// (xsettingsd), the Xft.dpi resource (xrdb) or GDK_SCALE set the window's
// size in pixels, and what it shows is the snapshot tool's render at that
// scale, pixel for pixel; a daemon's change reaches the running window.
// The session's environment is pinned (XvfbSession::launch), so a
// developer's own desktop settings never reach the app.

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

constexpr const char* kTitle = "Norvel Health";
// Only a failure waits this long.
constexpr double kPatience = 30;

double nowSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// The snapshot's PNG as RGB. Where the window's width in points times the
// scale ends inside a pixel, the snapshot's last column is partly
// transparent and the window (which has no transparency) shows the same
// premultiplied colour, that is, the colour over black.
std::optional<xvfb::Image> readPng(const fs::path& path) {
    auto size = xvfb::runCommand({"identify", "-format", "%w %h", path.string()}, {}, 30);
    auto r = xvfb::runCommand(
        {"convert", path.string(), "-background", "black", "-flatten", "-depth", "8", "rgb:-"}, {},
        30);
    if (r.exitCode != 0 || size.exitCode != 0) return std::nullopt;
    xvfb::Image image;
    std::istringstream(size.out) >> image.width >> image.height;
    image.rgb.assign(r.out.begin(), r.out.end());
    if (image.rgb.size() != static_cast<std::size_t>(image.width) * image.height * 3)
        return std::nullopt;
    return image;
}

std::size_t differingPixels(const xvfb::Image& a, const xvfb::Image& b) {
    if (a.width != b.width || a.height != b.height) return static_cast<std::size_t>(-1);
    std::size_t differing = 0;
    for (std::size_t i = 0; i + 2 < a.rgb.size(); i += 3) {
        if (a.rgb[i] != b.rgb[i] || a.rgb[i + 1] != b.rgb[i + 1] || a.rgb[i + 2] != b.rgb[i + 2])
            ++differing;
    }
    return differing;
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
                GTEST_SKIP() << tool << " missing (scripts/install-deps --test installs it)";
        }
        dir = fs::temp_directory_path() / ("norvel-desktop-scale-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        // Room for a window at scale 2.
        XVFB_START_SCREEN_OR_SKIP(x, "1600x2000x24");
    }

    void TearDown() override {
        if (app && app->running()) {
            EXPECT_EQ(x.terminate(*app), 0) << app->errorOutput();
        }
        if (!dir.empty()) fs::remove_all(dir);
    }

    void publish(const std::string& settings) {
        std::ofstream(dir / "xsettingsd.conf") << settings;
        if (daemon) {
            // xsettingsd reads its file again on SIGHUP and publishes a new serial.
            ASSERT_TRUE(daemon->signal(SIGHUP));
            return;
        }
        daemon =
            xvfb::startInBackground({"xsettingsd", "-c", (dir / "xsettingsd.conf").string()},
                                    {"DISPLAY=" + x.display()}, (dir / "xsettingsd.log").string());
        ASSERT_TRUE(daemon);
        // It has taken the selection once its settings can be read back.
        ASSERT_TRUE(waitFor([&] {
            return x.x({"dump_xsettings"}).out.find("Gdk/") != std::string::npos;
        })) << "xsettingsd published nothing; its log is in "
            << dir;
    }

    void quitDaemon() {
        ASSERT_TRUE(daemon->signal(SIGTERM));
        ASSERT_TRUE(daemon->waitExit(kPatience));
        daemon.reset();
    }

    void resources(const std::string& text) {
        auto r = xvfb::runCommand({"sh", "-c", "printf '%s\\n' \"$1\" | xrdb -merge", "sh", text},
                                  {"DISPLAY=" + x.display()}, 30);
        ASSERT_EQ(r.exitCode, 0) << r.err;
    }

    void open(const xvfb::EnvChanges& env = {}) {
        app = x.launch(NORVEL_APP_BIN, {}, env);
        ASSERT_TRUE(app);
        ASSERT_TRUE(x.findWindow(app->pid(), kTitle, kPatience))
            << "no window; stderr: " << app->errorOutput();
    }

    template <typename Condition>
    static bool waitFor(Condition done, double seconds = kPatience) {
        double deadline = nowSeconds() + seconds;
        while (!done()) {
            if (nowSeconds() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return true;
    }

    // Polls until the window has the pixels of 390 × 844 points at `scale`
    // and shows exactly what the snapshot tool renders at that scale.
    void expectCrispAt(const std::string& scale) {
        fs::path png = dir / ("snapshot-" + scale + ".png");
        auto r = xvfb::runCommand({NORVEL_SNAPSHOT_BIN, "--scale", scale, "--png", png.string()},
                                  {}, 60);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        auto expected = readPng(png);
        ASSERT_TRUE(expected);

        xvfb::WindowGeometry geometry;
        bool sized = waitFor([&] {
            if (auto g = x.geometry(x.window().id)) geometry = *g;
            return geometry.width == expected->width && geometry.height == expected->height;
        });
        ASSERT_TRUE(sized) << "window " << geometry.width << "x" << geometry.height
                           << ", snapshot at " << scale << " " << expected->width << "x"
                           << expected->height;
        std::size_t differing = 0;
        bool same = waitFor([&] {
            auto shot = x.screenshot();
            differing = shot ? differingPixels(*shot, *expected) : static_cast<std::size_t>(-1);
            return differing == 0;
        });
        EXPECT_TRUE(same) << differing << " pixels differ from the snapshot at scale " << scale;
    }
};

struct Desktop {
    const char* what;
    const char* xsettings;  // xsettingsd's file, or null for no daemon
    const char* resources;  // for xrdb -merge, or null
    xvfb::EnvChanges env;
    const char* scale;
};

class DesktopScaleCase : public DesktopScale, public ::testing::WithParamInterface<Desktop> {};

TEST_P(DesktopScaleCase, TheWindowIsTheSnapshotAtTheDesktopsScale) {
    const Desktop& d = GetParam();
    if (d.xsettings) publish(d.xsettings);
    if (d.resources) resources(d.resources);
    open(d.env);
    expectCrispAt(d.scale);
}

INSTANTIATE_TEST_SUITE_P(
    DesktopScale, DesktopScaleCase,
    ::testing::Values(Desktop{"xsettings window scale 2",
                              "Gdk/WindowScalingFactor 2\nXft/DPI 196608\n",
                              nullptr,
                              {},
                              "2"},
                      // The daemon's window scale wins over the resource; the DPI is text size.
                      Desktop{"KDE at 150 percent",
                              "Gdk/WindowScalingFactor 1\nXft/DPI 147456\n",
                              "Xft.dpi: 144",
                              {},
                              "1"},
                      Desktop{"Xft.dpi 192", nullptr, "Xft.dpi: 192", {}, "2"},
                      Desktop{"Xft.dpi 120", nullptr, "Xft.dpi: 120", {}, "1.25"},
                      Desktop{"GDK_SCALE 2", nullptr, nullptr, {"GDK_SCALE=2"}, "2"}),
    [](const auto& info) { return testsupport::caseName(info.index, info.param.what, 26); });

TEST_F(DesktopScale, ARunningWindowFollowsTheDaemonAndKeepsItsSizeInPoints) {
    publish("Gdk/WindowScalingFactor 1\n");
    open();
    expectCrispAt("1");
    publish("Gdk/WindowScalingFactor 2\n");
    expectCrispAt("2");
    publish("Gdk/WindowScalingFactor 1\n");
    expectCrispAt("1");
}

// A daemon that starts announces itself; one that quits leaves the
// resource to decide; a resource change reaches the window too.
TEST_F(DesktopScale, ARunningWindowFollowsADaemonComingAndGoingAndTheResources) {
    resources("Xft.dpi: 120");
    open();
    expectCrispAt("1.25");
    publish("Gdk/WindowScalingFactor 2\n");
    expectCrispAt("2");
    quitDaemon();
    expectCrispAt("1.25");
    resources("Xft.dpi: 192");
    expectCrispAt("2");
}

}  // namespace
