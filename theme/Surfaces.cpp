#include "theme/Surfaces.hpp"

namespace theme {

using namespace ui;

namespace {

// Deep blue, then teal, then slate: the sheet stops after the teal.
constexpr Color kDeepBlue{0.04, 0.11, 0.16};
constexpr Color kTeal{0.07, 0.18, 0.22};
constexpr Color kSlate{0.12, 0.12, 0.17};

}  // namespace

LinearGradient dashboardGradient() {
    return {{kDeepBlue, kTeal, kSlate}, UnitPoint::topLeading, UnitPoint::bottomTrailing};
}

LinearGradient sheetGradient() {
    return {{kDeepBlue, kTeal}, UnitPoint::topLeading, UnitPoint::bottomTrailing};
}

Shape cardShape() {
    return RoundedRectangle(8, CornerStyle::continuous);
}

View cardOutline() {
    return cardShape().stroke(kHairline, 1);
}

}  // namespace theme
