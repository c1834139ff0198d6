// Choosing SDL's video driver and the no-display message, with no display.

#include <gtest/gtest.h>

#include "toolkit/host/SdlDisplay.hpp"

using namespace ui;

namespace {

TEST(SdlDisplay, X11IsChosenWhereverThereIsADisplay) {
    EXPECT_EQ(chooseVideoDriver(":0", nullptr, nullptr), "x11");
    EXPECT_EQ(chooseVideoDriver(":0", "wayland-0", nullptr), "x11");
    EXPECT_EQ(chooseVideoDriver(nullptr, "wayland-0", nullptr), "wayland");
}

TEST(SdlDisplay, NoDisplayVariablesMeanNoDisplay) {
    EXPECT_EQ(chooseVideoDriver(nullptr, nullptr, nullptr), "");
    EXPECT_EQ(chooseVideoDriver("", "", nullptr), "");
}

TEST(SdlDisplay, OnlyOnScreenDriversMayBeRequested) {
    EXPECT_EQ(chooseVideoDriver(":0", "wayland-0", "wayland"), "wayland");
    EXPECT_EQ(chooseVideoDriver(":0", nullptr, "wayland"), "x11") << "no Wayland display to use";
    EXPECT_EQ(chooseVideoDriver(nullptr, nullptr, "offscreen"), "");
    EXPECT_EQ(chooseVideoDriver(nullptr, nullptr, "dummy"), "");
    EXPECT_EQ(chooseVideoDriver(":1", nullptr, "offscreen"), "x11");
}

TEST(SdlDisplay, OnlyX11AndWaylandShowAWindow) {
    EXPECT_TRUE(isOnScreenDriver("x11"));
    EXPECT_TRUE(isOnScreenDriver("wayland"));
    EXPECT_FALSE(isOnScreenDriver("offscreen"));
    EXPECT_FALSE(isOnScreenDriver("dummy"));
    EXPECT_FALSE(isOnScreenDriver(nullptr));
}

TEST(SdlDisplay, TheNoDisplayMessageIsOneLineThatPointsAtTheSnapshotTool) {
    std::string line = noDisplayMessage("norvel-health", "x11: No available video device\n");
    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_EQ(line.rfind("norvel-health: no display", 0), 0u) << line;
    EXPECT_NE(line.find("No available video device"), std::string::npos);
    EXPECT_NE(line.find("`norvel-snapshot --png FILE` renders the screen to a PNG instead"),
              std::string::npos);
}

}  // namespace
