#include "toolkit/render/ShapedText.hpp"

#include <pango/pangocairo.h>

#include <algorithm>
#include <climits>
#include <functional>

#include "toolkit/render/PangoText.hpp"

namespace ui::text {
namespace {

// Far below the slack configureLayout adds, far above rounding errors.
constexpr double kFitTolerance = 1e-6;

void combine(std::size_t& seed, std::size_t value) {
    seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
}

// +1 for left-to-right directions, -1 for right-to-left ones, 0 for
// neutral, as Pango compares a line's direction with the context's.
int directionSign(PangoDirection direction) {
    switch (direction) {
        case PANGO_DIRECTION_LTR:
        case PANGO_DIRECTION_WEAK_LTR:
        case PANGO_DIRECTION_TTB_RTL:
            return 1;
        case PANGO_DIRECTION_RTL:
        case PANGO_DIRECTION_WEAK_RTL:
        case PANGO_DIRECTION_TTB_LTR:
            return -1;
        default:
            return 0;
    }
}

// A font's box relative to the baseline, in Pango units: its top (minus
// the ascent) and its height (ascent plus descent), from the same Cairo
// font extents and with the same rounding as Pango's logical glyph
// extents, which read no glyph outline.
struct FontBox {
    int top = 0;
    int height = 0;
};

FontBox fontBox(PangoFont* font) {
    cairo_scaled_font_t* scaled = pango_cairo_font_get_scaled_font(PANGO_CAIRO_FONT(font));
    if (!scaled || cairo_scaled_font_status(scaled) != CAIRO_STATUS_SUCCESS) return {};
    cairo_font_extents_t extents;
    cairo_scaled_font_extents(scaled, &extents);
    FontBox box{-pango_units_from_double(extents.ascent),
                pango_units_from_double(extents.ascent + extents.descent)};
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_scaled_font_get_font_options(scaled, options);
    if (cairo_font_options_get_hint_metrics(options) != CAIRO_HINT_METRICS_OFF) {
        // Hinted metrics are whole pixels, rounded outwards.
        box.top = box.top < 0 ? PANGO_UNITS_FLOOR(box.top) : PANGO_UNITS_CEIL(box.top);
        box.height = box.height < 0 ? PANGO_UNITS_FLOOR(box.height) : PANGO_UNITS_CEIL(box.height);
    }
    cairo_font_options_destroy(options);
    return box;
}

}  // namespace

ShapedText::ShapedText(std::string_view text, const PangoFontDescription* font,
                       std::optional<double> width, int lineLimit)
    : layout_(pango_layout_new(sharedContext())) {
    configureLayout(layout_, text, font, width, lineLimit);
    measureLines();
}

ShapedText::~ShapedText() {
    g_object_unref(layout_);
}

void ShapedText::measureLines() {
    struct Measured {
        PangoLayoutLine* line;
        int width = 0;
        int top = 0;
        int bottom = 0;
        bool rightAligned = false;
    };
    std::vector<Measured> measured;
    const int contextSign =
        directionSign(pango_context_get_base_dir(pango_layout_get_context(layout_)));
    const bool autoDirection = pango_layout_get_auto_dir(layout_);
    int widest = 0;
    for (GSList* l = pango_layout_get_lines_readonly(layout_); l; l = l->next) {
        auto* line = static_cast<PangoLayoutLine*>(l->data);
        Measured m{line};
        // The box always contains the baseline, as Pango's line extents do.
        for (GSList* r = line->runs; r; r = r->next) {
            auto* run = static_cast<PangoGlyphItem*>(r->data);
            m.width += pango_glyph_string_get_width(run->glyphs);
            if (run->glyphs->num_glyphs == 0) continue;
            FontBox box = fontBox(run->item->analysis.font);
            int top = box.top - run->y_offset;
            m.top = std::min(m.top, top);
            m.bottom = std::max(m.bottom, top + box.height);
        }
        // Lines run against the context's direction are aligned right.
        m.rightAligned =
            autoDirection &&
            directionSign(static_cast<PangoDirection>(line->resolved_dir)) == -contextSign &&
            contextSign != 0;
        if (!line->is_paragraph_start) constrained_ = true;
        widest = std::max(widest, m.width);
        measured.push_back(m);
    }
    ellipsized_ = pango_layout_is_ellipsized(layout_);
    constrained_ = constrained_ || ellipsized_;

    // Right-aligned lines end at the layout's width when a width broke or
    // cut the text (Pango's own placement); otherwise every line fits and
    // they end at the widest line, so the text's box is its natural box
    // whatever width was offered.
    const int layoutWidth = pango_layout_get_width(layout_);
    const int alignWidth = constrained_ && layoutWidth >= 0 ? layoutWidth : widest;
    int left = INT_MAX, right = INT_MIN;
    std::vector<int> offsets;
    for (const Measured& m : measured) {
        int x = m.rightAligned && alignWidth != 0 ? alignWidth - m.width : 0;
        offsets.push_back(x);
        left = std::min(left, x);
        right = std::max(right, x + m.width);
    }
    if (measured.empty()) left = right = 0;
    width_ = pango_units_to_double(right - left);
    lines_.reserve(measured.size());
    for (std::size_t i = 0; i < measured.size(); ++i) {
        const Measured& m = measured[i];
        lines_.push_back({m.line, pango_units_to_double(offsets[i] - left),
                          pango_units_to_double(m.width), pango_units_to_double(-m.top),
                          pango_units_to_double(m.bottom - m.top)});
    }
}

std::size_t ShapedTextStore::KeyHash::operator()(const Key& key) const {
    std::size_t seed = std::hash<std::string>{}(key.text);
    combine(seed, std::hash<std::string>{}(key.font));
    combine(seed, key.width ? std::hash<int>{}(*key.width) : 0x5bd1e995);
    combine(seed, static_cast<std::size_t>(key.lineLimit));
    return seed;
}

ShapedText* ShapedTextStore::find(const Key& key) {
    auto it = index_.find(key);
    if (it == index_.end()) return nullptr;
    entries_.splice(entries_.begin(), entries_, it->second);
    return it->second->shaped.get();
}

const ShapedText& ShapedTextStore::insert(Key key, std::unique_ptr<ShapedText> shaped) {
    if (entries_.size() >= kCapacity) {
        index_.erase(entries_.back().key);
        entries_.pop_back();
    }
    entries_.push_front(Entry{key, std::move(shaped)});
    index_.emplace(std::move(key), entries_.begin());
    return *entries_.front().shaped;
}

const ShapedText& ShapedTextStore::get(std::string_view text, const std::string& fontDescription,
                                       std::optional<double> width, int lineLimit) {
    width = wrappingWidth(width);
    Key natural{std::string(text), fontDescription, std::nullopt, 0};
    ShapedText* naturalText = find(natural);
    if (naturalText && (!width || *width + kFitTolerance >= naturalText->width())) {
        return *naturalText;
    }

    Key key = natural;
    if (width) {
        key.width = layoutWidth(*width);
        key.lineLimit = std::max(0, lineLimit);
        if (ShapedText* found = find(key)) return *found;
    }
    auto shaped = std::make_unique<ShapedText>(text, text::fontDescription(fontDescription), width,
                                               key.lineLimit);
    ++shaped_;
    // A width that broke and cut nothing gave the natural shaping, which
    // answers every width from the text's natural width up.
    if (!naturalText && !shaped->constrained()) key = std::move(natural);
    return insert(std::move(key), std::move(shaped));
}

void ShapedTextStore::clear() {
    index_.clear();
    entries_.clear();
}

SizedText shapeAtSize(std::string_view text, const std::string& shapingFont, double size,
                      std::optional<double> width, int lineLimit) {
    const double scale = shapingScale(size);
    width = wrappingWidth(width);
    // A text of no size fits any width.
    if (width) width = scale > 0 ? std::optional<double>(*width / scale) : std::nullopt;
    return {shapedTexts().get(text, shapingFont, width, lineLimit), scale};
}

ShapedTextStore& shapedTexts() {
    // Never destroyed, like the context its layouts belong to: at exit there
    // is nothing to gain from freeing them one by one.
    static ShapedTextStore& store = *new ShapedTextStore;
    return store;
}

}  // namespace ui::text
