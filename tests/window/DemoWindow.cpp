// A small window for the real-window tests of the window host. It has the
// same two roads to a presentation as the app: a badge that opens a sheet
// after a 1.2 s hold, and a button that opens an alert. The sheet holds a
// selectable text and a "Done" button.
//
// So that tests need not guess where things are or read state from
// pixels alone, it reports on standard output, one line each, flushed:
//   frame N ms=<since main> build=<ms> paint=<ms> [latency=<ms>]
//   state alert=<0|1> sheet=<0|1>          when either changes
//   view <name> <x> <y> <w> <h>             when a named view moves (points)
//   view <name> gone                        when it leaves the screen
//   settled                                 after a frame with nothing in flight

#include <chrono>
#include <cstdio>
#include <map>
#include <optional>
#include <string>

#include "tests/window/DemoProtocol.hpp"
#include "toolkit/host/SdlHost.hpp"

using namespace ui;

namespace {

const Color kBackdrop = Color::rgb255(16, 28, 40);

struct DemoSheet {
    DismissAction dismiss;
    auto dynamicProperties() { return std::tie(dismiss); }

    View body() const {
        Frame fill;
        fill.maximumWidth = infinity;
        fill.maximumHeight = infinity;
        fill.alignment = Alignment::topLeading;
        return NavigationStack(
            VStack(HorizontalAlignment::leading, 16,
                   {
                       Text::verbatim("Demo sheet").font(Font::system(20, Font::Weight::semibold)),
                       Text::verbatim(demo::kSelectableText).textSelection(true),
                       Text::verbatim("Hold the text above to copy it."),
                   })
                .padding(20)
                .frame(fill)
                .background(Style(demo::kSheetColor), Edges::all)
                .toolbar({ToolbarItem{ToolbarPlacement::topBarTrailing,
                                      Button("Done", [d = dismiss] { d(); })}}));
    }
};

struct DemoScreen {
    State<bool> showAlert{false};
    State<bool> showSheet{false};
    auto dynamicProperties() { return std::tie(showAlert, showSheet); }

    View body() const {
        Frame fill;
        fill.maximumWidth = infinity;
        fill.maximumHeight = infinity;
        fill.alignment = Alignment::topLeading;
        return VStack(
                   HorizontalAlignment::leading, 24,
                   {
                       RoundedRectangle(10, CornerStyle::continuous)
                           .fill(Color::cyan)
                           .frame(48, 48)
                           .contentShape(Rectangle())
                           .onLongPressGesture(1.2, 10, [self = *this] { self.showSheet = true; })
                           .accessibilityLabel(LocalizedString::verbatimText("badge")),
                       Button([self = *this] { self.showAlert = true; },
                              Text::verbatim("Open alert")),
                   })
            .padding(40)
            .frame(fill)
            .background(Style(kBackdrop), Edges::all)
            .alert("Demo alert", showAlert.binding(), {Button("OK", ButtonRole::cancel, [] {})},
                   Text::verbatim("An alert raised by a button."))
            .sheet(showSheet.binding(), nullptr, [] { return View(DemoSheet()); });
    }
};

// Writes the report lines, each only when what it says has changed.
class Reporter {
  public:
    Reporter() : start_(std::chrono::steady_clock::now()) {}

    void operator()(const FrameReport& frame) {
        double sinceStart =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_)
                .count();
        std::printf("frame %ld ms=%.1f build=%.2f paint=%.2f", frame.index, sinceStart,
                    frame.buildMs, frame.paintMs);
        if (frame.inputLatencyMs) std::printf(" latency=%.2f", *frame.inputLatencyMs);
        std::printf("\n");

        int alert = frame.alertPresented, sheet = frame.sheetPresented;
        if (alert != alert_ || sheet != sheet_) {
            alert_ = alert;
            sheet_ = sheet;
            std::printf("state alert=%d sheet=%d\n", alert, sheet);
        }
        if (frame.tree) reportViews(*frame.tree);
        if (!frame.animating) std::printf("settled\n");
        std::fflush(stdout);
    }

  private:
    void reportViews(const LayoutTree& tree) {
        std::map<std::string, Rect> now;
        for (const LaidOutView& v : tree.views) {
            std::string name =
                demo::viewName(v.text.value_or(""), v.accessibilityLabel.value_or(""));
            if (!name.empty() && !now.count(name)) now[name] = v.frame;
        }
        for (const auto& [name, frame] : now) {
            auto it = shown_.find(name);
            if (it != shown_.end() && it->second == frame) continue;
            std::printf("view %s %.1f %.1f %.1f %.1f\n", name.c_str(), frame.x, frame.y,
                        frame.width, frame.height);
        }
        for (const auto& [name, frame] : shown_) {
            if (!now.count(name)) std::printf("view %s gone\n", name.c_str());
        }
        shown_ = std::move(now);
    }

    std::chrono::steady_clock::time_point start_;
    int alert_ = -1;
    int sheet_ = -1;
    std::map<std::string, Rect> shown_;
};

}  // namespace

int main() {
    Reporter reporter;
    SdlHostOptions options;
    options.onFramePresented = [&reporter](const FrameReport& frame) { reporter(frame); };
    return runWindowGroup(WindowGroup([] { return View(DemoScreen()); }), std::move(options));
}
