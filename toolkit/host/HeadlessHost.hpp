#pragma once

// The runtime with a virtual clock, scripted input and an image instead of
// a window. Tests, previews and the snapshot tool stand on it.

#include <memory>
#include <string>

#include "toolkit/host/App.hpp"
#include "toolkit/runtime/Runtime.hpp"

namespace ui {

class Renderer;

// The image a headless host renders: the same size, scale and safe area
// a window would give the runtime.
using HostOptions = Viewport;

class HeadlessHost {
public:
    // Opens one window of `scene`: its content closure runs once.
    explicit HeadlessHost(const WindowGroup& scene, HostOptions options = {},
                          TextMeasurer* measurer = nullptr);
    explicit HeadlessHost(View root, HostOptions options = {}, TextMeasurer* measurer = nullptr);
    ~HeadlessHost();

    // Scripted input, in window points. Time only moves when told to.
    void press(Point p);
    void move(Point p);
    void release();
    void tap(Point p);  // press, 50 ms, release
    void secondaryClick(Point p);
    void advance(double milliseconds);
    void scroll(double dy);  // at the last pointer position
    void key(Key key);

    // Runs the clock on until no animation is in flight (at most 10 s).
    void settle();

    const LayoutTree& tree();
    std::string treeJson();
    // Paints the current tree; false when nothing changed since last time.
    bool render();
    bool writePng(const std::string& path);

    double nowMilliseconds() const { return now_ * 1000; }
    const std::string& clipboard() const { return clipboard_; }
    Runtime& runtime() { return *runtime_; }

private:
    void init(View root, TextMeasurer* measurer);

    HostOptions options_;
    std::unique_ptr<TextMeasurer> ownMeasurer_;
    std::unique_ptr<Runtime> runtime_;
    std::unique_ptr<Renderer> renderer_;
    double now_ = 0;
    Point pointer_{0, 0};
    bool down_ = false;
    std::string clipboard_;
};

}  // namespace ui
