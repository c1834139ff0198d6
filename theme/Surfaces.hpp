#pragma once

// What the dashboard and the diagnostics sheet are drawn on: their dark
// background gradients and the rounded card that holds their rows. The
// screens choose their own fill opacities; what lives here is what must
// look the same on both.

#include "toolkit/core/View.hpp"

namespace theme {

// The thin white used for card outlines and for the rules between rows.
inline constexpr ui::Color kHairline = ui::Color::white.opacity(0.12);

// The dashboard's background, from the top-leading to the bottom-trailing
// corner.
ui::LinearGradient dashboardGradient();

// The diagnostics sheet's background: the first two colours of the
// dashboard's, so the sheet belongs to the same screen.
ui::LinearGradient sheetGradient();

// Cards, capsules and the header's badge all share this outline: a corner
// radius of 8 with the continuous corner.
ui::Shape cardShape();

// The hairline drawn along a card's outline, laid over the card.
ui::View cardOutline();

}  // namespace theme
