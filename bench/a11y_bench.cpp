// What the screen-reader bridge costs the UI thread per frame: the real
// dashboard's laid-out tree turned into a snapshot and compared with the
// one published before. Unchanged frames stop at the comparison; a scrolled
// frame moves every object's extents and is published.

#include <benchmark/benchmark.h>
#include <time.h>

#include "dashboard/ContentView.hpp"
#include "toolkit/a11y/TreeMirror.hpp"
#include "toolkit/render/PangoMeasurer.hpp"
#include "toolkit/runtime/Runtime.hpp"

namespace {

using namespace ui;

// The UI thread's own CPU time: on a machine shared with compilers, wall
// time would mostly measure the others.
double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

void mirrorFrames(benchmark::State& state, double scrollPerFrame) {
    PangoMeasurer measurer;
    Runtime runtime(dashboard::ContentView(), measurer, Viewport{{390, 844}, 3, {}});
    a11y::MirrorGeometry geometry{"Norvel Health", 1, 0, 0};
    a11y::AccessibleSnapshot published = a11y::mirror(runtime.tree(), geometry);
    double now = 0, direction = 1;
    std::size_t nodes = 0, publishedCount = 0;
    for (auto _ : state) {
        if (scrollPerFrame > 0) {
            // Down and up again, so every frame moves the content.
            runtime.wheel({195, 400}, direction * scrollPerFrame, now);
            direction = -direction;
        }
        now += 0.1;
        runtime.advanceTo(now);
        const LayoutTree& tree = runtime.tree();
        double started = threadSeconds();
        a11y::AccessibleSnapshot snapshot = a11y::mirror(tree, geometry);
        if (!(snapshot == published)) {
            published = std::move(snapshot);
            ++publishedCount;
        }
        state.SetIterationTime(threadSeconds() - started);
        nodes = published.nodes.size();
    }
    state.counters["objects"] = static_cast<double>(nodes);
    state.counters["published"] = static_cast<double>(publishedCount);
}

void BM_MirrorUnchangedFrame(benchmark::State& state) {
    mirrorFrames(state, 0);
}
BENCHMARK(BM_MirrorUnchangedFrame)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_MirrorScrolledFrame(benchmark::State& state) {
    mirrorFrames(state, 40);
}
BENCHMARK(BM_MirrorScrolledFrame)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
