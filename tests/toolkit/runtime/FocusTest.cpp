// Keyboard focus in the runtime, on a clock the tests step: the order Tab
// follows, focus into and back out of presentations, the keys that act on
// the focused view, scrolling it into sight, and when its ring shows.

#include <gtest/gtest.h>

#include "tests/support/ViewFinding.hpp"
#include "toolkit/runtime/Runtime.hpp"

using namespace ui;
using ui::testing::findView;

namespace {

struct ValuesSheet {
    DismissAction dismiss;
    auto dynamicProperties() { return std::tie(dismiss); }
    View body() const {
        return NavigationStack(
            ScrollView(VStack(HorizontalAlignment::leading, 8,
                              {Text::verbatim("first value").textSelection(true),
                               Text::verbatim("second value").textSelection(true)})
                           .padding(20))
                .toolbar({ToolbarItem{ToolbarPlacement::topBarTrailing,
                                      Button("Done", [d = dismiss] { d(); })}}));
    }
};

// Painting order differs from reading order on purpose: in the first row
// the taller button comes second but its top is higher; the second row's
// buttons share a top and read by their leading edges.
struct FocusScreen {
    State<bool> showAlert{false};
    State<bool> showSheet{false};
    State<int> presses{0};
    auto dynamicProperties() { return std::tie(showAlert, showSheet, presses); }

    View body() const {
        std::vector<View> filler;
        for (int i = 0; i < 60; ++i) filler.push_back(Text::verbatim("Line " + std::to_string(i)));
        return ScrollView(
                   VStack(HorizontalAlignment::leading, 0,
                          {HStack(VerticalAlignment::center, 10,
                                  {Text::verbatim("copy me").textSelection(true),
                                   Button([] {}, Text::verbatim("Tall").frame(60, 60))}),
                           HStack(VerticalAlignment::top, 10,
                                  {Button([self = *this] { self.presses = self.presses.wrappedValue() + 1; },
                                          Text::verbatim("Left")),
                                   RoundedRectangle(8, CornerStyle::continuous)
                                       .fill(Color::cyan)
                                       .frame(48, 48)
                                       .onLongPressGesture(1.2, 10, [self = *this] { self.showSheet = true; }),
                                   Button([] {}, Text::verbatim("Right"))}),
                           VStack(HorizontalAlignment::leading, 0, filler),
                           Button([self = *this] { self.showAlert = true; }, Text::verbatim("Bottom")),
                           Text::verbatim("The end")}))
            .alert("Title", showAlert.binding(),
                   {Button("Delete", [] {}), Button("Keep", ButtonRole::cancel, [] {})},
                   Text("Message"))
            .sheet(showSheet.binding(), nullptr, [] { return View(ValuesSheet()); });
    }
};

class Focus : public ::testing::Test {
protected:
    FixedAdvanceMeasurer measurer;
    FocusScreen screen;
    Runtime runtime{screen, measurer, Viewport{{390, 844}, 3, {}}};
    std::string clipboard;
    double now = 0;  // seconds

    void SetUp() override {
        runtime.setClipboardWriter([this](const std::string& t) { clipboard = t; });
        runtime.bringUpToDate();
    }
    void key(Key k) {
        runtime.key(k, now);
        runtime.bringUpToDate();
    }
    void settle() {
        for (int i = 0; i < 200 && runtime.isAnimating(); ++i) {
            now += 0.016;
            runtime.advanceTo(now);
            runtime.bringUpToDate();
        }
    }
    const LaidOutView* entry(const std::string& shown) {
        return findView(runtime.tree(), [&](const LaidOutView& v) {
            return v.accessibilityLabel == shown && (v.isButton || v.selectable);
        });
    }
    std::string place(const std::string& shown) { return entry(shown)->place; }
    // What the focused view shows, or "" without focus.
    std::string focusedName() {
        const LaidOutView* v = findView(runtime.tree(), [](const LaidOutView& e) { return e.focused; });
        return v ? v->accessibilityLabel.value_or("?") : "";
    }
    const LaidOutView& scrollView() {
        return *findView(runtime.tree(), [](const LaidOutView& v) { return v.kind == EntryKind::scrollView; });
    }
    void openSheetByLongPress() {
        const LaidOutView* badge = findView(runtime.tree(), [](const LaidOutView& v) { return v.longPress; });
        Point p{badge->frame.midX(), badge->frame.midY()};
        runtime.pointerDown(p, now);
        now += 1.2;
        runtime.pointerUp(p, now);
        settle();
    }
};

struct OrderCase {
    const char* name;
    Key key;
    std::vector<std::string> visits;
};
void PrintTo(const OrderCase& c, std::ostream* os) { *os << c.name; }
class FocusOrder : public Focus, public ::testing::WithParamInterface<OrderCase> {};

// The badge's long press is the hidden way to diagnostics, not a control:
// it never appears among the visits.
TEST_P(FocusOrder, FollowsReadingOrderWrapsAndSkipsTheBadge) {
    std::vector<std::string> visits;
    for (std::size_t i = 0; i < GetParam().visits.size(); ++i) {
        key(GetParam().key);
        visits.push_back(focusedName());
    }
    EXPECT_EQ(visits, GetParam().visits);
}
INSTANTIATE_TEST_SUITE_P(
    Runtime, FocusOrder,
    ::testing::Values(OrderCase{"tab", Key::tab, {"Tall", "copy me", "Left", "Right", "Bottom", "Tall"}},
                      OrderCase{"shiftTab", Key::backTab, {"Bottom", "Right", "Left", "copy me", "Tall", "Bottom"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Focus, TheAlertTakesFocusOnItsCancelButtonKeepsItAndGivesItBack) {
    key(Key::backTab);
    ASSERT_EQ(focusedName(), "Bottom");
    key(Key::enter);
    ASSERT_TRUE(runtime.alertPresented());
    EXPECT_EQ(focusedName(), "Keep") << "the cancel button, though it comes second";
    // Tab stays among the alert's buttons: the screen's lie beneath it.
    std::vector<std::string> visits;
    for (int i = 0; i < 3; ++i) {
        key(Key::tab);
        visits.push_back(focusedName());
    }
    EXPECT_EQ(visits, (std::vector<std::string>{"Delete", "Keep", "Delete"}));
    key(Key::escape);
    EXPECT_EQ(runtime.focusedPlace(), place("Bottom"));
    settle();
    EXPECT_EQ(focusedName(), "Bottom");
}

TEST_F(Focus, TheSheetTakesFocusOnItsTopmostViewAndGivesItBack) {
    key(Key::tab);
    key(Key::tab);
    key(Key::tab);
    ASSERT_EQ(focusedName(), "Left");
    openSheetByLongPress();
    EXPECT_EQ(focusedName(), "Done") << "the toolbar's button is above the values";
    key(Key::tab);
    EXPECT_EQ(focusedName(), "first value");
    key(Key::escape);
    settle();
    EXPECT_EQ(focusedName(), "Left");
}

struct PressCase {
    const char* name;
    Key key;
};
void PrintTo(const PressCase& c, std::ostream* os) { *os << c.name; }
class PressKeys : public Focus, public ::testing::WithParamInterface<PressCase> {};
TEST_P(PressKeys, PressTheFocusedButtonOnce) {
    key(Key::tab);
    key(Key::tab);
    ASSERT_EQ(focusedName(), "copy me");
    key(GetParam().key);
    EXPECT_EQ(screen.presses.wrappedValue(), 0) << "a focused text is not pressed";
    EXPECT_FALSE(runtime.alertPresented());
    key(Key::tab);
    key(GetParam().key);
    EXPECT_EQ(screen.presses.wrappedValue(), 1);
}
INSTANTIATE_TEST_SUITE_P(Runtime, PressKeys,
                         ::testing::Values(PressCase{"space", Key::space}, PressCase{"enter", Key::enter}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Focus, CtrlCCopiesTheFocusedSelectableTextOnly) {
    key(Key::tab);
    key(Key::copy);
    EXPECT_EQ(clipboard, "") << "a button has nothing to copy";
    key(Key::tab);
    key(Key::copy);
    EXPECT_EQ(clipboard, "copy me");
}

TEST_F(Focus, FocusScrollsItsViewJustIntoSightWithinTheContent) {
    const LaidOutView& scroll = scrollView();
    const double maxOffset = scroll.contentHeight - scroll.frame.height;
    key(Key::backTab);
    const LaidOutView* bottom = entry("Bottom");
    EXPECT_DOUBLE_EQ(bottom->frame.maxY() + kFocusRingReach, scrollView().frame.maxY())
        << "just enough to show it with its ring";
    EXPECT_LT(scrollView().scrollOffset, maxOffset);
    key(Key::tab);
    EXPECT_DOUBLE_EQ(scrollView().scrollOffset, 0) << "back at the top, clamped";
    EXPECT_EQ(focusedName(), "Tall");
}

TEST_F(Focus, TheRingShowsAfterKeyboardUseAndAPointerPressTakesItAway) {
    ASSERT_TRUE(runtime.focus(place("Left"), now));
    EXPECT_TRUE(entry("Left")->focused);
    EXPECT_FALSE(runtime.tree().focusRingShown) << "no key pressed yet";
    key(Key::down);
    EXPECT_TRUE(runtime.tree().focusRingShown);
    runtime.pointerDown({5, 700}, now);
    runtime.pointerUp({5, 700}, now);
    EXPECT_FALSE(runtime.tree().focusRingShown);
    EXPECT_EQ(runtime.focusedPlace(), place("Left")) << "focus itself stays";
}

}  // namespace
