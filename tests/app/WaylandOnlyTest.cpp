// The app on a Wayland desktop with no X server (headless sway): SDL gives
// it no surface there, so it must say so in one line and exit 1 instead of
// running on with a window nobody ever sees.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/window/XvfbSession.hpp"

namespace fs = std::filesystem;

namespace {

// Only a failure waits this long.
constexpr double kPatience = 30;
// sway refuses to run as root; it runs as nobody then.
constexpr uid_t kSwayUser = 65534;

std::string tailOf(const fs::path& path) {
    std::ifstream in(path);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    return text.size() > 600 ? text.substr(text.size() - 600) : text;
}

class WaylandOnly : public ::testing::Test {
  protected:
    fs::path runtime;
    std::unique_ptr<xvfb::AppProcess> sway;
    std::string socket;

    void SetUp() override {
        if (!xvfb::onPath("sway"))
            GTEST_SKIP() << "sway missing (scripts/install-deps --test installs it)";
        bool root = geteuid() == 0;
        if (root && !xvfb::onPath("setpriv"))
            GTEST_SKIP() << "running as root and setpriv missing: sway refuses root";

        std::string pattern = (fs::temp_directory_path() / "norvel-wayland-XXXXXX").string();
        ASSERT_TRUE(mkdtemp(pattern.data()));
        runtime = pattern;
        // The compositor's runtime folder must be its user's alone.
        if (root) {
            ASSERT_EQ(chown(runtime.c_str(), kSwayUser, kSwayUser), 0);
        }
        std::ofstream(runtime / "sway.conf")
            << "xwayland disable\n"
               "output HEADLESS-1 resolution 1280x1024 position 0 0\n";
        chmod((runtime / "sway.conf").c_str(), 0644);

        std::vector<std::string> argv{"sway", "-c", (runtime / "sway.conf").string()};
        if (root) {
            std::string id = std::to_string(kSwayUser);
            argv.insert(argv.begin(),
                        {"setpriv", "--reuid=" + id, "--regid=" + id, "--clear-groups"});
        }
        sway = xvfb::startInBackground(
            argv,
            {"DISPLAY", "WAYLAND_DISPLAY", "SWAYSOCK", "HOME=" + runtime.string(),
             "XDG_RUNTIME_DIR=" + runtime.string(), "WLR_BACKENDS=headless",
             "WLR_LIBINPUT_NO_DEVICES=1", "WLR_RENDERER=pixman"},
            (runtime.parent_path() / (runtime.filename().string() + ".log")).string());
        ASSERT_TRUE(sway);

        auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(kPatience);
        while (socket.empty() && sway->running() && std::chrono::steady_clock::now() < deadline) {
            for (const auto& entry : fs::directory_iterator(runtime)) {
                std::string name = entry.path().filename().string();
                if (name.rfind("wayland-", 0) == 0 && name.find('.') == std::string::npos)
                    socket = name;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        if (socket.empty()) {
            GTEST_SKIP() << "headless sway did not start here; its log: " << tailOf(logPath());
        }
    }

    void TearDown() override {
        sway.reset();
        if (!runtime.empty()) {
            std::error_code ignored;
            fs::remove_all(runtime, ignored);
            fs::remove(logPath(), ignored);
        }
    }

    fs::path logPath() const {
        return runtime.parent_path() / (runtime.filename().string() + ".log");
    }
};

TEST_F(WaylandOnly, TheAppSaysWhyItShowsNoWindowAndExits) {
    auto started = std::chrono::steady_clock::now();
    auto r = xvfb::runCommand({NORVEL_APP_BIN},
                              {"DISPLAY", "GDK_SCALE", "NORVEL_SCALE", "SDL_VIDEODRIVER",
                               "WAYLAND_DISPLAY=" + socket, "XDG_RUNTIME_DIR=" + runtime.string()},
                              kPatience);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    ASSERT_FALSE(r.timedOut) << "still running after " << kPatience << " s";
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    ASSERT_FALSE(r.err.empty());
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "not one line: " << r.err;
    EXPECT_NE(r.err.find("wayland"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("start it under X11 or Xwayland"), std::string::npos) << r.err;
    RecordProperty("seconds_to_exit", std::to_string(seconds));
}

}  // namespace
