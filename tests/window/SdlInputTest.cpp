// The window host's translation of SDL events, with hand-made events: no
// display is needed.

#include <gtest/gtest.h>

#include "toolkit/host/SdlInput.hpp"

using namespace ui;
using Kind = InputCommand::Kind;

namespace {

SDL_Event mouseButton(Uint32 type, Uint8 button, int x, int y, Uint32 which = 0) {
    SDL_Event e{};
    e.type = type;
    e.button.button = button;
    e.button.x = x;
    e.button.y = y;
    e.button.which = which;
    return e;
}

SDL_Event motion(int x, int y, Uint32 which = 0) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = x;
    e.motion.y = y;
    e.motion.which = which;
    return e;
}

SDL_Event finger(Uint32 type, SDL_FingerID id, float x, float y) {
    SDL_Event e{};
    e.type = type;
    e.tfinger.fingerId = id;
    e.tfinger.x = x;
    e.tfinger.y = y;
    return e;
}

SDL_Event wheel(int y, float preciseY, Uint32 direction = SDL_MOUSEWHEEL_NORMAL) {
    SDL_Event e{};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.y = y;
    e.wheel.preciseY = preciseY;
    e.wheel.direction = direction;
    e.wheel.mouseX = 100;
    e.wheel.mouseY = 200;
    return e;
}

SDL_Event keyDown(SDL_Keycode sym, bool repeat = false, Uint16 mod = KMOD_NONE) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = sym;
    e.key.keysym.mod = mod;
    e.key.repeat = repeat ? 1 : 0;
    return e;
}

class SdlInput : public ::testing::Test {
  protected:
    SdlInputMapper mapper;
    void SetUp() override { mapper.setGeometry({390, 844}, 1); }
};

TEST_F(SdlInput, TheLeftButtonIsTheFinger) {
    auto down = mapper.map(mouseButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 20));
    ASSERT_TRUE(down);
    EXPECT_EQ(down->kind, Kind::pointerDown);
    EXPECT_EQ(down->point, (Point{10, 20}));
    EXPECT_TRUE(mapper.contactIsDown());

    auto move = mapper.map(motion(15, 25));
    ASSERT_TRUE(move);
    EXPECT_EQ(move->kind, Kind::pointerMove);
    EXPECT_EQ(move->point, (Point{15, 25}));

    auto up = mapper.map(mouseButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 16, 26));
    ASSERT_TRUE(up);
    EXPECT_EQ(up->kind, Kind::pointerUp);
    EXPECT_EQ(up->point, (Point{16, 26}));
    EXPECT_FALSE(mapper.contactIsDown());
}

TEST_F(SdlInput, AMouseMovingWithNoButtonDownIsNoInput) {
    EXPECT_FALSE(mapper.map(motion(15, 25)));
    EXPECT_FALSE(mapper.map(mouseButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 1, 1)));
}

TEST_F(SdlInput, TheRightButtonIsASecondaryClick) {
    auto c = mapper.map(mouseButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 30, 40));
    ASSERT_TRUE(c);
    EXPECT_EQ(c->kind, Kind::secondaryClick);
    EXPECT_EQ(c->point, (Point{30, 40}));
    EXPECT_FALSE(mapper.contactIsDown());
    EXPECT_FALSE(mapper.map(mouseButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 30, 40)));
    EXPECT_FALSE(mapper.map(mouseButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 30, 40)));
}

TEST_F(SdlInput, WindowCoordinatesAreDividedIntoPoints) {
    mapper.setGeometry({390, 844}, 2);
    auto c = mapper.map(mouseButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 100, 50));
    ASSERT_TRUE(c);
    EXPECT_EQ(c->point, (Point{50, 25}));
}

TEST_F(SdlInput, MouseEventsSynthesisedFromTouchAreIgnored) {
    EXPECT_FALSE(
        mapper.map(mouseButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1, 1, SDL_TOUCH_MOUSEID)));
    EXPECT_FALSE(mapper.contactIsDown());
}

TEST_F(SdlInput, TouchesAreNormalisedToTheWindowInPoints) {
    auto down = mapper.map(finger(SDL_FINGERDOWN, 7, 0.5f, 0.25f));
    ASSERT_TRUE(down);
    EXPECT_EQ(down->kind, Kind::pointerDown);
    EXPECT_DOUBLE_EQ(down->point.x, 195);
    EXPECT_DOUBLE_EQ(down->point.y, 211);

    auto move = mapper.map(finger(SDL_FINGERMOTION, 7, 0.0f, 1.0f));
    ASSERT_TRUE(move);
    EXPECT_EQ(move->kind, Kind::pointerMove);
    EXPECT_EQ(move->point, (Point{0, 844}));

    auto up = mapper.map(finger(SDL_FINGERUP, 7, 0.0f, 1.0f));
    ASSERT_TRUE(up);
    EXPECT_EQ(up->kind, Kind::pointerUp);
}

TEST_F(SdlInput, OnlyTheFirstContactCounts) {
    ASSERT_TRUE(mapper.map(finger(SDL_FINGERDOWN, 1, 0.1f, 0.1f)));
    EXPECT_FALSE(mapper.map(finger(SDL_FINGERDOWN, 2, 0.9f, 0.9f)));
    EXPECT_FALSE(mapper.map(finger(SDL_FINGERMOTION, 2, 0.8f, 0.8f)));
    EXPECT_FALSE(mapper.map(finger(SDL_FINGERUP, 2, 0.8f, 0.8f)));
    EXPECT_FALSE(mapper.map(mouseButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 5, 5)));
    EXPECT_TRUE(mapper.contactIsDown());
    auto up = mapper.map(finger(SDL_FINGERUP, 1, 0.1f, 0.1f));
    ASSERT_TRUE(up);
    EXPECT_EQ(up->kind, Kind::pointerUp);
    EXPECT_FALSE(mapper.contactIsDown());
}

TEST_F(SdlInput, TurningTheWheelAwayScrollsUp) {
    auto c = mapper.map(wheel(1, 1.0f));
    ASSERT_TRUE(c);
    EXPECT_EQ(c->kind, Kind::wheel);
    EXPECT_DOUBLE_EQ(c->dy, -SdlInputMapper::kPointsPerWheelNotch);
    EXPECT_EQ(c->point, (Point{100, 200}));
    EXPECT_DOUBLE_EQ(mapper.map(wheel(-2, -2.0f))->dy, 2 * SdlInputMapper::kPointsPerWheelNotch);
}

TEST_F(SdlInput, PreciseWheelValuesAndFlippedWheelsAreHonoured) {
    EXPECT_DOUBLE_EQ(mapper.map(wheel(0, -0.25f))->dy, 0.25 * SdlInputMapper::kPointsPerWheelNotch);
    EXPECT_DOUBLE_EQ(mapper.map(wheel(1, 1.0f, SDL_MOUSEWHEEL_FLIPPED))->dy,
                     SdlInputMapper::kPointsPerWheelNotch);
    // An older SDL leaves preciseY at zero: the whole notches count.
    EXPECT_DOUBLE_EQ(mapper.map(wheel(-1, 0.0f))->dy, SdlInputMapper::kPointsPerWheelNotch);
    EXPECT_FALSE(mapper.map(wheel(0, 0.0f))) << "a horizontal-only scroll moves nothing";
}

TEST_F(SdlInput, TheDesktopKeysMapToRuntimeKeys) {
    struct Case {
        SDL_Keycode sym;
        Uint16 mod;
        Key key;
    };
    for (Case c :
         {Case{SDLK_ESCAPE, KMOD_NONE, Key::escape}, Case{SDLK_RETURN, KMOD_NONE, Key::enter},
          Case{SDLK_KP_ENTER, KMOD_NONE, Key::enter}, Case{SDLK_PAGEUP, KMOD_NONE, Key::pageUp},
          Case{SDLK_PAGEDOWN, KMOD_NONE, Key::pageDown}, Case{SDLK_UP, KMOD_NONE, Key::up},
          Case{SDLK_DOWN, KMOD_NONE, Key::down}, Case{SDLK_HOME, KMOD_NONE, Key::home},
          Case{SDLK_END, KMOD_NONE, Key::end}, Case{SDLK_TAB, KMOD_NONE, Key::tab},
          Case{SDLK_TAB, KMOD_LSHIFT, Key::backTab}, Case{SDLK_SPACE, KMOD_NONE, Key::space},
          Case{SDLK_c, KMOD_RCTRL, Key::copy}}) {
        auto command = mapper.map(keyDown(c.sym, false, c.mod));
        ASSERT_TRUE(command) << SDL_GetKeyName(c.sym);
        EXPECT_EQ(command->kind, Kind::key);
        EXPECT_EQ(command->key, c.key) << SDL_GetKeyName(c.sym) << " with modifiers " << c.mod;
    }
    EXPECT_FALSE(mapper.map(keyDown(SDLK_a)));
    EXPECT_FALSE(mapper.map(keyDown(SDLK_c))) << "C alone is typing, not copying";
}

TEST_F(SdlInput, HeldScrollKeysAndTabRepeatButKeysThatActDoNot) {
    EXPECT_TRUE(mapper.map(keyDown(SDLK_PAGEDOWN, true)));
    EXPECT_TRUE(mapper.map(keyDown(SDLK_DOWN, true)));
    EXPECT_TRUE(mapper.map(keyDown(SDLK_TAB, true)));
    EXPECT_FALSE(mapper.map(keyDown(SDLK_ESCAPE, true)));
    EXPECT_FALSE(mapper.map(keyDown(SDLK_RETURN, true)));
    EXPECT_FALSE(mapper.map(keyDown(SDLK_SPACE, true)));
    EXPECT_FALSE(mapper.map(keyDown(SDLK_c, true, KMOD_LCTRL)));
}

// A badge that raises a flag after a 1.2 s hold, for checking that mapped
// commands reach the runtime as the runtime's own input.
struct Badge {
    State<bool> held{false};
    auto dynamicProperties() { return std::tie(held); }
    View body() const {
        return RoundedRectangle(8)
            .fill(Color::cyan)
            .frame(48, 48)
            .onLongPressGesture(1.2, 10, [self = *this] { self.held = true; });
    }
};

TEST_F(SdlInput, AppliedCommandsDriveTheRuntime) {
    FixedAdvanceMeasurer measurer;
    Badge badge;
    Runtime runtime(badge, measurer, Viewport{{390, 844}, 1, {}});
    const LayoutTree& tree = runtime.tree();
    ASSERT_FALSE(tree.views.empty());
    Rect frame = tree.views.front().frame;
    int x = static_cast<int>(frame.midX()), y = static_cast<int>(frame.midY());

    apply(*mapper.map(mouseButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, x, y)), runtime, 0);
    ASSERT_TRUE(runtime.nextDeadline());
    EXPECT_DOUBLE_EQ(*runtime.nextDeadline(), 1.2);
    runtime.advanceTo(1.2);
    EXPECT_TRUE(badge.held.wrappedValue());
    apply(*mapper.map(mouseButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, x, y)), runtime, 1.5);
    EXPECT_FALSE(runtime.nextDeadline());
}

}  // namespace
