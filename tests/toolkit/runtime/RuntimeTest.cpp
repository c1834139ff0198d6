// Behaviour of the runtime with a clock the tests step: state across
// rebuilds, long presses, buttons, presentations, scrolling, copying.

#include <gtest/gtest.h>

#include "tests/support/ViewFinding.hpp"
#include "toolkit/runtime/Runtime.hpp"

using namespace ui;
using ui::testing::findView;

namespace {

// A screen with the same two roads as the app: a long-press badge that
// raises a sheet, and a button that raises an alert.
struct Sheet {
    DismissAction dismiss;
    auto dynamicProperties() { return std::tie(dismiss); }
    View body() const {
        return NavigationStack(
            ScrollView(VStack(HorizontalAlignment::leading, 8,
                              {Text::verbatim("Heading"),
                               Text::verbatim("copy-me-exactly").textSelection(true),
                               Text::verbatim("not selectable")})
                           .padding(20))
                .toolbar({ToolbarItem{ToolbarPlacement::topBarTrailing,
                                      Button("Done", [d = dismiss] { d(); })}}));
    }
};

struct Screen {
    State<bool> showAlert{false};
    State<bool> showSheet{false};
    auto dynamicProperties() { return std::tie(showAlert, showSheet); }

    View body() const {
        std::vector<View> filler;
        for (int i = 0; i < 40; ++i) filler.push_back(Text::verbatim("Line " + std::to_string(i)));
        return ScrollView(VStack(HorizontalAlignment::leading, 0,
                                 {
                                     RoundedRectangle(8, CornerStyle::continuous)
                                         .fill(Color::cyan)
                                         .frame(48, 48)
                                         .contentShape(Rectangle())
                                         .onLongPressGesture(1.2, 10, [self = *this] { self.showSheet = true; }),
                                     Button([self = *this] { self.showAlert = true; }, Text::verbatim("Open")),
                                     VStack(HorizontalAlignment::leading, 0, filler),
                                 }))
            .alert("Title", showAlert.binding(), {Button("OK", ButtonRole::cancel, [] {})},
                   Text("Message"))
            .sheet(showSheet.binding(), nullptr, [] { return View(Sheet()); });
    }
};

class RuntimeTest : public ::testing::Test {
protected:
    FixedAdvanceMeasurer measurer;
    Screen screen;
    Runtime runtime{screen, measurer, Viewport{{390, 844}, 3, {}}};
    double now = 0;  // seconds

    void SetUp() override { runtime.bringUpToDate(); }
    void advance(double ms) {
        now += ms / 1000;
        runtime.advanceTo(now);
    }
    void press(Point p) { runtime.pointerDown(p, now); }
    void move(Point p) { runtime.pointerMove(p, now); }
    void release(Point p) { runtime.pointerUp(p, now); }
    void tap(Point p) {
        press(p);
        advance(50);
        release(p);
        runtime.bringUpToDate();
    }
    void settle() {
        for (int i = 0; i < 200 && runtime.isAnimating(); ++i) {
            runtime.bringUpToDate();
            advance(16);
        }
        runtime.bringUpToDate();
    }
    const LaidOutView* find(const std::function<bool(const LaidOutView&)>& match) {
        return findView(runtime.tree(), match);
    }
    const LaidOutView* text(const std::string& t) {
        return find([&](const LaidOutView& v) { return v.text == t && v.kind == EntryKind::text; });
    }
    Point centre(const LaidOutView* v) { return {v->frame.midX(), v->frame.midY()}; }
    const LaidOutView* badgeEntry() {
        return find([](const LaidOutView& v) { return v.longPress != nullptr; });
    }
    Point badge() { return centre(badgeEntry()); }
    Point button() { return centre(text("Open")); }
};

TEST_F(RuntimeTest, ALongPressFiresAtItsMinimumDurationBeforeRelease) {
    press(badge());
    advance(1199);
    EXPECT_FALSE(screen.showSheet.wrappedValue());
    advance(1);
    EXPECT_TRUE(runtime.sheetPresented());
    // Still down: it fired once, and lifting the finger changes nothing.
    advance(2000);
    release(badge());
    EXPECT_TRUE(runtime.sheetPresented());
}

struct EarlyOrDrift {
    const char* name;
    double holdMs;
    double drift;
};

class LongPressFailures : public RuntimeTest, public ::testing::WithParamInterface<EarlyOrDrift> {};

TEST_P(LongPressFailures, OpenNothing) {
    auto c = GetParam();
    press(badge());
    advance(100);
    move({badge().x + c.drift, badge().y});
    advance(c.holdMs - 100);
    release({badge().x + c.drift, badge().y});
    advance(3000);
    EXPECT_FALSE(runtime.sheetPresented());
    EXPECT_FALSE(runtime.alertPresented());
}

INSTANTIATE_TEST_SUITE_P(Runtime, LongPressFailures,
                         ::testing::Values(EarlyOrDrift{"releasedAt1190ms", 1190, 0},
                                           EarlyOrDrift{"drifts10point5", 2000, 10.5},
                                           EarlyOrDrift{"tap", 50, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RuntimeTest, TheBadgesTransparentCornersTakeTheLongPress) {
    ASSERT_NE(badgeEntry(), nullptr);
    press({badgeEntry()->frame.x + 1, badgeEntry()->frame.y + 1});
    advance(1200);
    EXPECT_TRUE(runtime.sheetPresented());
}

TEST_F(RuntimeTest, AnActionCapturedBeforeARebuildWritesTheLiveState) {
    // The button's action captured a copy of the screen from the first
    // build; rebuild several times before tapping it.
    Point p = button();
    runtime.bringUpToDate();
    runtime.setViewport(Viewport{{390, 844}, 3, {}});
    runtime.bringUpToDate();
    tap(p);
    EXPECT_TRUE(runtime.alertPresented());
}

TEST_F(RuntimeTest, AlertOkLowersTheFlagAndTheAlertCanOpenAgain) {
    tap(button());
    settle();
    EXPECT_TRUE(runtime.alertPresented());
    const LaidOutView* ok = text("OK");
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->layer.kind, LayerKind::alert);
    tap(centre(ok));
    EXPECT_FALSE(runtime.alertPresented());
    EXPECT_FALSE(screen.showAlert.wrappedValue());
    settle();
    EXPECT_EQ(text("OK"), nullptr);
    tap(button());
    EXPECT_TRUE(runtime.alertPresented());
}

TEST_F(RuntimeTest, ASecondWriteOfTrueShowsNoSecondPresentation) {
    tap(button());
    screen.showAlert = true;
    settle();
    int alerts = 0;
    for (const auto& v : runtime.tree().views) alerts += v.text == std::optional<std::string>("OK");
    EXPECT_EQ(alerts, 1);
}

TEST_F(RuntimeTest, NothingUnderAPresentationTakesATap) {
    Point badgeAt = badge();
    tap(button());
    settle();
    ASSERT_TRUE(runtime.alertPresented());
    press(badgeAt);
    advance(1500);
    release(badgeAt);
    EXPECT_FALSE(screen.showSheet.wrappedValue()) << "the badge sat beneath the alert";
    runtime.wheel({200, 600}, 300, now);
    EXPECT_EQ(find([](const LaidOutView& v) { return v.kind == EntryKind::scrollView; })->scrollOffset, 0);
    EXPECT_TRUE(runtime.alertPresented());
}

struct KeyCase {
    const char* name;
    Key key;
};
class AlertKeys : public RuntimeTest, public ::testing::WithParamInterface<KeyCase> {};
TEST_P(AlertKeys, CloseTheAlertAndLowerTheFlag) {
    tap(button());
    runtime.key(GetParam().key, now);
    EXPECT_FALSE(runtime.alertPresented());
    EXPECT_FALSE(screen.showAlert.wrappedValue());
}
INSTANTIATE_TEST_SUITE_P(Runtime, AlertKeys,
                         ::testing::Values(KeyCase{"escape", Key::escape}, KeyCase{"enter", Key::enter}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RuntimeTest, SheetDoneDismissesThroughTheEnvironment) {
    press(badge());
    advance(1200);
    release(badge());
    settle();
    const LaidOutView* done = text("Done");
    ASSERT_NE(done, nullptr);
    tap(centre(done));
    EXPECT_FALSE(runtime.sheetPresented());
    EXPECT_FALSE(screen.showSheet.wrappedValue());
    settle();
    EXPECT_EQ(text("Done"), nullptr);
}

TEST_F(RuntimeTest, ASwipeDownPastAThirdDismissesAndAShortOneSpringsBack) {
    press(badge());
    advance(1200);
    release(badge());
    settle();
    const LaidOutView* heading = text("Heading");
    ASSERT_NE(heading, nullptr);
    Point start = centre(heading);
    double restingY = heading->frame.y;

    // Short pull: springs back.
    press(start);
    for (int i = 1; i <= 10; ++i) {
        advance(30);
        move({start.x, start.y + i * 10});
    }
    EXPECT_GT(text("Heading")->frame.y, restingY + 50);
    release({start.x, start.y + 100});
    EXPECT_TRUE(runtime.sheetPresented());
    settle();
    EXPECT_NEAR(text("Heading")->frame.y, restingY, 0.5);

    // Long, slow pull: dismisses.
    start = centre(text("Heading"));
    press(start);
    for (int i = 1; i <= 40; ++i) {
        advance(30);
        move({start.x, start.y + i * 10});
    }
    release({start.x, start.y + 400});
    EXPECT_FALSE(runtime.sheetPresented());
    EXPECT_FALSE(screen.showSheet.wrappedValue());
}

TEST_F(RuntimeTest, EscapeClosesTheCopyMenuFirstThenTheSheet) {
    press(badge());
    advance(1200);
    release(badge());
    settle();
    const LaidOutView* value = text("copy-me-exactly");
    ASSERT_NE(value, nullptr);
    EXPECT_TRUE(value->selectable);
    press(centre(value));
    advance(500);
    EXPECT_TRUE(runtime.copyMenuOpen());
    release(centre(value));
    runtime.key(Key::escape, now);
    EXPECT_FALSE(runtime.copyMenuOpen());
    EXPECT_TRUE(runtime.sheetPresented());
    runtime.key(Key::escape, now);
    EXPECT_FALSE(runtime.sheetPresented());
}

TEST_F(RuntimeTest, CopyPutsExactlyTheTextOnTheClipboard) {
    std::string clipboard;
    runtime.setClipboardWriter([&](const std::string& t) { clipboard = t; });
    press(badge());
    advance(1200);
    release(badge());
    settle();
    // A hold on a text that is not selectable opens nothing.
    Point plain = centre(text("not selectable"));
    press(plain);
    advance(800);
    release(plain);
    EXPECT_FALSE(runtime.copyMenuOpen());

    Point value = centre(text("copy-me-exactly"));
    press(value);
    advance(499);
    EXPECT_FALSE(runtime.copyMenuOpen());
    advance(1);
    EXPECT_TRUE(runtime.copyMenuOpen());
    release(value);
    const LaidOutView* copy = text("Copy");
    ASSERT_NE(copy, nullptr);
    tap(centre(copy));
    EXPECT_EQ(clipboard, "copy-me-exactly");
    EXPECT_FALSE(runtime.copyMenuOpen());
}

TEST_F(RuntimeTest, WheelAndKeysScrollWithinTheContentAndTheTapFollows) {
    const LaidOutView* scroll = find([](const LaidOutView& v) { return v.kind == EntryKind::scrollView; });
    ASSERT_NE(scroll, nullptr);
    double maxOffset = scroll->contentHeight - scroll->frame.height;
    ASSERT_GT(maxOffset, 0);
    runtime.wheel({200, 400}, -100, now);
    EXPECT_EQ(find([](const LaidOutView& v) { return v.kind == EntryKind::scrollView; })->scrollOffset, 0);
    runtime.key(Key::end, now);
    EXPECT_DOUBLE_EQ(find([](const LaidOutView& v) { return v.kind == EntryKind::scrollView; })->scrollOffset, maxOffset);
    runtime.wheel({200, 400}, 1e6, now);
    EXPECT_DOUBLE_EQ(find([](const LaidOutView& v) { return v.kind == EntryKind::scrollView; })->scrollOffset, maxOffset);
    runtime.key(Key::home, now);
    runtime.key(Key::down, now);
    EXPECT_DOUBLE_EQ(find([](const LaidOutView& v) { return v.kind == EntryKind::scrollView; })->scrollOffset, 40);
    // The button moved up with the content and still opens the alert.
    tap(button());
    EXPECT_TRUE(runtime.alertPresented());
}

TEST_F(RuntimeTest, ADragThatBecomesAScrollCancelsTheButton) {
    Point p = button();
    press(p);
    for (int i = 1; i <= 5; ++i) {
        advance(16);
        move({p.x, p.y - i * 10});
    }
    release({p.x, p.y - 50});
    EXPECT_FALSE(runtime.alertPresented());
}

TEST_F(RuntimeTest, ActivateRunsTheButtonAtAPlaceOnlyInTheFrontLayer) {
    const std::string open = find([](const LaidOutView& v) { return v.isButton; })->place;
    EXPECT_FALSE(runtime.activate(badgeEntry()->place, now)) << "the badge is no button";
    EXPECT_FALSE(runtime.activate("/no.such.place", now));
    ASSERT_TRUE(runtime.activate(open, now));
    EXPECT_TRUE(runtime.alertPresented());
    EXPECT_FALSE(runtime.activate(open, now)) << "the button lies beneath the alert";
    const std::string ok = find([](const LaidOutView& v) {
                               return v.isButton && v.layer.kind == LayerKind::alert;
                           })->place;
    EXPECT_TRUE(runtime.activate(ok, now));
    EXPECT_FALSE(runtime.alertPresented());
    EXPECT_FALSE(screen.showAlert.wrappedValue());
}

TEST_F(RuntimeTest, FocusStaysOnItsPlaceAcrossFramesUntilAPresentationTakesIt) {
    const std::string open = find([](const LaidOutView& v) { return v.isButton; })->place;
    EXPECT_FALSE(runtime.focus(text("Line 3")->place, now)) << "a plain text takes no focus";
    EXPECT_EQ(runtime.focusedPlace(), std::nullopt);
    ASSERT_TRUE(runtime.focus(open, now));
    runtime.wheel({200, 600}, 30, now);
    advance(16);
    runtime.bringUpToDate();
    EXPECT_EQ(runtime.focusedPlace(), open);
    tap(button());
    EXPECT_EQ(runtime.focusedPlace(), find([](const LaidOutView& v) {
                                          return v.isButton && v.layer.kind == LayerKind::alert;
                                      })->place);
}

TEST_F(RuntimeTest, TheFrameObserverSeesEveryNewTreeAndOnlyThose) {
    std::vector<double> offsets;
    runtime.setFrameObserver([&](const LayoutTree& tree) {
        offsets.push_back(findView(tree, [](const LaidOutView& v) {
                              return v.kind == EntryKind::scrollView;
                          })->scrollOffset);
    });
    runtime.bringUpToDate();
    EXPECT_TRUE(offsets.empty()) << "nothing changed";
    runtime.wheel({200, 600}, 30, now);
    runtime.bringUpToDate();
    EXPECT_EQ(offsets, (std::vector<double>{30}));
}

TEST_F(RuntimeTest, StateCellsOfAClosedSheetAreDroppedAndTheScreensAreKept) {
    screen.showSheet = true;
    runtime.bringUpToDate();
    EXPECT_TRUE(runtime.sheetPresented());
    screen.showSheet = false;
    settle();
    EXPECT_TRUE(screen.showAlert.cell() != nullptr);
    screen.showAlert = true;
    runtime.bringUpToDate();
    EXPECT_TRUE(runtime.alertPresented());
}

}  // namespace
