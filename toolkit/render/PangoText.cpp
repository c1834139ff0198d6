#include "toolkit/render/PangoText.hpp"

#include <pango/pangocairo.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <map>
#include <memory>

#include "toolkit/render/FontSetup.hpp"
#include "toolkit/render/Symbols.hpp"

namespace ui::text {
namespace {

const char* weightStyle(Font::Weight weight) {
    switch (weight) {
        case Font::Weight::ultralight:
            return "Ultra-Light";
        case Font::Weight::thin:
            return "Thin";
        case Font::Weight::light:
            return "Light";
        case Font::Weight::regular:
            return "";
        case Font::Weight::medium:
            return "Medium";
        case Font::Weight::semibold:
            return "Semi-Bold";
        case Font::Weight::bold:
            return "Bold";
        case Font::Weight::heavy:
            return "Ultra-Bold";
        case Font::Weight::black:
            return "Heavy";
    }
    return "";
}

// Sizes are written with the C locale's decimal point whatever the
// process locale is, since Pango parses them that way.
std::string pixelSize(double size) {
    char buffer[32];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, std::max(0.0, size),
                                   std::chars_format::general, 6);
    if (ec != std::errc()) return "17px";
    return std::string(buffer, end) + "px";
}

struct DescriptionDeleter {
    void operator()(PangoFontDescription* d) const { pango_font_description_free(d); }
};

}  // namespace

PangoContext* sharedContext() {
    static PangoContext* context = [] {
        // The font map reads fontconfig's configuration when it is made.
        setUpFonts();
        PangoContext* c = pango_font_map_create_context(pango_cairo_font_map_get_default());
        pango_cairo_context_set_font_options(c, textFontOptions());
        pango_context_set_round_glyph_positions(c, FALSE);
        return c;
    }();
    return context;
}

const cairo_font_options_t* textFontOptions() {
    static const cairo_font_options_t* options = [] {
        cairo_font_options_t* o = cairo_font_options_create();
        // Grey antialiasing works on every background and at every scale;
        // subpixel (LCD) antialiasing would fringe on our translucent cards.
        cairo_font_options_set_antialias(o, CAIRO_ANTIALIAS_GRAY);
        cairo_font_options_set_hint_style(o, CAIRO_HINT_STYLE_SLIGHT);
        cairo_font_options_set_hint_metrics(o, CAIRO_HINT_METRICS_OFF);
        return o;
    }();
    return options;
}

std::string fontDescriptionString(const ResolvedFont& font) {
    std::string s = font.design == Font::Design::monospaced ? "JetBrains Mono" : "Inter";
    std::string weight = weightStyle(font.weight);
    if (!weight.empty()) s += " " + weight;
    return s + " " + pixelSize(font.size);
}

std::string symbolFontDescriptionString(double size) {
    return std::string(kSymbolFontFamily) + " " + pixelSize(size);
}

std::string shapingFontDescriptionString(const ResolvedFont& font) {
    ResolvedFont atShapingSize = font;
    atShapingSize.size = kShapingSize;
    return fontDescriptionString(atShapingSize);
}

double shapingScale(double size) {
    return size > 0 && std::isfinite(size) ? size / kShapingSize : 0;
}

const PangoFontDescription* fontDescription(const std::string& descriptionString) {
    static std::map<std::string, std::unique_ptr<PangoFontDescription, DescriptionDeleter>,
                    std::less<>>
        cache;
    auto it = cache.find(descriptionString);
    if (it == cache.end()) {
        it = cache
                 .emplace(descriptionString,
                          std::unique_ptr<PangoFontDescription, DescriptionDeleter>(
                              pango_font_description_from_string(descriptionString.c_str())))
                 .first;
    }
    return it->second.get();
}

std::optional<double> wrappingWidth(std::optional<double> width) {
    if (!width || !std::isfinite(*width)) return std::nullopt;
    return std::max(0.0, *width);
}

int layoutWidth(double width) {
    double units = std::ceil((std::max(0.0, width) + 1e-3) * PANGO_SCALE);
    return units >= static_cast<double>(INT_MAX) ? INT_MAX : static_cast<int>(units);
}

void configureLayout(PangoLayout* layout, std::string_view text, const ResolvedFont& font,
                     std::optional<double> width, int lineLimit) {
    configureLayout(layout, text, fontDescription(fontDescriptionString(font)), width, lineLimit);
}

void configureLayout(PangoLayout* layout, std::string_view text, const PangoFontDescription* font,
                     std::optional<double> width, int lineLimit) {
    pango_layout_set_font_description(layout, font);
    pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
    std::optional<double> w = wrappingWidth(width);
    if (w) {
        pango_layout_set_width(layout, layoutWidth(*w));
        pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
        pango_layout_set_ellipsize(layout,
                                   lineLimit > 0 ? PANGO_ELLIPSIZE_END : PANGO_ELLIPSIZE_NONE);
        // A negative height counts lines: at most `lineLimit` per paragraph.
        pango_layout_set_height(layout, lineLimit > 0 ? -lineLimit : -1);
    } else {
        pango_layout_set_width(layout, -1);
        pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_NONE);
        pango_layout_set_height(layout, -1);
    }
}

}  // namespace ui::text
