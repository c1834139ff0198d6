// A seeded random stream of touches, waits, scrolls and keys against the
// headless dashboard. After every event: at most one presentation up, each
// flag matching what is on screen, the dashboard's texts unchanged, and
// keyboard focus only in the front layer.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <random>
#include <set>

#include "dashboard/ContentView.hpp"
#include "foundation/CurrentClock.hpp"
#include "toolkit/runtime/Runtime.hpp"

using namespace ui;

namespace {

long eventsToRun() {
    // `make soak` asks for many more events than a normal test run.
    if (const char* n = std::getenv("NORVEL_SOAK_EVENTS")) return std::max(1L, std::atol(n));
    return 4000;
}

std::multiset<std::string> dashboardTexts(const LayoutTree& tree) {
    std::multiset<std::string> texts;
    for (const auto& v : tree.views) {
        if (v.layer.kind == LayerKind::screen && v.text) texts.insert(*v.text);
    }
    return texts;
}

TEST(Soak, RandomInputKeepsTheDashboardConsistent) {
    // Noon, far from midnight, so the age text cannot change mid-run.
    foundation::FixedClock clock(1796731200000.0);
    foundation::setCurrentClock(&clock);
    FixedAdvanceMeasurer measurer;
    dashboard::ContentView screen;
    Runtime runtime(screen, measurer, Viewport{{390, 844}, 3, {47, 34, 0, 0}});
    const auto initialTexts = dashboardTexts(runtime.tree());

    std::mt19937 random(20261208);
    std::uniform_real_distribution<double> x(-10, 400), y(-10, 860), unit(0, 1);
    // Half the touches go to something that takes them (the badge, a
    // button, a selectable value), read off the current tree, so the stream
    // reaches the presentations far more often than chance would.
    auto hotSpot = [&](const LayoutTree& tree) -> std::optional<Point> {
        std::vector<Point> spots;
        for (const auto& v : tree.views) {
            if (v.isButton || v.longPress || v.selectable) spots.push_back({v.frame.midX(), v.frame.midY()});
        }
        if (spots.empty()) return std::nullopt;
        return spots[random() % spots.size()];
    };
    double now = 0;
    bool down = false;
    long sheetsOpened = 0, alertsOpened = 0;
    bool sheetWasUp = false, alertWasUp = false;
    long events = eventsToRun();
    for (long i = 0; i < events; ++i) {
        double r = unit(random);
        Point p{x(random), y(random)};
        if (unit(random) < 0.5) p = hotSpot(runtime.tree()).value_or(p);
        if (r < 0.2) {
            if (down) runtime.pointerUp(p, now);
            runtime.pointerDown(p, now);
            down = true;
        } else if (r < 0.35) {
            if (down) runtime.pointerMove(p, now);
        } else if (r < 0.5) {
            if (down) runtime.pointerUp(p, now);
            down = false;
        } else if (r < 0.75) {
            now += unit(random) < 0.2 ? 1.3 : unit(random) * 0.4;
            runtime.advanceTo(now);
        } else if (r < 0.85) {
            runtime.wheel(p, (unit(random) - 0.5) * 600, now);
        } else if (r < 0.9) {
            runtime.secondaryClick(p, now);
        } else {
            static const Key keys[] = {Key::escape, Key::enter, Key::pageUp, Key::pageDown,
                                       Key::up,     Key::down,  Key::home,   Key::end,
                                       Key::tab,    Key::backTab, Key::space, Key::copy};
            runtime.key(keys[random() % std::size(keys)], now);
        }

        const LayoutTree& tree = runtime.tree();
        auto onScreen = runtime.presentationsOnScreen();
        int alertsUp = 0, sheetsUp = 0;
        for (const auto& s : onScreen) {
            if (s.closing) continue;
            (s.alert ? alertsUp : sheetsUp)++;
        }
        ASSERT_LE(alertsUp + sheetsUp, 1) << "event " << i;
        ASSERT_EQ(sheetsUp == 1, screen.isShowingDiagnosticScreen.wrappedValue()) << "event " << i;
        ASSERT_EQ(alertsUp == 1, screen.isShowingImagingPointer.wrappedValue()) << "event " << i;
        ASSERT_EQ(runtime.sheetPresented(), screen.isShowingDiagnosticScreen.wrappedValue());
        ASSERT_EQ(runtime.alertPresented(), screen.isShowingImagingPointer.wrappedValue());
        ASSERT_EQ(dashboardTexts(tree), initialTexts) << "event " << i;
        // Focus never lies beneath a presentation that is up.
        for (const auto& v : tree.views) {
            if (!v.focused) continue;
            const LayerKind front = alertsUp ? LayerKind::alert : sheetsUp ? LayerKind::sheet : LayerKind::screen;
            ASSERT_EQ(v.layer.kind, front) << "event " << i;
        }
        sheetsOpened += sheetsUp && !sheetWasUp;
        alertsOpened += alertsUp && !alertWasUp;
        sheetWasUp = sheetsUp;
        alertWasUp = alertsUp;
    }
    // A stream that never reached either presentation would prove little.
    EXPECT_GT(sheetsOpened, 0);
    EXPECT_GT(alertsOpened, 0);
    std::printf("soak: %ld events, sheet opened %ld times, alert %ld times\n", events, sheetsOpened,
                alertsOpened);
    foundation::setCurrentClock(nullptr);
}

}  // namespace
