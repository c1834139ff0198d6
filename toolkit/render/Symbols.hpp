#pragma once

#include "toolkit/core/Symbols.hpp"

namespace ui {

// The icon font that stands in for the platform's symbol set; the glyphs
// come from the table in toolkit/core/Symbols.hpp.
inline constexpr const char* kSymbolFontFamily = "Material Icons";

}  // namespace ui
