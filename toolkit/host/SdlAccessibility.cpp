#include "toolkit/host/SdlAccessibility.hpp"

#include <cstdlib>

#include "toolkit/a11y/Bridge.hpp"
#include "toolkit/a11y/TreeMirror.hpp"
#include "toolkit/runtime/Runtime.hpp"

namespace ui {

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// What the bus asked for, done as the pointer or the keyboard would do it.
// The runtime refuses what lies beneath a presentation.
void carryOut(const a11y::Request& request, Runtime& runtime, double now) {
    switch (request.kind) {
        case a11y::Request::Kind::click:
            runtime.activate(request.id, now);
            break;
        case a11y::Request::Kind::focus:
            runtime.focus(request.id, now);
            break;
    }
}

}  // namespace

SdlAccessibility::SdlAccessibility(SDL_Window* window, std::string title,
                                   std::string sessionBusAddress, double coordinatesPerPoint)
    : window_(window),
      title_(std::move(title)),
      sessionBusAddress_(std::move(sessionBusAddress)),
      coordinatesPerPoint_(coordinatesPerPoint) {}

SdlAccessibility::~SdlAccessibility() {
    {
        std::lock_guard lock(wakeGate_->mutex);
        wakeGate_->open = false;
    }
    bridge_.reset();
}

void SdlAccessibility::start(const LayoutTree& tree) {
    if (bridge_ || wakeEvent_ == static_cast<Uint32>(-1)) return;
    wakeEvent_ = SDL_RegisterEvents(1);
    if (wakeEvent_ == static_cast<Uint32>(-1)) return;
    a11y::BridgeOptions options;
    options.applicationName = title_;
    options.sources = {environment("AT_SPI_BUS_ADDRESS"), environment("DISPLAY"),
                       sessionBusAddress_};
    options.hasRuntimeDir = !environment("XDG_RUNTIME_DIR").empty();
    Uint32 type = wakeEvent_;
    options.wake = [type, gate = wakeGate_] {
        std::lock_guard lock(gate->mutex);
        if (!gate->open) return;
        SDL_Event event{};
        event.type = type;
        SDL_PushEvent(&event);
    };
    bridge_ = a11y::Bridge::start(std::move(options));
    update(tree);
}

bool SdlAccessibility::handle(const SDL_Event& event, Runtime& runtime, double now) {
    if (!bridge_ || event.type != wakeEvent_) return false;
    for (const auto& request : bridge_->service()) carryOut(request, runtime, now);
    return true;
}

void SdlAccessibility::update(const LayoutTree& tree) {
    if (!bridge_ || !bridge_->wantsSnapshots()) return;
    a11y::MirrorGeometry geometry{title_, coordinatesPerPoint_, 0, 0};
    SDL_GetWindowPosition(window_, &geometry.windowX, &geometry.windowY);
    a11y::AccessibleSnapshot snapshot = a11y::mirror(tree, geometry);
    if (snapshot == published_) return;
    published_ = snapshot;
    bridge_->publish(std::move(snapshot));
}

}  // namespace ui
