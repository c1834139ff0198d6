#include "toolkit/host/SdlAccessibility.hpp"

#include <SDL_syswm.h>
#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xutil.h>
#endif

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

// How long a key press waits for the screen reader's verdict: just over
// the bridge's own 500 ms cap on asking the registry, so a verdict the
// bridge heard is never missed. With a screen reader that answers, a
// verdict takes about a millisecond; see Bridge::key for a slow one.
constexpr std::chrono::milliseconds kKeyVerdictWait{600};

#if defined(SDL_VIDEO_DRIVER_X11)
// A key as X reported it, in the shape a desktop toolkit gives it to
// screen readers: the keysym with Shift and the like applied, and the text
// it types, or its keysym's name for keys that type nothing visible
// ("Tab", "Escape", "space"), which is what a screen reader echoes.
a11y::KeyEvent keyFromX(XKeyEvent& x) {
    a11y::KeyEvent key;
    key.press = x.type == KeyPress;
    char text[32] = {};
    KeySym keysym = NoSymbol;
    int length = XLookupString(&x, text, sizeof text - 1, &keysym, nullptr);
    key.keysym = static_cast<std::uint32_t>(keysym);
    key.keycode = static_cast<std::uint16_t>(x.keycode);
    key.state = x.state;
    key.time = static_cast<std::uint32_t>(x.time);
    bool visible = length == 1 && static_cast<unsigned char>(text[0]) > 0x20 &&
                   static_cast<unsigned char>(text[0]) != 0x7f;
    if ((visible || (length > 1 && static_cast<unsigned char>(text[0]) >= 0x80)) &&
        !(x.state & ControlMask)) {
        key.text.assign(text, static_cast<std::size_t>(length));
    } else if (const char* name = XKeysymToString(keysym)) {
        key.text = name;
    }
    return key;
}
#endif

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
    if (!bridge_) return;
    // Keys reach a screen reader only through the toolkit, with X's own
    // keycodes, which SDL's key events no longer carry.
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    update(tree);
}

void SdlAccessibility::setWindowActive(bool active, const LayoutTree& tree) {
    windowActive_ = active;
    update(tree);
}

bool SdlAccessibility::screenReaderTookKey(const SDL_Event& event) {
#if defined(SDL_VIDEO_DRIVER_X11)
    if (!bridge_ || event.type != SDL_SYSWMEVENT || !event.syswm.msg) return false;
    const SDL_SysWMmsg& msg = *event.syswm.msg;
    if (msg.subsystem != SDL_SYSWM_X11) return false;
    XEvent x = msg.msg.x11.event;
    if (x.type != KeyPress && x.type != KeyRelease) return false;
    a11y::KeyEvent key = keyFromX(x.xkey);
    // Releases are only heard; nothing in the app acts on one.
    auto verdict = bridge_->key(key, key.press ? kKeyVerdictWait : std::chrono::milliseconds{0});
    return key.press && verdict.value_or(false);
#else
    (void)event;
    return false;
#endif
}

bool SdlAccessibility::handle(const SDL_Event& event, Runtime& runtime, double now) {
    if (!bridge_ || event.type != wakeEvent_) return false;
    for (const auto& request : bridge_->service()) carryOut(request, runtime, now);
    return true;
}

void SdlAccessibility::update(const LayoutTree& tree) {
    if (!bridge_ || !bridge_->wantsSnapshots()) return;
    a11y::MirrorGeometry geometry{title_, coordinatesPerPoint_, 0, 0, windowActive_};
    SDL_GetWindowPosition(window_, &geometry.windowX, &geometry.windowY);
    a11y::AccessibleSnapshot snapshot = a11y::mirror(tree, geometry);
    if (snapshot == published_) return;
    published_ = snapshot;
    bridge_->publish(std::move(snapshot));
}

}  // namespace ui
