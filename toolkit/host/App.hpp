#pragma once

// Apps and scenes. An app type is a struct with `WindowGroup body() const`;
// `App<A>::main()` constructs it, reads its scene and runs the window's
// event loop until the window closes.

#include <functional>

#include "toolkit/core/View.hpp"

namespace ui {

// A scene whose windows each show a root view. The content closure may be
// called more than once (one call per window); each call builds a fresh
// root view value.
struct WindowGroup {
    explicit WindowGroup(std::function<View()> makeContent) : content(std::move(makeContent)) {}
    std::function<View()> content;
};

// Runs `scene` in a real window; returns the process exit code. Defined by
// the window host.
int runWindowGroup(const WindowGroup& scene);

template <class A>
struct App {
    static int main() {
        A app;
        return runWindowGroup(app.body());
    }
};

}  // namespace ui
