#include "toolkit/host/SdlInput.hpp"

namespace ui {

void SdlInputMapper::setGeometry(Size points, double coordinatesPerPoint) {
    points_ = points;
    coordinatesPerPoint_ = coordinatesPerPoint > 0 ? coordinatesPerPoint : 1;
}

Point SdlInputMapper::fromWindow(double x, double y) const {
    return {x / coordinatesPerPoint_, y / coordinatesPerPoint_};
}

Point SdlInputMapper::fromTouch(float x, float y) const {
    // Touch positions come normalised to the window, 0 to 1 on each axis.
    return {static_cast<double>(x) * points_.width, static_cast<double>(y) * points_.height};
}

std::optional<Key> runtimeKey(SDL_Keycode key, Uint16 mod) {
    switch (key) {
        case SDLK_TAB:
            return (mod & KMOD_SHIFT) ? Key::backTab : Key::tab;
        case SDLK_SPACE:
            return Key::space;
        case SDLK_c:
            if (mod & KMOD_CTRL) return Key::copy;
            return std::nullopt;
        case SDLK_COPY:
            return Key::copy;
        case SDLK_ESCAPE:
        case SDLK_AC_BACK:  // the back button of a phone
            return Key::escape;
        case SDLK_RETURN:
        case SDLK_RETURN2:
        case SDLK_KP_ENTER:
            return Key::enter;
        case SDLK_PAGEUP:
            return Key::pageUp;
        case SDLK_PAGEDOWN:
            return Key::pageDown;
        case SDLK_UP:
            return Key::up;
        case SDLK_DOWN:
            return Key::down;
        case SDLK_HOME:
            return Key::home;
        case SDLK_END:
            return Key::end;
        default:
            return std::nullopt;
    }
}

double wheelPoints(const SDL_MouseWheelEvent& wheel) {
    // SDL's y is positive when the wheel turns away from the user, which
    // scrolls up: content further up comes into view, so dy is negative.
    double notches = wheel.preciseY != 0 ? static_cast<double>(wheel.preciseY) : wheel.y;
    if (wheel.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
    return -notches * SdlInputMapper::kPointsPerWheelNotch;
}

std::optional<InputCommand> SdlInputMapper::mapKey(const SDL_KeyboardEvent& key) const {
    auto k = runtimeKey(key.keysym.sym, key.keysym.mod);
    if (!k) return std::nullopt;
    // Held scrolling keys and Tab repeat, as they do in any list; a held
    // key that presses or copies must not act again and again.
    const bool acts = *k == Key::escape || *k == Key::enter || *k == Key::space || *k == Key::copy;
    if (key.repeat && acts) return std::nullopt;
    InputCommand c;
    c.kind = InputCommand::Kind::key;
    c.key = *k;
    return c;
}

std::optional<InputCommand> SdlInputMapper::map(const SDL_Event& event) {
    switch (event.type) {
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEMOTION:
        case SDL_MOUSEBUTTONUP:
        case SDL_MOUSEWHEEL:
            return mapMouse(event);
        case SDL_FINGERDOWN:
        case SDL_FINGERMOTION:
        case SDL_FINGERUP:
            return mapFinger(event);
        case SDL_KEYDOWN:
            return mapKey(event.key);
        default:
            return std::nullopt;
    }
}

// The mouse: the left button is a touch, the right button a secondary
// click, the wheel scrolls. Touches that SDL also reports as mouse events
// come through `mapFinger` only.
std::optional<InputCommand> SdlInputMapper::mapMouse(const SDL_Event& event) {
    InputCommand c;
    switch (event.type) {
        case SDL_MOUSEBUTTONDOWN: {
            const auto& b = event.button;
            if (b.which == SDL_TOUCH_MOUSEID) return std::nullopt;
            Point p = fromWindow(b.x, b.y);
            if (b.button == SDL_BUTTON_RIGHT) {
                if (contact_ != Contact::none) return std::nullopt;
                c.kind = InputCommand::Kind::secondaryClick;
                c.point = p;
                return c;
            }
            if (b.button != SDL_BUTTON_LEFT || contact_ != Contact::none) return std::nullopt;
            contact_ = Contact::mouse;
            last_ = p;
            c.kind = InputCommand::Kind::pointerDown;
            c.point = p;
            return c;
        }
        case SDL_MOUSEMOTION: {
            const auto& m = event.motion;
            if (m.which == SDL_TOUCH_MOUSEID || contact_ != Contact::mouse) return std::nullopt;
            last_ = fromWindow(m.x, m.y);
            c.kind = InputCommand::Kind::pointerMove;
            c.point = last_;
            return c;
        }
        case SDL_MOUSEBUTTONUP: {
            const auto& b = event.button;
            if (b.which == SDL_TOUCH_MOUSEID || b.button != SDL_BUTTON_LEFT ||
                contact_ != Contact::mouse) {
                return std::nullopt;
            }
            contact_ = Contact::none;
            c.kind = InputCommand::Kind::pointerUp;
            c.point = fromWindow(b.x, b.y);
            return c;
        }
        case SDL_MOUSEWHEEL: {
            const auto& w = event.wheel;
            if (w.which == SDL_TOUCH_MOUSEID) return std::nullopt;
            double dy = wheelPoints(w);
            if (dy == 0) return std::nullopt;
            c.kind = InputCommand::Kind::wheel;
            c.point = fromWindow(w.mouseX, w.mouseY);
            c.dy = dy;
            return c;
        }
        default:
            return std::nullopt;
    }
}

// One finger at a time is a touch; other fingers are ignored until it lifts.
std::optional<InputCommand> SdlInputMapper::mapFinger(const SDL_Event& event) {
    InputCommand c;
    switch (event.type) {
        case SDL_FINGERDOWN: {
            const auto& f = event.tfinger;
            if (contact_ != Contact::none) return std::nullopt;
            contact_ = Contact::finger;
            finger_ = f.fingerId;
            last_ = fromTouch(f.x, f.y);
            c.kind = InputCommand::Kind::pointerDown;
            c.point = last_;
            return c;
        }
        case SDL_FINGERMOTION: {
            const auto& f = event.tfinger;
            if (contact_ != Contact::finger || f.fingerId != finger_) return std::nullopt;
            last_ = fromTouch(f.x, f.y);
            c.kind = InputCommand::Kind::pointerMove;
            c.point = last_;
            return c;
        }
        case SDL_FINGERUP: {
            const auto& f = event.tfinger;
            if (contact_ != Contact::finger || f.fingerId != finger_) return std::nullopt;
            contact_ = Contact::none;
            c.kind = InputCommand::Kind::pointerUp;
            c.point = fromTouch(f.x, f.y);
            return c;
        }
        default:
            return std::nullopt;
    }
}

void apply(const InputCommand& command, Runtime& runtime, double now) {
    switch (command.kind) {
        case InputCommand::Kind::pointerDown:
            runtime.pointerDown(command.point, now);
            break;
        case InputCommand::Kind::pointerMove:
            runtime.pointerMove(command.point, now);
            break;
        case InputCommand::Kind::pointerUp:
            runtime.pointerUp(command.point, now);
            break;
        case InputCommand::Kind::secondaryClick:
            runtime.secondaryClick(command.point, now);
            break;
        case InputCommand::Kind::wheel:
            runtime.wheel(command.point, command.dy, now);
            break;
        case InputCommand::Kind::key:
            runtime.key(command.key, now);
            break;
    }
}

}  // namespace ui
