// Layout cost of a dashboard-sized screen (about 80 laid-out views): body
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

struct WellnessCheck {
    int id;
    std::string title, value, detail;
    Color tint;
    std::string icon;
};

struct Appointment {
    int id;
    std::string time, title, location;
};

struct StatusPill {
    std::string label, value;
    View body() const {
        return VStack(HorizontalAlignment::leading, 4,
                      {Text::verbatim(label)
                           .font(Font::caption2.weight(Font::Weight::bold))
                           .foregroundStyle(Color::white.opacity(0.48)),
                       Text::verbatim(value)
                           .font(Font::caption.weight(Font::Weight::semibold))
                           .foregroundStyle(Color::white)
                           .lineLimit(1)
                           .minimumScaleFactor(0.8)})
            .frame(Frame::maxWidth(infinity, Alignment::leading))
            .padding(Edges::vertical, 10)
            .padding(Edges::horizontal, 12)
            .background(Color::white.opacity(0.08), RoundedRectangle(8, CornerStyle::continuous));
    }
};

struct SectionHeader {
    std::string title, icon;
    View body() const {
        return HStack(VerticalAlignment::center, 8,
                      {Image(icon).foregroundStyle(Color::mint),
                       Text::verbatim(title).font(Font::headline).foregroundStyle(Color::white)});
    }
};

struct ImagingStudyRow {
    std::string name, fileName, note;
    std::function<void()> action;
    View body() const {
        return HStack(VerticalAlignment::top, 12,
                      {VStack(HorizontalAlignment::leading, 4,
                              {Text::verbatim(name)
                                   .font(Font::subheadline.weight(Font::Weight::semibold))
                                   .foregroundStyle(Color::white),
                               Text::verbatim(note)
                                   .font(Font::caption)
                                   .foregroundStyle(Color::white.opacity(0.58))}),
                       Spacer(12),
                       Button(action, Label("Click to Open", "photo")
                                          .font(Font::caption.weight(Font::Weight::bold))
                                          .lineLimit(1)
                                          .minimumScaleFactor(0.75))
                           .buttonStyle(ButtonStyleKind::borderedProminent)
                           .tint(Color::pink.opacity(0.62))
                           .accessibilityHint(
                               LocalizedString("Links to bundled imaging asset %@", fileName))});
    }
};

// The screen, written the way the app's screens are: sections as plain
// functions of the data, small views as components.
struct Dashboard {
    State<bool> isShowingImagingPointer{false};
    State<bool> isShowingDiagnosticScreen{false};
    const std::vector<WellnessCheck>* checks;
    const std::vector<Appointment>* appointments;

    auto dynamicProperties() {
        return std::tie(isShowingImagingPointer, isShowingDiagnosticScreen);
    }

    View header() const {
        auto self = *this;
        return VStack(
            HorizontalAlignment::leading, 12,
            {HStack(
                 VerticalAlignment::center, 12,
                 {ZStack({RoundedRectangle(8, CornerStyle::continuous)
                              .fill(Color::cyan.opacity(0.18))
                              .frame(48, 48),
                          Image("cross.case.fill").font(Font::title2).foregroundStyle(Color::cyan)})
                      .contentShape(Rectangle())
                      .onLongPressGesture(1.2, 10,
                                          [self] { self.isShowingDiagnosticScreen = true; }),
                  VStack(HorizontalAlignment::leading, 4,
                         {Text("Norvel Health")
                              .font(Font::system(30, Font::Weight::bold))
                              .foregroundStyle(Color::white),
                          Text("CTF patient companion")
                              .font(Font::subheadline)
                              .foregroundStyle(Color::white.opacity(0.66))})}),
             Text("Demo chart for Patient: %@", "John Doe")
                 .font(Font::headline)
                 .foregroundStyle(Color::white.opacity(0.86)),
             Text("All information is fictional and not suitable for actual healthcare decisions.")
                 .font(Font::subheadline)
                 .foregroundStyle(Color::white.opacity(0.62))
                 .fixedSize(false, true)});
    }

    View statusStrip() const {
        return HStack(VerticalAlignment::center, 12,
                      {StatusPill{"CLINIC", "Norvel Test"}, StatusPill{"AGE", "24"},
                       StatusPill{"DOB", "1/1/2001"}});
    }

    View wellnessGrid() const {
        return LazyVGrid(
            GridItem::adaptive(150, infinity, 12), HorizontalAlignment::center, 12,
            {ForEach(*checks, [](const WellnessCheck& c) -> View {
                return VStack(HorizontalAlignment::leading, 14,
                              {Image(c.icon).font(Font::title2).foregroundStyle(c.tint),
                               VStack(HorizontalAlignment::leading, 6,
                                      {Text::verbatim(c.title)
                                           .font(Font::subheadline.weight(Font::Weight::semibold))
                                           .foregroundStyle(Color::white.opacity(0.74)),
                                       Text::verbatim(c.value)
                                           .font(Font::title2.weight(Font::Weight::bold))
                                           .foregroundStyle(Color::white),
                                       Text::verbatim(c.detail)
                                           .font(Font::caption)
                                           .foregroundStyle(Color::white.opacity(0.56))
                                           .fixedSize(false, true)})})
                    .frame(Frame::maxWidth(infinity, Alignment::leading))
                    .padding(16)
                    .background(Color::white.opacity(0.08),
                                RoundedRectangle(8, CornerStyle::continuous))
                    .overlay(RoundedRectangle(8, CornerStyle::continuous)
                                 .stroke(Color::white.opacity(0.12), 1));
            })});
    }

    View appointmentList() const {
        const int lastId = appointments->empty() ? -1 : appointments->back().id;
        return VStack(
            HorizontalAlignment::leading, 12,
            {SectionHeader{"Today", "calendar"},
             VStack(HorizontalAlignment::center, 0,
                    {ForEach(
                        *appointments,
                        [lastId](const Appointment& a) -> View {
                            View row =
                                HStack(VerticalAlignment::center, 14,
                                       {Text::verbatim(a.time)
                                            .font(Font::system(Font::TextStyle::subheadline,
                                                               Font::Design::monospaced,
                                                               Font::Weight::semibold))
                                            .foregroundStyle(Color::mint)
                                            .frame(Frame::width(54, Alignment::leading)),
                                        VStack(HorizontalAlignment::leading, 4,
                                               {Text::verbatim(a.title)
                                                    .font(Font::body.weight(Font::Weight::semibold))
                                                    .foregroundStyle(Color::white),
                                                Text::verbatim(a.location)
                                                    .font(Font::caption)
                                                    .foregroundStyle(Color::white.opacity(0.58))}),
                                        Spacer()})
                                    .padding(Edges::vertical, 12);
                            if (a.id == lastId) return row;
                            return Group({row, Divider().overlay(Color::white.opacity(0.12))});
                        })})
                 .padding(Edges::horizontal, 16)
                 .background(Color::white.opacity(0.07),
                             RoundedRectangle(8, CornerStyle::continuous))});
    }

    View labSummary() const {
        auto self = *this;
        return VStack(HorizontalAlignment::leading, 12,
                      {SectionHeader{"Imaging", "plus.magnifyingglass"},
                       VStack(HorizontalAlignment::leading, 10,
                              {ImagingStudyRow{"Chest X-Ray", "norvel_chest_xray.jpg",
                                               "Schedule a review session with your doctor",
                                               [self] { self.isShowingImagingPointer = true; }}})
                           .padding(16)
                           .background(Color::white.opacity(0.07),
                                       RoundedRectangle(8, CornerStyle::continuous))});
    }

    View body() const {
        return ScrollView(VStack(HorizontalAlignment::leading, 24,
                                 {header(), statusStrip(), wellnessGrid(), appointmentList(),
                                  labSummary()})
                              .padding(20))
            .background(LinearGradient{{Color(0.04, 0.11, 0.16), Color(0.07, 0.18, 0.22),
                                        Color(0.12, 0.12, 0.17)},
                                       UnitPoint::topLeading,
                                       UnitPoint::bottomTrailing},
                        Edges::all);
    }
};

const std::vector<WellnessCheck> kChecks{
    {1, "Blood Presssure", "120/80", "Right on target", Color::cyan, "heart"},
    {2, "Pulse", "72", "Still ticking", Color::orange, "heart.text.square.fill"},
    {3, "Hydration Level", "2.4 L", "Water target met", Color::blue, "drop.fill"},
};
const std::vector<Appointment> kAppointments{
    {1, "09:30", "Posture scan", "Room CTF-1"},
    {2, "13:15", "Blood Test review", "Room CTF-2"},
    {3, "16:00", "Mental health therapy", "Virtual"},
};

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
    run(state, measurer, engine, [&](LayoutTree& tree) {
        View root = Dashboard{State<bool>(false), State<bool>(false), &kChecks, &kAppointments};
        engine.layout(root, kWindow, kSafeArea, tree);
    });
}
BENCHMARK(BM_BodyAndLayout);

void BM_LayoutOnly(benchmark::State& state) {
    FixedAdvanceMeasurer measurer(0.55);
    LayoutEngine engine(measurer);
    engine.setScale(3);
    // The screen's own body is evaluated once; the small views inside it are
    // components, which every pass still evaluates.
    const View root =
        Dashboard{State<bool>(false), State<bool>(false), &kChecks, &kAppointments}.body();
    run(state, measurer, engine,
        [&](LayoutTree& tree) { engine.layout(root, kWindow, kSafeArea, tree); });
}
BENCHMARK(BM_LayoutOnly);

#ifdef NORVEL_BENCH_PANGO
void BM_BodyAndLayoutPango(benchmark::State& state) {
    PangoMeasurer measurer;
    LayoutEngine engine(measurer);
    engine.setScale(3);
    run(state, measurer, engine, [&](LayoutTree& tree) {
        View root = Dashboard{State<bool>(false), State<bool>(false), &kChecks, &kAppointments};
        engine.layout(root, kWindow, kSafeArea, tree);
    });
}
BENCHMARK(BM_BodyAndLayoutPango);
#endif

}  // namespace
