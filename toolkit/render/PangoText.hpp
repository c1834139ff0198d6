#pragma once

// What the measurer and the painter share about text, so that a text is
// broken into exactly the same lines when it is drawn as when it was
// measured: one Pango context for the process, the font descriptions, and
// the layout settings (wrapping, ellipsizing).

#include <cairo.h>
#include <pango/pango.h>

#include <optional>
#include <string>
#include <string_view>

#include "toolkit/layout/TextMeasurer.hpp"

namespace ui::text {

// The process-wide context on PangoCairo's default font map. Its font
// options turn off metric hinting and glyph-position rounding, which makes
// a layout independent of the display scale: text measured in points wraps
// identically when drawn at 3 pixels per point.
PangoContext* sharedContext();

// The font options all text and symbols are drawn with (see sharedContext).
const cairo_font_options_t* textFontOptions();

// "Inter Semi-Bold 15px", "JetBrains Mono 13px": sizes in pixels, which are
// points because the painter scales its Cairo context by the display scale.
std::string fontDescriptionString(const ResolvedFont& font);
std::string symbolFontDescriptionString(double size);

// Texts are shaped at one size per face, kShapingSize, and scaled to the
// size they are set in. Metrics are not hinted, so a face's advances,
// ascent and descent grow in proportion to the size (to within a Pango
// unit, 1/1024 point at the shaping size), and all sizes of a face share
// one Pango font: one fontconfig match, one set of metrics, one cache of
// the glyph outlines Pango measures with. Each Pango font costs about as
// much to set up as shaping a dozen texts, and a screen uses a dozen sizes.
// Glyphs are still rasterised at the size they are drawn at: the painter
// scales the Cairo context, not the glyph images.
inline constexpr double kShapingSize = 64;
std::string shapingFontDescriptionString(const ResolvedFont& font);
// Points at `size` per point at the shaping size; 0 for sizes that are not
// positive, whose texts take no room.
double shapingScale(double size);

// Parsed descriptions, kept for the life of the process (there are only a
// handful of distinct fonts on any screen).
const PangoFontDescription* fontDescription(const std::string& descriptionString);

// Sets `layout` up for `text`: wraps words (breaking over-long words
// anywhere) at `width` when given, ends the last of `lineLimit` lines with
// "…" when the text needs more, and does not wrap at all without a width.
// Alignment, indent and justification stay Pango's defaults (left, none,
// off): the shaped text's line boxes rely on it.
void configureLayout(PangoLayout* layout, std::string_view text, const ResolvedFont& font,
                     std::optional<double> width, int lineLimit);
void configureLayout(PangoLayout* layout, std::string_view text, const PangoFontDescription* font,
                     std::optional<double> width, int lineLimit);

// A usable wrapping width: empty for "unspecified", infinite or NaN widths.
std::optional<double> wrappingWidth(std::optional<double> width);

// The Pango width configureLayout sets for a wrapping width of `width`
// points: rounded up to whole Pango units with a little slack, so a text
// laid out at exactly its own measured width does not wrap. Widths with
// the same Pango width lay a text out identically.
int layoutWidth(double width);

}  // namespace ui::text
