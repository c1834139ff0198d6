// A laid-out tree as a screen reader reads it: which views become which
// objects, which states they carry, how they keep their identity when a
// presentation comes, and what a click from the bus may press.

#include <gtest/gtest.h>

#include "toolkit/a11y/TreeMirror.hpp"
#include "toolkit/layout/TextMeasurer.hpp"
#include "toolkit/runtime/Runtime.hpp"

using namespace ui;
using namespace ui::a11y;

namespace {

struct Screen {
    State<bool> showAlert{false};
    auto dynamicProperties() { return std::tie(showAlert); }

    View body() const {
        std::vector<View> lines;
        for (int i = 0; i < 60; ++i) lines.push_back(Text::verbatim("Line " + std::to_string(i)));
        return ScrollView(
                   VStack(HorizontalAlignment::leading, 0,
                          {
                              HStack({Image("favorite"), Text::verbatim("Heading")}),
                              RoundedRectangle(8, CornerStyle::continuous)
                                  .frame(48, 48)
                                  .onLongPressGesture(1.2, 10, [] {}),
                              Button([self = *this] { self.showAlert = true; },
                                     HStack({Image("photo"), Text::verbatim("Open")}))
                                  .accessibilityHint(LocalizedString::verbatimText("Opens it")),
                              VStack(HorizontalAlignment::leading, 0, lines),
                          }))
            .alert("Title", showAlert.binding(), {Button("OK", ButtonRole::cancel, [] {})},
                   Text("Message"));
    }
};

class TreeMirrorTest : public ::testing::Test {
  protected:
    FixedAdvanceMeasurer measurer;
    Screen screen;
    Runtime runtime{screen, measurer, Viewport{{390, 844}, 2, {}}};

    AccessibleSnapshot snapshot() {
        for (double t = 0; t < 2 && runtime.isAnimating(); t += 0.016) runtime.advanceTo(t);
        return mirror(runtime.tree(), {"Window", 2, 100, 50});
    }
    static const AccessibleNode* named(const AccessibleSnapshot& s, const std::string& name) {
        for (const auto& n : s.nodes) {
            if (n.name == name) return &n;
        }
        return nullptr;
    }
};

TEST_F(TreeMirrorTest, TextsAreLabelsAndAButtonFoldsItsTitleAndSymbolWithItsHint) {
    AccessibleSnapshot s = snapshot();
    ASSERT_FALSE(s.nodes.empty());
    EXPECT_EQ(s.nodes[0].role, Role::frame);
    EXPECT_EQ(s.nodes[0].name, "Window");
    EXPECT_EQ(s.nodes[0].extents, (PixelRect{0, 0, 780, 1688}));
    EXPECT_EQ(s.windowX, 100);

    const AccessibleNode* heading = named(s, "Heading");
    ASSERT_NE(heading, nullptr);
    EXPECT_EQ(heading->role, Role::label);
    EXPECT_TRUE(heading->hasText);
    EXPECT_EQ(heading->parent, 0);

    const AccessibleNode* open = named(s, "Open");
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->role, Role::pushButton);
    EXPECT_EQ(open->description, "Opens it");
    EXPECT_TRUE(open->clickable);
    EXPECT_EQ(open->states, kShowing | kVisible | kEnabled | kSensitive | kFocusable);

    // Frame, heading, button and the lines: no symbol, no badge, and the
    // button's title is not a label of its own.
    EXPECT_EQ(s.nodes.size(), 3u + 60u);
}

TEST_F(TreeMirrorTest, ContentScrolledOutOfViewIsVisibleButNotShowing) {
    AccessibleSnapshot s = snapshot();
    const AccessibleNode* last = named(s, "Line 59");
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->states, kVisible | kEnabled | kSensitive);
}

TEST_F(TreeMirrorTest, AnAlertComesOverTheScreenWhoseObjectsKeepTheirPlaces) {
    AccessibleSnapshot before = snapshot();
    std::string openId = named(before, "Open")->id;
    ASSERT_TRUE(runtime.activate(openId, runtime.now()));
    AccessibleSnapshot after = snapshot();

    SnapshotDiff d = diff(before, after);
    EXPECT_TRUE(d.removed.empty());
    ASSERT_EQ(d.added.size(), 4u);  // the alert, its title, its message, OK
    const AccessibleNode* alert = named(after, "Title");
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->role, Role::alert);
    EXPECT_EQ(alert->id, d.added[0]);
    int alertIndex = static_cast<int>(alert - after.nodes.data());
    EXPECT_EQ(named(after, "Message")->parent, alertIndex);
    EXPECT_EQ(named(after, "OK")->parent, alertIndex);
    // The alert's extents are its card, not the dimmed backdrop.
    EXPECT_LT(alert->extents.width, 780);

    EXPECT_EQ(named(after, "Open")->states, kVisible);
    EXPECT_EQ(named(after, "Heading")->states, kVisible);
}

TEST_F(TreeMirrorTest, AClickFromTheBusPressesOnlyWhatTakesInput) {
    std::string openId = named(snapshot(), "Open")->id;
    ASSERT_TRUE(runtime.activate(openId, runtime.now()));
    AccessibleSnapshot withAlert = snapshot();
    EXPECT_FALSE(runtime.activate(openId, runtime.now())) << "beneath the alert";
    EXPECT_FALSE(runtime.activate(named(withAlert, "Heading")->id, runtime.now()))
        << "not a button";

    ASSERT_TRUE(runtime.activate(named(withAlert, "OK")->id, runtime.now()));
    EXPECT_FALSE(runtime.alertPresented());
    EXPECT_EQ(named(snapshot(), "Title"), nullptr);
}

TEST_F(TreeMirrorTest, TheFrontLayerIsTheActiveWindowOnlyWhileTheWindowHasTheKeyboard) {
    auto active = [](const AccessibleSnapshot& s, const std::string& name) {
        for (const auto& n : s.nodes) {
            if (n.name == name) return (n.states & kActive) != 0;
        }
        return false;
    };
    snapshot();
    MirrorGeometry focused{"Window", 2, 0, 0, true};
    EXPECT_TRUE(active(mirror(runtime.tree(), focused), "Window"));
    EXPECT_FALSE(active(mirror(runtime.tree(), {"Window", 2, 0, 0, false}), "Window"));

    ASSERT_TRUE(runtime.activate(named(snapshot(), "Open")->id, runtime.now()));
    snapshot();
    AccessibleSnapshot withAlert = mirror(runtime.tree(), focused);
    EXPECT_FALSE(active(withAlert, "Window"));
    EXPECT_TRUE(active(withAlert, "Title"));
    EXPECT_FALSE(active(withAlert, "OK")) << "only windows are ever active";
}

}  // namespace
