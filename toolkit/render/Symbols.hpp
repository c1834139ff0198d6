#pragma once

#include <optional>
#include <string_view>

namespace ui {

// The icon font that stands in for the platform's symbol set.
inline constexpr const char* kSymbolFontFamily = "Material Icons";

// The one table from the platform's system symbol names to glyphs of the
// icon font. Names we have no glyph for give nothing, and draw nothing.
std::optional<char32_t> symbolCodepoint(std::string_view systemName);

}  // namespace ui
