#include <gtest/gtest.h>
#include <pango/pangocairo.h>

#include <string>

#include "toolkit/render/IconFont.hpp"
#include "toolkit/render/PangoText.hpp"
#include "toolkit/render/Symbols.hpp"

namespace ui::text {
namespace {

const char* const kSystemNames[] = {"cross.case.fill",     "heart",    "heart.text.square.fill",
                                    "drop.fill",           "calendar", "photo",
                                    "plus.magnifyingglass"};

TEST(IconFont, HasAGlyphForEverySymbolTheAppDraws) {
    for (const char* name : kSystemNames) {
        std::optional<char32_t> codepoint = symbolCodepoint(name);
        ASSERT_TRUE(codepoint) << name;
        std::optional<IconFont::Glyph> glyph = IconFont::shared().glyph(*codepoint);
        ASSERT_TRUE(glyph) << name;
        EXPECT_NE(glyph->index, 0u) << name;
        // Icons are drawn on a square em.
        EXPECT_NEAR(glyph->advance, 1.0, 1e-6) << name;
        // The icons stand on the baseline, their em box above it.
        EXPECT_GT(glyph->ascent, 0.5) << name;
        EXPECT_GE(glyph->descent, 0) << name;
    }
}

TEST(IconFont, CodepointsOutsideTheFontHaveNoGlyph) {
    for (char32_t codepoint : {U'\u4E2D', U'\U0001F600', U'\uFFFD'}) {
        EXPECT_FALSE(IconFont::shared().glyph(codepoint)) << static_cast<unsigned>(codepoint);
    }
}

TEST(IconFont, BoxIsTheOnePangoGivesTheGlyph) {
    // Pango placed symbols by its logical extents; the box must not move.
    const char32_t codepoint = *symbolCodepoint("drop.fill");
    const double size = 22;
    PangoLayout* layout = pango_layout_new(sharedContext());
    pango_layout_set_font_description(layout, fontDescription(symbolFontDescriptionString(size)));
    pango_layout_set_text(layout, "\xEE\x9E\x98", -1);  // U+E798 in UTF-8
    ASSERT_EQ(codepoint, U'\uE798');
    PangoRectangle box;
    pango_layout_get_extents(layout, nullptr, &box);
    const double baseline = pango_units_to_double(pango_layout_get_baseline(layout));
    g_object_unref(layout);

    std::optional<IconFont::Glyph> glyph = IconFont::shared().glyph(codepoint);
    ASSERT_TRUE(glyph);
    constexpr double kUnit = 1.0 / PANGO_SCALE;
    EXPECT_NEAR(glyph->advance * size, pango_units_to_double(box.width), kUnit);
    EXPECT_NEAR((glyph->ascent + glyph->descent) * size, pango_units_to_double(box.height), kUnit);
    EXPECT_NEAR(glyph->ascent * size, baseline - pango_units_to_double(box.y), kUnit);
}

}  // namespace
}  // namespace ui::text
