#pragma once

#include <optional>
#include <string_view>

namespace ui {

// The one table from the platform's system symbol names to glyphs of the
// icon font that stands in for its symbol set. Layout asks it whether a
// name draws anything (an unknown one takes an empty glyph box); the
// painter asks it which glyph to draw. Names we have no glyph for give
// nothing.
std::optional<char32_t> symbolCodepoint(std::string_view systemName);

}  // namespace ui
