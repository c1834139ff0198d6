#pragma once

#include <variant>
#include <vector>

#include "toolkit/core/Geometry.hpp"

namespace ui {

// An sRGB colour with straight (not premultiplied) opacity, components 0..1.
struct Color {
    double r = 0;
    double g = 0;
    double b = 0;
    double a = 1;

    constexpr Color() = default;
    constexpr Color(double red, double green, double blue, double opacity = 1)
        : r(red), g(green), b(blue), a(opacity) {}

    // Multiplies the opacity, as the platform's `opacity(_:)` does.
    constexpr Color opacity(double factor) const { return {r, g, b, a * factor}; }

    static constexpr Color rgb255(int red, int green, int blue, double opacity = 1) {
        return {red / 255.0, green / 255.0, blue / 255.0, opacity};
    }

    // The named colours take their dark-appearance values: every surface of
    // this app is dark.
    static const Color white, black, clear, cyan, orange, blue, mint, pink, gray;
    friend bool operator==(const Color&, const Color&) = default;
};
inline constexpr Color Color::white{1, 1, 1, 1};
inline constexpr Color Color::black{0, 0, 0, 1};
inline constexpr Color Color::clear{0, 0, 0, 0};
inline constexpr Color Color::cyan = Color::rgb255(0x64, 0xD2, 0xFF);
inline constexpr Color Color::orange = Color::rgb255(0xFF, 0x9F, 0x0A);
inline constexpr Color Color::blue = Color::rgb255(0x0A, 0x84, 0xFF);
inline constexpr Color Color::mint = Color::rgb255(0x63, 0xE6, 0xE2);
inline constexpr Color Color::pink = Color::rgb255(0xFF, 0x37, 0x5F);
inline constexpr Color Color::gray = Color::rgb255(0x8E, 0x8E, 0x93);

// Colours equally spaced along the line from `startPoint` to `endPoint`,
// both unit points of the filled rectangle.
struct LinearGradient {
    std::vector<Color> colors;
    UnitPoint startPoint = UnitPoint::top;
    UnitPoint endPoint = UnitPoint::bottom;
    friend bool operator==(const LinearGradient&, const LinearGradient&) = default;
};

// What a shape is filled or a text is drawn with.
using Style = std::variant<Color, LinearGradient>;

}  // namespace ui
