// The real dashboard, as the app builds it: body evaluation + layout with
// the Pango measurer (its cache warm, as after the first frame), and full
// frames at scale 3 while the content scrolls (every pixel of the content
// changes, so nothing can be skipped).

#include <benchmark/benchmark.h>

#include "dashboard/ContentView.hpp"
#include "foundation/CurrentClock.hpp"
#include "toolkit/layout/Layout.hpp"
#include "toolkit/render/PangoMeasurer.hpp"
#include "toolkit/render/Renderer.hpp"
#include "toolkit/render/ShapedText.hpp"
#include "toolkit/runtime/Resolve.hpp"
#include "toolkit/runtime/Runtime.hpp"

namespace {

using namespace ui;

void BM_DashboardBodyAndLayout(benchmark::State& state) {
    PangoMeasurer measurer;
    StateStore store;
    Resolver resolver(store);
    LayoutEngine engine(measurer);
    engine.setScale(3);
    View root = dashboard::ContentView();
    LayoutTree tree;
    std::size_t views = 0;
    for (auto _ : state) {
        store.beginPass();
        resolver.clearPresentations();
        View resolved = resolver.resolve(root, "root");
        store.endPass();
        tree.views.clear();
        engine.layout(resolved, {0, 0, 390, 844}, {}, tree);
        views = tree.views.size();
        benchmark::DoNotOptimize(tree.views.data());
    }
    const auto& stats = engine.stats();
    state.counters["views"] = static_cast<double>(views);
    state.counters["layoutCacheHitRate"] =
        stats.sizeQueries ? static_cast<double>(stats.cacheHits) / stats.sizeQueries : 0;
    state.counters["measureCacheHitRate"] =
        measurer.measureCount() + measurer.cacheHits()
            ? static_cast<double>(measurer.cacheHits()) /
                  (measurer.measureCount() + measurer.cacheHits())
            : 0;
}
BENCHMARK(BM_DashboardBodyAndLayout)->Unit(benchmark::kMicrosecond);

// A new dashboard window in a warm process: body, layout with every text
// shaped afresh (the store of shaped texts emptied, fonts still loaded) and
// the first frame at scale 3. What start-up costs beyond loading libraries
// and fonts; bench/startup-profile measures the whole process.
void BM_DashboardFirstFrameShapingAfresh(benchmark::State& state) {
    std::size_t shaped = 0;
    for (auto _ : state) {
        text::shapedTexts().clear();
        PangoMeasurer measurer;
        Runtime runtime(dashboard::ContentView(), measurer, Viewport{{390, 844}, 3, {}});
        Renderer renderer({390, 844}, 3);
        benchmark::DoNotOptimize(renderer.render(runtime.tree()));
        shaped += measurer.measureCount();
    }
    state.counters["shaped"] =
        benchmark::Counter(static_cast<double>(shaped), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_DashboardFirstFrameShapingAfresh)->Unit(benchmark::kMillisecond);

void BM_DashboardFullFrameScale3(benchmark::State& state) {
    PangoMeasurer measurer;
    Runtime runtime(dashboard::ContentView(), measurer, Viewport{{390, 844}, 3, {}});
    Renderer renderer({390, 844}, 3);
    renderer.render(runtime.tree());
    double now = 0;
    double direction = 1;
    for (auto _ : state) {
        // One point of scroll each frame, back and forth within the content.
        now += 1.0 / 60;
        runtime.wheel({195, 400}, direction, now);
        if (runtime.tree().views.empty()) break;
        bool painted = renderer.render(runtime.tree());
        benchmark::DoNotOptimize(painted);
        for (const auto& v : runtime.tree().views) {
            if (v.kind == EntryKind::scrollView &&
                (v.scrollOffset <= 0 || v.scrollOffset >= v.contentHeight - v.frame.height)) {
                direction = -direction;
            }
        }
    }
}
BENCHMARK(BM_DashboardFullFrameScale3)->Unit(benchmark::kMillisecond);

void BM_DashboardUnchangedFrame(benchmark::State& state) {
    PangoMeasurer measurer;
    Runtime runtime(dashboard::ContentView(), measurer, Viewport{{390, 844}, 3, {}});
    Renderer renderer({390, 844}, 3);
    renderer.render(runtime.tree());
    for (auto _ : state) {
        bool painted = renderer.render(runtime.tree());
        benchmark::DoNotOptimize(painted);
    }
}
BENCHMARK(BM_DashboardUnchangedFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
