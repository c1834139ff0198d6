// Layout cost of the dashboard (about 90 laid-out views): body
// evaluation plus one layout pass, and the layout pass alone. The budget for
// body + layout is 50 µs a frame. Texts are measured by the fixed-advance
// measurer, so the numbers are the engine's own cost; when the Pango
// measurer is built, a third benchmark runs the same screen through it (its
// cache is warm after the first frame, as it is in the app).
//
// Counters per layout pass: `views` (entries written), `queries` and
// `hitRate` (the per-pass size cache), `measures` (calls that reached the
// measurer).

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "dashboard/ContentView.hpp"
#include "toolkit/core/View.hpp"
#include "toolkit/layout/Layout.hpp"
#include "toolkit/layout/TextMeasurer.hpp"

#if __has_include("toolkit/render/PangoMeasurer.hpp")
#include "toolkit/render/PangoMeasurer.hpp"
#define NORVEL_BENCH_PANGO 1
#endif

namespace {

using namespace ui;

constexpr Rect kWindow{0, 0, 390, 844};
constexpr EdgeInsets kSafeArea{47, 0, 34, 0};

// Runs `frame` once per iteration and reports the engine's counters.
template <class Frame>
void run(benchmark::State& state, TextMeasurer& measurer, LayoutEngine& engine, Frame frame) {
    LayoutTree tree;
    std::size_t queries = 0, hits = 0, views = 0;
    const std::size_t measuresBefore = measurer.measureCount();
    for (auto _ : state) {
        tree.views.clear();
        frame(tree);
        benchmark::DoNotOptimize(tree.views.data());
        queries += engine.stats().sizeQueries;
        hits += engine.stats().cacheHits;
        views = tree.views.size();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["views"] = static_cast<double>(views);
    state.counters["queries"] = static_cast<double>(queries) / n;
    state.counters["hitRate"] =
        queries ? static_cast<double>(hits) / static_cast<double>(queries) : 0;
    state.counters["measures"] = static_cast<double>(measurer.measureCount() - measuresBefore) / n;
}

void BM_BodyAndLayout(benchmark::State& state) {
    FixedAdvanceMeasurer measurer(0.55);
    LayoutEngine engine(measurer);
    engine.setScale(3);
    // The screen value is built once, as a window builds it; every pass
    // evaluates its body and its small views again.
    const View root = dashboard::ContentView();
    run(state, measurer, engine,
        [&](LayoutTree& tree) { engine.layout(root, kWindow, kSafeArea, tree); });
}
BENCHMARK(BM_BodyAndLayout);

void BM_LayoutOnly(benchmark::State& state) {
    FixedAdvanceMeasurer measurer(0.55);
    LayoutEngine engine(measurer);
    engine.setScale(3);
    // The screen's own body is evaluated once; the small views inside it are
    // components, which every pass still evaluates.
    const View root = dashboard::ContentView().body();
    run(state, measurer, engine,
        [&](LayoutTree& tree) { engine.layout(root, kWindow, kSafeArea, tree); });
}
BENCHMARK(BM_LayoutOnly);

#ifdef NORVEL_BENCH_PANGO
void BM_BodyAndLayoutPango(benchmark::State& state) {
    PangoMeasurer measurer;
    LayoutEngine engine(measurer);
    engine.setScale(3);
    // The screen value is built once, as a window builds it; every pass
    // evaluates its body and its small views again.
    const View root = dashboard::ContentView();
    run(state, measurer, engine,
        [&](LayoutTree& tree) { engine.layout(root, kWindow, kSafeArea, tree); });
}
BENCHMARK(BM_BodyAndLayoutPango);
#endif

}  // namespace
