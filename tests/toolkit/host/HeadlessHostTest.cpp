// The headless host: settled outputs and the clock it steps.

#include <gtest/gtest.h>

#include "toolkit/host/HeadlessHost.hpp"

using namespace ui;

namespace {

struct Screen {
    State<bool> show{false};
    auto dynamicProperties() { return std::tie(show); }
    View body() const {
        return VStack({Button([self = *this] { self.show = true; }, Text::verbatim("Open")).frame(200, 60)})
            .alert("Title", show.binding(), {Button("OK", ButtonRole::cancel)}, Text("Message"));
    }
};

TEST(HeadlessHost, SettleFinishesTheAnimationAStateChangeJustStarted) {
    FixedAdvanceMeasurer measurer;
    HeadlessHost host(Screen{}, HostOptions{{390, 844}, 1, {}}, &measurer);
    host.tap({195, 422});
    // The alert is not even built yet: settling must still run its whole
    // entrance, so a snapshot never shows it half transparent.
    host.settle();
    bool found = false;
    for (const auto& v : host.tree().views) {
        if (v.text == std::optional<std::string>("Message")) {
            found = true;
            EXPECT_DOUBLE_EQ(v.opacity, 1);
        }
    }
    EXPECT_TRUE(found);
    double before = host.nowMilliseconds();
    host.settle();
    EXPECT_EQ(host.nowMilliseconds(), before) << "a settled host does not move its clock";
}

TEST(HeadlessHost, ARenderOfAnUnchangedTreePaintsNothing) {
    FixedAdvanceMeasurer measurer;
    HeadlessHost host(Screen{}, HostOptions{{100, 100}, 1, {}}, &measurer);
    EXPECT_TRUE(host.render());
    EXPECT_FALSE(host.render());
    host.tap({50, 50});
    host.settle();
    EXPECT_TRUE(host.render());
}

}  // namespace
