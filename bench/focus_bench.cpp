// What keyboard focus costs on the real screens: one Tab step through the
// diagnostics sheet's values (finding the reading order, moving focus, laying
// out again and building the display list with its ring), and a frame of the
// scrolling dashboard with a focused, ringed button against one without.

#include <benchmark/benchmark.h>

#include "dashboard/ContentView.hpp"
#include "toolkit/render/DisplayList.hpp"
#include "toolkit/render/PangoMeasurer.hpp"
#include "toolkit/runtime/Runtime.hpp"

namespace {

using namespace ui;

void BM_TabStepInTheDiagnosticsSheet(benchmark::State& state) {
    PangoMeasurer measurer;
    dashboard::ContentView screen;
    Runtime runtime(screen, measurer, Viewport{{390, 844}, 3, {}});
    screen.isShowingDiagnosticScreen = true;
    runtime.bringUpToDate();
    double now = 0;
    for (; now < 2 && runtime.isAnimating(); now += 0.016) {
        runtime.advanceTo(now);
        runtime.bringUpToDate();
    }
    runtime.bringUpToDate();
    if (!runtime.sheetPresented() || runtime.isAnimating()) state.SkipWithError("the sheet did not settle");
    for (auto _ : state) {
        runtime.key(Key::tab, now);
        DisplayList list = buildDisplayList(runtime.tree());
        benchmark::DoNotOptimize(list.ops.data());
    }
}
BENCHMARK(BM_TabStepInTheDiagnosticsSheet)->Unit(benchmark::kMicrosecond);

// Arg 1: "Click to Open" focused with its ring showing; arg 0: no focus.
void BM_ScrollingFrameFocused(benchmark::State& state) {
    PangoMeasurer measurer;
    dashboard::ContentView screen;
    Runtime runtime(screen, measurer, Viewport{{390, 844}, 3, {}});
    runtime.bringUpToDate();
    if (state.range(0)) {
        runtime.key(Key::tab, 0);
        if (!runtime.tree().focusRingShown) state.SkipWithError("no ring shows");
    }
    double dy = 1;
    for (auto _ : state) {
        // Small steps up and down keep the button on screen.
        runtime.wheel({200, 400}, dy, 0);
        dy = -dy;
        DisplayList list = buildDisplayList(runtime.tree());
        benchmark::DoNotOptimize(list.ops.data());
    }
}
BENCHMARK(BM_ScrollingFrameFocused)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
