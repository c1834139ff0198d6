// The window scale decided from the desktop's settings and the
// environment, and the text size kept beside it.

#include <gtest/gtest.h>

#include "tests/CaseName.hpp"
#include "toolkit/host/DesktopSettings.hpp"

using namespace ui;

namespace {

DesktopSettings daemon(std::optional<int> windowScale, std::optional<double> dpi = {},
                       std::optional<double> resourceDpi = {}) {
    DesktopSettings s;
    s.hasSettingsManager = true;
    s.windowScale = windowScale;
    s.settingsDpi = dpi;
    s.resourceDpi = resourceDpi;
    return s;
}

DesktopSettings resources(double dpi) {
    DesktopSettings s;
    s.resourceDpi = dpi;
    return s;
}

struct ScaleCase {
    const char* what;
    DesktopSettings settings;
    const char* gdkScale;
    const char* norvelScale;
    double window;
    double text;
};

class Scale : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(Scale, FollowsTheDesktopAsGtkAndQtDo) {
    const auto& c = GetParam();
    EXPECT_DOUBLE_EQ(windowScale(c.settings, c.gdkScale, c.norvelScale), c.window) << c.what;
    EXPECT_DOUBLE_EQ(textScale(c.settings), c.text) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    DesktopSettings, Scale,
    ::testing::Values(
        ScaleCase{"nothing published", {}, nullptr, nullptr, 1, 1},
        ScaleCase{"Xft.dpi 192 alone", resources(192), nullptr, nullptr, 2, 1},
        ScaleCase{"Xft.dpi 120 alone", resources(120), nullptr, nullptr, 1.25, 1},
        ScaleCase{"Xft.dpi 960 alone", resources(960), nullptr, nullptr, 4, 2.5},
        ScaleCase{"GNOME at 2x", daemon(2, 192, 192), nullptr, nullptr, 2, 1},
        ScaleCase{"KDE at 150 percent", daemon(1, 144, 144), nullptr, nullptr, 1, 1.5},
        ScaleCase{"a daemon without a window scale", daemon({}, {}, 144), nullptr, nullptr, 1.5, 1},
        ScaleCase{"GDK_SCALE over the daemon", daemon(1), "2", nullptr, 2, 1},
        ScaleCase{"GDK_SCALE is an integer", daemon(1), "1.5", nullptr, 1, 1},
        ScaleCase{"GDK_SCALE 0 is nothing", resources(192), "0", nullptr, 2, 1},
        ScaleCase{"NORVEL_SCALE over GDK_SCALE", daemon(2), "2", "1.25", 1.25, 1},
        ScaleCase{"NORVEL_SCALE 5 is nothing", daemon(2), nullptr, "5", 2, 1},
        ScaleCase{"NORVEL_SCALE 2x is nothing", {}, "3", "2x", 3, 1}),
    [](const auto& info) { return testsupport::caseName(info.index, info.param.what, 30); });

TEST(DesktopSettings, TakesOnlyWellTypedValuesFromTheDaemon) {
    XSettings published;
    published.values = {{"Gdk/WindowScalingFactor", std::string("2")},
                        {"Xft/DPI", 147456},
                        {"Gtk/EnableAnimations", 0}};
    DesktopSettings s = daemon(3, 96);
    takeXSettings(s, published);
    EXPECT_EQ(s.windowScale, std::nullopt) << "a string is no scale";
    EXPECT_EQ(s.settingsDpi, 144);
    EXPECT_EQ(s.enableAnimations, false);

    published.values = {{"Xft/DPI", -1}, {"Gdk/WindowScalingFactor", 0}};
    takeXSettings(s, published);
    EXPECT_EQ(s.settingsDpi, std::nullopt) << "-1 means the default";
    EXPECT_EQ(s.windowScale, std::nullopt);
    EXPECT_EQ(s.enableAnimations, std::nullopt);
}

}  // namespace
