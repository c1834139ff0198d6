// Painter costs on a dashboard-like frame at 390 × 844 points, scale 3
// (1170 × 2532 pixels): the first frame, full repaints, small changes,
// unchanged frames, and the text measurer's cache.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "toolkit/layout/LayoutTree.hpp"
#include "toolkit/render/CairoCanvas.hpp"
#include "toolkit/render/DisplayList.hpp"
#include "toolkit/render/PangoMeasurer.hpp"
#include "toolkit/render/Renderer.hpp"
#include "toolkit/render/ShapedText.hpp"

namespace {

using namespace ui;

constexpr Size kWindow{390, 844};
constexpr double kScale = 3;

ResolvedFont font(double size, double lineHeight, Font::Weight weight = Font::Weight::regular,
                  Font::Design design = Font::Design::standard) {
    ResolvedFont f;
    f.size = size;
    f.lineHeight = lineHeight;
    f.weight = weight;
    f.design = design;
    return f;
}

// Builds a tree shaped like the dashboard: a background gradient, a
// scrolling column of a header, a status strip of three capsules, a grid of
// three metric cards, three appointments with dividers and a lab summary
// with a prominent button. `scroll` moves the column like a scroll offset.
class DashboardTree {
  public:
    explicit DashboardTree(TextMeasurer& measurer, double scroll = 0)
        : measurer_(measurer), scroll_(scroll) {
        tree_.size = kWindow;
        tree_.scale = kScale;
        LaidOutView background = entry(EntryKind::linearGradient, {0, 0, kWindow.width, kWindow.height});
        background.fill =
            LinearGradient{{{0.04, 0.11, 0.16}, {0.07, 0.18, 0.22}, {0.12, 0.12, 0.17}},
                           UnitPoint::topLeading,
                           UnitPoint::bottomTrailing};
        background.clip = Rect::infinite();
        tree_.views.push_back(background);
        add(entry(EntryKind::scrollView, {0, 0, kWindow.width, kWindow.height}));
        add(entry(EntryKind::vStack, {20, 20 - scroll_, 350, 1100}));
        header(20);
        statusStrip(160);
        grid(240);
        appointments(580);
        labSummary(840);
    }
    const LayoutTree& tree() const { return tree_; }

  private:
    LaidOutView entry(EntryKind kind, Rect frame) const {
        LaidOutView v;
        v.kind = kind;
        v.frame = frame;
        v.clip = {0, 0, kWindow.width, kWindow.height - 34};  // above the home indicator
        return v;
    }
    void add(LaidOutView v) { tree_.views.push_back(std::move(v)); }
    double y(double at) const { return at - scroll_; }

    Size text(double x, double top, const std::string& s, ResolvedFont f, Color color,
              std::optional<double> width = {}, int limit = 0) {
        TextMetrics m = measurer_.measure(s, f, width, limit);
        LaidOutView v = entry(EntryKind::text, {x, y(top), m.size.width, m.size.height});
        v.text = s;
        v.resolvedFont = f;
        v.foreground = color;
        v.wrapWidth = width;
        v.lineLimit = limit;
        v.truncated = m.truncated;
        add(v);
        return m.size;
    }
    void symbol(Rect frame, const char* name, double size, Color color) {
        LaidOutView v = entry(EntryKind::image, {frame.x, y(frame.y), frame.width, frame.height});
        v.symbol = name;
        v.resolvedFont = font(size, size * 1.2);
        v.foreground = color;
        add(v);
    }
    void card(Rect frame, double fillOpacity, bool outlined) {
        LaidOutView v = entry(EntryKind::roundedRectangle, {frame.x, y(frame.y), frame.width, frame.height});
        v.shapeKind = ShapeNode::Kind::roundedRectangle;
        v.cornerRadius = 8;
        v.cornerStyle = CornerStyle::continuous;
        v.fill = Color::white.opacity(fillOpacity);
        add(v);
        if (outlined) {
            v.fill.reset();
            v.stroke = Color::white.opacity(0.12);
            v.lineWidth = 1;
            add(v);
        }
    }
    void stack(EntryKind kind, Rect frame) {
        add(entry(kind, {frame.x, y(frame.y), frame.width, frame.height}));
    }

    void header(double top) {
        stack(EntryKind::hStack, {20, top, 350, 48});
        card({20, top, 48, 48}, 0, false);
        tree_.views.back().fill = Color::cyan.opacity(0.18);
        symbol({20, top, 48, 48}, "cross.case.fill", 22, Color::cyan);
        stack(EntryKind::vStack, {82, top, 288, 48});
        text(82, top, "Norvel Health", font(28, 34, Font::Weight::bold), Color::white);
        text(82, top + 34, "CTF patient companion", font(15, 20), Color::white.opacity(0.66));
        text(20, top + 60, "Demo chart for Patient: Jane Appleseed",
             font(17, 22, Font::Weight::semibold), Color::white.opacity(0.86), 350.0);
        text(20, top + 88,
             "All information is fictional and not suitable for actual healthcare decisions.",
             font(15, 20), Color::white.opacity(0.62), 350.0);
    }
    void statusStrip(double top) {
        stack(EntryKind::hStack, {20, top, 350, 56});
        const char* labels[] = {"CLINIC", "AGE", "BORN"};
        const char* values[] = {"Norvel Downtown Clinic", "41 years", "Mar 14, 1984"};
        for (int i = 0; i < 3; ++i) {
            double x = 20 + i * 120;
            card({x, top, 110, 56}, 0.08, false);
            stack(EntryKind::vStack, {x + 12, top + 10, 86, 36});
            text(x + 12, top + 10, labels[i], font(11, 13, Font::Weight::bold),
                 Color::white.opacity(0.48));
            text(x + 12, top + 26, values[i], font(12, 16, Font::Weight::semibold), Color::white,
                 86.0, 1);
        }
    }
    void grid(double top) {
        stack(EntryKind::grid, {20, top, 350, 320});
        struct Metric {
            const char *icon, *title, *value, *detail;
            Color tint;
        };
        const Metric metrics[] = {
            {"heart.text.square.fill", "Blood Pressure", "118/76", "Within the usual range",
             Color::cyan},
            {"heart", "Pulse", "72 bpm", "Resting, steady rhythm", Color::orange},
            {"drop.fill", "Hydration", "2.4 L", "Goal met today", Color::blue}};
        for (int i = 0; i < 3; ++i) {
            double x = 20 + (i % 2) * 181, cardTop = top + (i / 2) * 162;
            card({x, cardTop, 169, 150}, 0.08, true);
            stack(EntryKind::vStack, {x + 16, cardTop + 16, 137, 118});
            symbol({x + 16, cardTop + 16, 22, 28}, metrics[i].icon, 22, metrics[i].tint);
            text(x + 16, cardTop + 58, metrics[i].title, font(15, 20, Font::Weight::semibold),
                 Color::white.opacity(0.74));
            text(x + 16, cardTop + 84, metrics[i].value, font(22, 28, Font::Weight::bold),
                 Color::white);
            text(x + 16, cardTop + 118, metrics[i].detail, font(12, 16), Color::white.opacity(0.56),
                 137.0);
        }
    }
    void appointments(double top) {
        stack(EntryKind::vStack, {20, top, 350, 240});
        symbol({20, top, 17, 22}, "calendar", 17, Color::mint);
        text(44, top, "Appointments", font(17, 22, Font::Weight::semibold), Color::white);
        card({20, top + 32, 350, 200}, 0.07, false);
        const char* times[] = {"09:30", "13:15", "16:45"};
        const char* titles[] = {"Cardiology follow-up", "Lab draw", "Nutrition check-in"};
        for (int i = 0; i < 3; ++i) {
            double rowTop = top + 44 + i * 64;
            stack(EntryKind::hStack, {36, rowTop, 318, 40});
            text(36, rowTop, times[i],
                 font(15, 20, Font::Weight::semibold, Font::Design::monospaced), Color::cyan);
            stack(EntryKind::vStack, {100, rowTop, 254, 40});
            text(100, rowTop, titles[i], font(15, 20, Font::Weight::semibold), Color::white);
            text(100, rowTop + 20, "Norvel Downtown Clinic, Building C", font(12, 16),
                 Color::white.opacity(0.58), 254.0, 1);
            if (i < 2) {
                LaidOutView divider = entry(EntryKind::divider, {36, y(rowTop + 52), 318, 1 / kScale});
                divider.fill = Color::rgb255(84, 84, 88, 0.6);
                add(divider);
                divider.kind = EntryKind::rectangle;
                divider.fill = Color::white.opacity(0.12);
                add(divider);
            }
        }
    }
    void labSummary(double top) {
        stack(EntryKind::vStack, {20, top, 350, 160});
        symbol({20, top, 17, 22}, "plus.magnifyingglass", 17, Color::mint);
        text(44, top, "Lab Summary", font(17, 22, Font::Weight::semibold), Color::white);
        card({20, top + 32, 350, 120}, 0.07, false);
        text(36, top + 48, "Chest X-ray", font(15, 20, Font::Weight::semibold), Color::white);
        text(36, top + 70, "Linked imaging study", font(12, 16), Color::white.opacity(0.58));
        LaidOutView button = entry(EntryKind::button, {200, y(top + 96), 154, 40});
        button.fill = Color::pink.opacity(0.62);
        button.shapeKind = ShapeNode::Kind::roundedRectangle;
        button.cornerRadius = 8;
        button.cornerStyle = CornerStyle::continuous;
        add(button);
        LaidOutView label = entry(EntryKind::label, {212, y(top + 106), 130, 20});
        label.text = "Click to Open";
        label.symbol = "photo";
        label.symbolFrame = {212, y(top + 106), 20, 20};
        label.textFrame = {238, y(top + 106), 104, 20};
        label.resolvedFont = font(15, 20, Font::Weight::semibold);
        label.foreground = Color::white;
        add(label);
    }

    TextMeasurer& measurer_;
    double scroll_;
    LayoutTree tree_;
};

double peakResidentMiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    }
    return 0;
}

// Registered first so that it meets a cold process: fonts not yet loaded,
// no Pango caches. Every later benchmark runs warm.
void BM_ColdFirstFrame(benchmark::State& state) {
    for (auto _ : state) {
        PangoMeasurer measurer;
        DashboardTree dashboard(measurer);
        Renderer renderer(kWindow, kScale);
        benchmark::DoNotOptimize(renderer.render(dashboard.tree()));
    }
    state.counters["peakRSS_MiB"] = peakResidentMiB();
}
BENCHMARK(BM_ColdFirstFrame)->Iterations(1)->Unit(benchmark::kMillisecond);

// A new window: surface allocation, gradient strip, glyph drawing. The
// texts are already shaped, as the measurer leaves them for the painter.
void BM_FirstFrame(benchmark::State& state) {
    PangoMeasurer measurer;
    DashboardTree dashboard(measurer);
    for (auto _ : state) {
        Renderer renderer(kWindow, kScale);
        benchmark::DoNotOptimize(renderer.render(dashboard.tree()));
    }
}
BENCHMARK(BM_FirstFrame)->Unit(benchmark::kMillisecond);

// Every frame different everywhere (scrolling by one point each frame), so
// each one is a full repaint. Argument: 1 with the gradient strip, 0 with
// Cairo drawing the background gradient itself.
void BM_FullFrame(benchmark::State& state) {
    PangoMeasurer measurer;
    DashboardTree a(measurer, 0), b(measurer, 1);
    Renderer renderer(kWindow, kScale);
    renderer.canvas().setBackdropFastPath(state.range(0) == 1);
    renderer.render(a.tree());
    bool flip = false;
    std::size_t full = 0;
    for (auto _ : state) {
        flip = !flip;
        renderer.render(flip ? b.tree() : a.tree());
        full += renderer.lastRepaint() == Repaint::full ? 1 : 0;
    }
    state.counters["fullRepaints"] =
        benchmark::Counter(static_cast<double>(full), benchmark::Counter::kAvgIterations);
    state.counters["entries"] = static_cast<double>(a.tree().views.size());
    state.counters["ops"] = static_cast<double>(renderer.displayList().ops.size());
    state.counters["rendererMiB"] = renderer.memoryBytes() / (1024.0 * 1024.0);
    state.counters["peakRSS_MiB"] = peakResidentMiB();
}
BENCHMARK(BM_FullFrame)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// The first metric card lights up and goes back, as a highlight would: a
// partial repaint of the card's area.
void BM_SmallChangeFrame(benchmark::State& state) {
    PangoMeasurer measurer;
    DashboardTree dashboard(measurer);
    LayoutTree lit = dashboard.tree();
    for (LaidOutView& v : lit.views) {
        if (v.kind == EntryKind::roundedRectangle && v.frame.y == 240 && v.fill) {
            v.fill = Color::white.opacity(0.16);
            break;
        }
    }
    Renderer renderer(kWindow, kScale);
    renderer.render(dashboard.tree());
    bool flip = false;
    std::size_t partial = 0;
    for (auto _ : state) {
        flip = !flip;
        renderer.render(flip ? lit : dashboard.tree());
        partial += renderer.lastRepaint() == Repaint::region ? 1 : 0;
    }
    state.counters["partialRepaints"] =
        benchmark::Counter(static_cast<double>(partial), benchmark::Counter::kAvgIterations);
    state.counters["regionShare"] = (renderer.lastRegion().width * renderer.lastRegion().height) /
                                    (kWindow.width * kWindow.height);
}
BENCHMARK(BM_SmallChangeFrame)->Unit(benchmark::kMicrosecond);

// The same tree again: the display list is built and compared, nothing paints.
void BM_UnchangedFrame(benchmark::State& state) {
    PangoMeasurer measurer;
    DashboardTree dashboard(measurer);
    Renderer renderer(kWindow, kScale);
    renderer.render(dashboard.tree());
    std::size_t painted = 0;
    for (auto _ : state) painted += renderer.render(dashboard.tree()) ? 1 : 0;
    state.counters["painted"] = static_cast<double>(painted);
}
BENCHMARK(BM_UnchangedFrame)->Unit(benchmark::kMicrosecond);

void BM_BuildDisplayList(benchmark::State& state) {
    PangoMeasurer measurer;
    DashboardTree dashboard(measurer);
    for (auto _ : state) benchmark::DoNotOptimize(buildDisplayList(dashboard.tree()));
}
BENCHMARK(BM_BuildDisplayList)->Unit(benchmark::kMicrosecond);

// Re-measuring every text of the dashboard, as a re-layout with unchanged
// texts does: all answers come from the cache.
void BM_RemeasureCached(benchmark::State& state) {
    PangoMeasurer measurer;
    DashboardTree dashboard(measurer);
    std::size_t hitsBefore = measurer.cacheHits(), countBefore = measurer.measureCount();
    std::size_t asked = 0;
    for (auto _ : state) {
        for (const LaidOutView& v : dashboard.tree().views) {
            if (!v.text || v.kind != EntryKind::text) continue;
            benchmark::DoNotOptimize(
                measurer.measure(*v.text, v.resolvedFont, v.wrapWidth, v.lineLimit));
            ++asked;
        }
    }
    state.counters["hitRate"] =
        static_cast<double>(measurer.cacheHits() - hitsBefore) / static_cast<double>(asked);
    state.counters["shaped"] = static_cast<double>(measurer.measureCount() - countBefore);
}
BENCHMARK(BM_RemeasureCached)->Unit(benchmark::kMicrosecond);

// The same texts through a fresh measurer and an emptied store of shaped
// texts each time: every one is shaped (fonts stay loaded).
void BM_MeasureUncached(benchmark::State& state) {
    PangoMeasurer warm;
    DashboardTree dashboard(warm);
    std::size_t shaped = 0;
    for (auto _ : state) {
        text::shapedTexts().clear();
        PangoMeasurer measurer;
        for (const LaidOutView& v : dashboard.tree().views) {
            if (!v.text || v.kind != EntryKind::text) continue;
            benchmark::DoNotOptimize(
                measurer.measure(*v.text, v.resolvedFont, v.wrapWidth, v.lineLimit));
        }
        shaped += measurer.measureCount();
    }
    state.counters["shaped"] =
        benchmark::Counter(static_cast<double>(shaped), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_MeasureUncached)->Unit(benchmark::kMicrosecond);

void BM_WritePng(benchmark::State& state) {
    PangoMeasurer measurer;
    DashboardTree dashboard(measurer);
    Renderer renderer(kWindow, kScale);
    renderer.render(dashboard.tree());
    const std::string path = "/tmp/norvel-render-bench.png";
    for (auto _ : state) renderer.writePng(path);
    std::remove(path.c_str());
}
BENCHMARK(BM_WritePng)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
