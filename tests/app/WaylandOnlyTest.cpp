// The app on a Wayland desktop with no X server (headless sway), where SDL
// gives it no surface: it must say so in one line and exit 1, not run on
// with a window nobody ever sees.

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

constexpr double kPatience = 30;    // only a failure waits this long
constexpr uid_t kSwayUser = 65534;  // sway refuses root: it runs as nobody then

class WaylandOnly : public ::testing::Test {
  protected:
    fs::path runtime;  // the compositor's XDG_RUNTIME_DIR, its user's alone
    std::unique_ptr<xvfb::AppProcess> sway;
    std::string socket;

    void SetUp() override {
        if (!xvfb::onPath("sway")) GTEST_SKIP() << "sway missing (scripts/install-deps --test)";
        bool root = geteuid() == 0;
        if (root && !xvfb::onPath("setpriv"))
            GTEST_SKIP() << "root without setpriv: sway refuses root";
        std::string pattern = (fs::temp_directory_path() / "norvel-wayland-XXXXXX").string();
        ASSERT_TRUE(mkdtemp(pattern.data()));
        runtime = pattern;
        if (root) {
            ASSERT_EQ(chown(runtime.c_str(), kSwayUser, kSwayUser), 0);
        }
        std::ofstream(runtime / "sway.conf") << "xwayland disable\n";
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
            logPath());
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
            std::ifstream log(logPath());
            GTEST_SKIP() << "headless sway did not start here; its log:\n" << log.rdbuf();
        }
    }

    void TearDown() override {
        sway.reset();
        std::error_code ignored;
        if (!runtime.empty()) fs::remove_all(runtime, ignored);
        fs::remove(logPath(), ignored);
    }

    std::string logPath() const { return runtime.string() + ".log"; }
};

TEST_F(WaylandOnly, TheAppSaysWhyItShowsNoWindowAndExits) {
    auto r = xvfb::runCommand({NORVEL_APP_BIN},
                              {"DISPLAY", "GDK_SCALE", "NORVEL_SCALE", "SDL_VIDEODRIVER",
                               "WAYLAND_DISPLAY=" + socket, "XDG_RUNTIME_DIR=" + runtime.string(),
                               // In sanitizer builds LeakSanitizer would report what SDL 2.26's
                               // Wayland back end leaves allocated when it closes; the stacks end
                               // in libraries SDL has unloaded, so no suppression can name them.
                               "ASAN_OPTIONS=detect_leaks=0"},
                              kPatience);
    ASSERT_FALSE(r.timedOut) << "still running after " << kPatience << " s";
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "not one line: " << r.err;
    EXPECT_NE(r.err.find("wayland video driver"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("start it under X11 or Xwayland"), std::string::npos) << r.err;
}

}  // namespace
