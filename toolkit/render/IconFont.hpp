#pragma once

// The icon font, for drawing symbols.
//
// A symbol is one glyph of the icon font, found by its codepoint: there is
// nothing to shape, so symbols are drawn with Cairo's FreeType font
// directly rather than through Pango. Pango would load HarfBuzz's view of
// the font (whose ligature tables, the icons' names, are most of the file),
// match and sort a fontset for it in two fontconfig threads, and lay out a
// sample sentence in it for its metrics, all to place one glyph.

#include <cairo.h>

#include <optional>

namespace ui::text {

class IconFont {
  public:
    // The process's icon font, found through fontconfig's current
    // configuration (see setUpFonts) when first asked for.
    static IconFont& shared();

    IconFont();
    ~IconFont();
    IconFont(const IconFont&) = delete;
    IconFont& operator=(const IconFont&) = delete;

    // A glyph's advance and the font's ascent and descent, per point of
    // font size: its box is advance wide and ascent + descent tall, with
    // the baseline ascent below the top.
    struct Glyph {
        unsigned long index = 0;
        double advance = 0;
        double ascent = 0;
        double descent = 0;
    };
    // Nothing when the icon font is missing or has no glyph for `codepoint`.
    std::optional<Glyph> glyph(char32_t codepoint) const;

    // Draws `glyph` at `size` points with its baseline starting at (x, y),
    // in the context's current source.
    void draw(cairo_t* cr, const Glyph& glyph, double size, double x, double y) const;

  private:
    cairo_font_face_t* face_ = nullptr;
    cairo_font_options_t* options_ = nullptr;
    // The font at one point, for looking glyphs up and measuring them.
    cairo_scaled_font_t* unit_ = nullptr;
};

}  // namespace ui::text
