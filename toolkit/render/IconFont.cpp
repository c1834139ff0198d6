#include "toolkit/render/IconFont.hpp"

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>

#include <cstring>
#include <string>

#include "toolkit/render/FontSetup.hpp"
#include "toolkit/render/PangoText.hpp"
#include "toolkit/render/Symbols.hpp"

namespace ui::text {
namespace {

std::string utf8(char32_t c) {
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (c >> 18));
        s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}

// The icon font's face as Pango would set it up: the family matched
// through fontconfig with the text's font options folded in, so symbols
// are rasterised exactly as they were when Pango drew them.
cairo_font_face_t* createFace(const cairo_font_options_t* options) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(kSymbolFontFamily));
    FcPatternAddDouble(pattern, FC_PIXEL_SIZE, kShapingSize);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    cairo_ft_font_options_substitute(options, pattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return nullptr;
    // fontconfig answers with its best match whatever the family; only the
    // icon font has the icons.
    FcChar8* family = nullptr;
    bool isIconFont = FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch &&
                      std::strcmp(reinterpret_cast<const char*>(family), kSymbolFontFamily) == 0;
    cairo_font_face_t* face = isIconFont ? cairo_ft_font_face_create_for_pattern(match) : nullptr;
    FcPatternDestroy(match);
    if (face && cairo_font_face_status(face) != CAIRO_STATUS_SUCCESS) {
        cairo_font_face_destroy(face);
        face = nullptr;
    }
    return face;
}

}  // namespace

IconFont& IconFont::shared() {
    // Never destroyed, like the Pango context.
    static IconFont& font = *new IconFont;
    return font;
}

IconFont::IconFont() {
    setUpFonts();
    options_ = cairo_font_options_copy(textFontOptions());
    face_ = createFace(options_);
    if (!face_) return;
    cairo_matrix_t unit, identity;
    cairo_matrix_init_identity(&unit);
    cairo_matrix_init_identity(&identity);
    unit_ = cairo_scaled_font_create(face_, &unit, &identity, options_);
}

IconFont::~IconFont() {
    if (unit_) cairo_scaled_font_destroy(unit_);
    if (face_) cairo_font_face_destroy(face_);
    cairo_font_options_destroy(options_);
}

std::optional<IconFont::Glyph> IconFont::glyph(char32_t codepoint) const {
    if (!unit_ || cairo_scaled_font_status(unit_) != CAIRO_STATUS_SUCCESS) return std::nullopt;
    const std::string text = utf8(codepoint);
    cairo_glyph_t* glyphs = nullptr;
    int count = 0;
    cairo_status_t status =
        cairo_scaled_font_text_to_glyphs(unit_, 0, 0, text.data(), static_cast<int>(text.size()),
                                         &glyphs, &count, nullptr, nullptr, nullptr);
    std::optional<Glyph> found;
    // Glyph 0 is the font's "missing glyph" box.
    if (status == CAIRO_STATUS_SUCCESS && count == 1 && glyphs[0].index != 0) {
        cairo_text_extents_t extents;
        cairo_scaled_font_glyph_extents(unit_, glyphs, 1, &extents);
        cairo_font_extents_t font;
        cairo_scaled_font_extents(unit_, &font);
        found = Glyph{glyphs[0].index, extents.x_advance, font.ascent, font.descent};
    }
    cairo_glyph_free(glyphs);
    return found;
}

void IconFont::draw(cairo_t* cr, const Glyph& glyph, double size, double x, double y) const {
    if (!face_) return;
    cairo_save(cr);
    cairo_set_font_face(cr, face_);
    cairo_set_font_size(cr, size);
    cairo_set_font_options(cr, options_);
    cairo_glyph_t g{glyph.index, x, y};
    cairo_show_glyphs(cr, &g, 1);
    cairo_restore(cr);
}

}  // namespace ui::text
