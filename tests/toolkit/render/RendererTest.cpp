#include <cairo.h>
#include <gtest/gtest.h>
#include <pango/pangocairo.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "tests/toolkit/render/RenderTestTrees.hpp"
#include "toolkit/render/CairoCanvas.hpp"
#include "toolkit/render/PangoMeasurer.hpp"
#include "toolkit/render/PangoText.hpp"
#include "toolkit/render/Renderer.hpp"
#include "toolkit/render/ShapedText.hpp"

namespace ui {
namespace {

using test::entry;
using test::gradientEntry;
using test::imageEntry;
using test::kDashboardGradient;
using test::resolvedFont;
using test::roundedFill;
using test::roundedStroke;
using test::textEntry;
using test::windowTree;

// A pixel as straight (not premultiplied) 0-255 channels.
struct Rgba {
    double r, g, b, a;
};

Rgba pixelAt(const Renderer& renderer, int px, int py) {
    const unsigned char* row = renderer.pixels() + static_cast<std::size_t>(py) * renderer.stride();
    std::uint32_t v;
    std::memcpy(&v, row + 4 * static_cast<std::size_t>(px), 4);
    double a = (v >> 24) & 0xFF;
    auto un = [a](std::uint32_t c) { return a == 0 ? 0.0 : c * 255.0 / a; };
    return {un((v >> 16) & 0xFF), un((v >> 8) & 0xFF), un(v & 0xFF), a};
}

// The pixel under a point given in window points.
Rgba pointAt(const Renderer& renderer, double x, double y) {
    return pixelAt(renderer, static_cast<int>(x * renderer.scale()),
                   static_cast<int>(y * renderer.scale()));
}

void expectColor(const Rgba& p, const Color& c, double tolerance, const char* where) {
    EXPECT_NEAR(p.r, c.r * 255, tolerance) << where;
    EXPECT_NEAR(p.g, c.g * 255, tolerance) << where;
    EXPECT_NEAR(p.b, c.b * 255, tolerance) << where;
    EXPECT_NEAR(p.a, c.a * 255, tolerance) << where;
}

int maxChannelDifference(const Renderer& a, const Renderer& b) {
    int worst = 0;
    for (int y = 0; y < a.pixelHeight(); ++y) {
        const unsigned char* ra = a.pixels() + static_cast<std::size_t>(y) * a.stride();
        const unsigned char* rb = b.pixels() + static_cast<std::size_t>(y) * b.stride();
        for (int i = 0; i < a.pixelWidth() * 4; ++i)
            worst = std::max(worst, std::abs(ra[i] - rb[i]));
    }
    return worst;
}

// Whether any pixel inside `r` (points) has at least `alpha` coverage.
bool hasInk(const Renderer& renderer, Rect r, double alpha = 128) {
    const double s = renderer.scale();
    for (int y = static_cast<int>(r.minY() * s); y < static_cast<int>(r.maxY() * s); ++y) {
        for (int x = static_cast<int>(r.minX() * s); x < static_cast<int>(r.maxX() * s); ++x) {
            if (pixelAt(renderer, x, y).a >= alpha) return true;
        }
    }
    return false;
}

LayoutTree transparentTree(double width = 200, double height = 200, double scale = 3) {
    LayoutTree tree;
    tree.size = {width, height};
    tree.scale = scale;
    return tree;
}

class DashboardBackground : public testing::TestWithParam<bool> {};

TEST_P(DashboardBackground, RunsFromFirstColourToLast) {
    Renderer renderer({390, 844}, 3);
    renderer.canvas().setBackdropFastPath(GetParam());
    ASSERT_TRUE(renderer.render(windowTree()));
    EXPECT_EQ(renderer.pixelWidth(), 1170);
    EXPECT_EQ(renderer.pixelHeight(), 2532);

    expectColor(pixelAt(renderer, 0, 0), {0.04, 0.11, 0.16}, 1.5, "top leading");
    expectColor(pixelAt(renderer, 1169, 2531), {0.12, 0.12, 0.17}, 1.5, "bottom trailing");
    expectColor(pixelAt(renderer, 585, 1266), {0.07, 0.18, 0.22}, 1.5, "centre");
    // Along the other diagonal the gradient parameter is also one half in
    // the middle of the window: the stops are equally spaced.
    Rgba topTrailing = pixelAt(renderer, 1169, 0);
    Rgba bottomLeading = pixelAt(renderer, 0, 2531);
    EXPECT_NEAR(topTrailing.g, 255 * (0.11 + (0.18 - 0.11) * 2 * 0.176), 2);
    EXPECT_GT(bottomLeading.g, topTrailing.g);
}

INSTANTIATE_TEST_SUITE_P(FastPathOnAndOff, DashboardBackground, testing::Bool(),
                         [](const auto& info) { return info.param ? "strip" : "cairo"; });

struct GradientCase {
    const char* name;
    UnitPoint start, end;
};

class BackdropFastPath : public testing::TestWithParam<GradientCase> {};

TEST_P(BackdropFastPath, MatchesCairosOwnGradient) {
    LayoutTree tree = windowTree(390, 844, 3);
    tree.views[0].fill =
        LinearGradient{{Color::pink, Color::mint, Color::blue}, GetParam().start, GetParam().end};
    Renderer fast({390, 844}, 3);
    Renderer cairo({390, 844}, 3);
    cairo.canvas().setBackdropFastPath(false);
    fast.render(tree);
    cairo.render(tree);
    // A colourful gradient makes any error in direction or offset show.
    EXPECT_LE(maxChannelDifference(fast, cairo), 3);
    EXPECT_GT(fast.canvas().backdrop().memoryBytes(), 0u);
    EXPECT_LT(fast.canvas().backdrop().memoryBytes(), 256u * 1024);
}

INSTANTIATE_TEST_SUITE_P(
    Directions, BackdropFastPath,
    testing::Values(GradientCase{"diagonal", UnitPoint::topLeading, UnitPoint::bottomTrailing},
                    GradientCase{"antiDiagonal", UnitPoint::topTrailing, UnitPoint::bottomLeading},
                    GradientCase{"upwards", UnitPoint::bottomTrailing, UnitPoint::topLeading},
                    GradientCase{"vertical", UnitPoint::top, UnitPoint::bottom},
                    GradientCase{"horizontal", UnitPoint::leading, UnitPoint::trailing},
                    GradientCase{"offCentre", UnitPoint{0.2, 0.1}, UnitPoint{0.9, 0.6}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BackdropFastPath, StripIsKeptUntilTheWindowChanges) {
    Renderer renderer({390, 844}, 3);
    LayoutTree tree = windowTree();
    renderer.render(tree);
    tree.views.push_back(roundedFill({20, 100, 100, 100}, Color::white.opacity(0.2)));
    renderer.render(tree);
    tree.views.back().fill = Color::white.opacity(0.3);
    renderer.render(tree);
    EXPECT_EQ(renderer.canvas().backdrop().rebuildCount(), 1u);
    renderer.render(windowTree(400, 844, 3));
    EXPECT_EQ(renderer.canvas().backdrop().rebuildCount(), 1u);  // a new surface, a new canvas
    EXPECT_EQ(renderer.pixelWidth(), 1200);
}

TEST(Renderer, CardBlendsOverTheGradient) {
    Renderer renderer({390, 844}, 3);
    LayoutTree tree = windowTree();
    renderer.render(tree);
    Rgba under = pointAt(renderer, 100, 160);
    Rgba underCorner = pointAt(renderer, 20.3, 100.3);

    tree.views.push_back(roundedFill({20, 100, 169, 120}, Color::white.opacity(0.08)));
    renderer.render(tree);
    Rgba card = pointAt(renderer, 100, 160);
    EXPECT_NEAR(card.r, under.r * 0.92 + 255 * 0.08, 1.5);
    EXPECT_NEAR(card.g, under.g * 0.92 + 255 * 0.08, 1.5);
    EXPECT_NEAR(card.b, under.b * 0.92 + 255 * 0.08, 1.5);
    EXPECT_EQ(card.a, 255);
    // Just outside the continuous corner (inside the bounding box, beyond
    // the curve) the gradient shows through untouched.
    Rgba corner = pointAt(renderer, 20.3, 100.3);
    EXPECT_EQ(corner.r, underCorner.r);
    EXPECT_EQ(corner.g, underCorner.g);
    EXPECT_EQ(corner.b, underCorner.b);
}

TEST(Renderer, StrokeIsCentredOnTheOutline) {
    Renderer renderer({200, 200}, 3);
    LayoutTree tree = transparentTree();
    tree.views.push_back(roundedStroke({40, 40, 120, 80}, Color::white, 4, 0));
    renderer.render(tree);
    // The top edge at y = 40: a 4-point line covers 38...42.
    EXPECT_GT(pointAt(renderer, 100, 38.5).a, 250);
    EXPECT_GT(pointAt(renderer, 100, 41.5).a, 250);
    EXPECT_EQ(pointAt(renderer, 100, 37.2).a, 0);
    EXPECT_EQ(pointAt(renderer, 100, 42.5).a, 0);
    // The leading edge likewise.
    EXPECT_GT(pointAt(renderer, 38.5, 80).a, 250);
    EXPECT_EQ(pointAt(renderer, 37.2, 80).a, 0);
    EXPECT_EQ(pointAt(renderer, 100, 80).a, 0);  // a stroke does not fill
}

TEST(Renderer, OpacityMultipliesTheColoursOwn) {
    Renderer renderer({200, 200}, 3);
    LayoutTree tree = transparentTree();
    LaidOutView square = roundedFill({50, 50, 100, 100}, Color(1, 0, 0, 0.5), 0);
    square.opacity = 0.5;
    tree.views.push_back(square);
    renderer.render(tree);
    Rgba p = pointAt(renderer, 100, 100);
    EXPECT_NEAR(p.a, 255 * 0.25, 1);
    EXPECT_NEAR(p.r, 255, 4);
}

TEST(Renderer, ClipKeepsPaintInside) {
    Renderer renderer({200, 200}, 3);
    LayoutTree tree = transparentTree();
    LaidOutView tall = roundedFill({20, 0, 160, 200}, Color::white, 0);
    tall.clip = {0, 50, 200, 100};
    tree.views.push_back(tall);
    LaidOutView after = roundedFill({0, 180, 10, 10}, Color::white, 0);
    tree.views.push_back(after);
    renderer.render(tree);
    EXPECT_EQ(pointAt(renderer, 100, 49.5).a, 0);
    EXPECT_EQ(pointAt(renderer, 100, 50.2).a, 255);
    EXPECT_EQ(pointAt(renderer, 100, 149.8).a, 255);
    EXPECT_EQ(pointAt(renderer, 100, 150.5).a, 0);
    // The clip ends with its entries.
    EXPECT_EQ(pointAt(renderer, 5, 185).a, 255);
}

TEST(Renderer, ContinuousCornerStartsCurvingBeforeACircularOne) {
    // With r = 20 a circular corner leaves the top edge 20 points from the
    // corner, a continuous one 1.528665 · 20 ≈ 30.6 points from it. Just
    // past 20 points the circular shape still runs along the edge while the
    // continuous one has already dropped about 0.19 points below it.
    Renderer continuous({200, 200}, 3), circular({200, 200}, 3);
    LayoutTree a = transparentTree(), b = transparentTree();
    a.views.push_back(roundedFill({20, 20, 160, 160}, Color::white, 20, CornerStyle::continuous));
    b.views.push_back(roundedFill({20, 20, 160, 160}, Color::white, 20, CornerStyle::circular));
    continuous.render(a);
    circular.render(b);
    EXPECT_EQ(pointAt(circular, 40.1, 20.1).a, 255);
    EXPECT_LT(pointAt(continuous, 40.1, 20.1).a, 200);
    EXPECT_GT(pointAt(continuous, 40.1, 20.1).a, 50);
    // Far along the edge both are solid, and the sharp corner is bare in both.
    EXPECT_EQ(pointAt(continuous, 60, 20.1).a, 255);
    EXPECT_EQ(pointAt(continuous, 20.1, 20.1).a, 0);
    EXPECT_EQ(pointAt(circular, 20.1, 20.1).a, 0);
}

TEST(Renderer, TextDrawsInItsFrameLineByLine) {
    Renderer renderer({300, 200}, 3);
    LayoutTree tree = transparentTree(300, 200);
    LaidOutView text = textEntry({20, 20, 120, 60}, "All information is fictional and not suitable",
                                 resolvedFont(15, 20));
    text.wrapWidth = 120;
    tree.views.push_back(text);
    renderer.render(tree);
    // Three lines of 20 points: ink on each line, none below the frame.
    EXPECT_TRUE(hasInk(renderer, {20, 20, 120, 20}));
    EXPECT_TRUE(hasInk(renderer, {20, 40, 120, 20}));
    EXPECT_TRUE(hasInk(renderer, {20, 60, 120, 20}));
    EXPECT_FALSE(hasInk(renderer, {0, 84, 300, 116}, 1));
    EXPECT_FALSE(hasInk(renderer, {145, 0, 155, 200}, 1));
}

TEST(Renderer, DrawsMeasuredTextsWithoutShapingThemAgain) {
    text::shapedTexts().clear();
    PangoMeasurer measurer;
    LayoutTree tree = transparentTree(300, 200);
    // As layout leaves them: each text measured at the width offered to it,
    // which the tree keeps as its wrapping width.
    const std::vector<std::pair<std::string, double>> texts{
        {"Blood Pressure", 137}, {"All information is fictional and not suitable", 120}};
    double y = 10;
    for (const auto& [string, width] : texts) {
        TextMetrics m = measurer.measure(string, resolvedFont(15, 20), width, 0);
        LaidOutView v =
            textEntry({10, y, m.size.width, m.size.height}, string, resolvedFont(15, 20));
        v.wrapWidth = width;
        tree.views.push_back(v);
        y += m.size.height;
    }
    const std::size_t shaped = text::shapedTexts().shapedCount();
    Renderer renderer({300, 200}, 3);
    ASSERT_TRUE(renderer.render(tree));
    EXPECT_EQ(text::shapedTexts().shapedCount(), shaped);
}

// The box of the pixels with any ink, in device pixels: x0, y0, x1, y1.
std::array<int, 4> inkBox(const unsigned char* data, int stride, int width, int height) {
    std::array<int, 4> box{width, height, -1, -1};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (data[static_cast<std::size_t>(y) * stride + 4 * static_cast<std::size_t>(x) + 3]) {
                box = {std::min(box[0], x), std::min(box[1], y), std::max(box[2], x),
                       std::max(box[3], y)};
            }
        }
    }
    return box;
}

TEST(Renderer, TextShapedOncePerFaceLandsWherePangoPutsIt) {
    // The painter draws texts shaped at the shaping size, scaled to their
    // own; the ink must land where a layout at the text's size puts it,
    // baseline and line boxes included.
    for (double size : {11.0, 17.0, 30.0}) {
        ResolvedFont font = resolvedFont(size, size * 1.3, Font::Weight::semibold);
        const std::string text = "Hydration Level 2.4 L";
        Renderer renderer({300, 100}, 3);
        LayoutTree tree = transparentTree(300, 100);
        tree.views.push_back(textEntry({10, 20, 280, font.lineHeight}, text, font));
        renderer.render(tree);

        cairo_surface_t* expected = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 900, 300);
        cairo_t* cr = cairo_create(expected);
        cairo_scale(cr, 3, 3);
        PangoLayout* layout = pango_layout_new(text::sharedContext());
        text::configureLayout(layout, text, font, std::nullopt, 0);
        PangoLayoutIter* iter = pango_layout_get_iter(layout);
        PangoRectangle line;
        pango_layout_iter_get_line_extents(iter, nullptr, &line);
        double ascent = pango_units_to_double(pango_layout_iter_get_baseline(iter) - line.y);
        double natural = pango_units_to_double(line.height);
        cairo_move_to(cr, 10, 20 + (font.lineHeight - natural) / 2 + ascent);
        pango_cairo_show_layout_line(cr, pango_layout_iter_get_line_readonly(iter));
        pango_layout_iter_free(iter);
        g_object_unref(layout);
        cairo_destroy(cr);
        cairo_surface_flush(expected);

        auto drawn = inkBox(renderer.pixels(), renderer.stride(), 900, 300);
        auto want = inkBox(cairo_image_surface_get_data(expected),
                           cairo_image_surface_get_stride(expected), 900, 300);
        cairo_surface_destroy(expected);
        ASSERT_GE(want[2], 0);
        for (int i = 0; i < 4; ++i) EXPECT_NEAR(drawn[i], want[i], 1) << "size " << size;
    }
}

TEST(Renderer, TruncatedTextStaysInsideItsWidth) {
    Renderer renderer({300, 100}, 3);
    LayoutTree tree = transparentTree(300, 100);
    LaidOutView text = textEntry({20, 20, 100, 16}, "Norvel Downtown Clinic, Building C, Floor 4",
                                 resolvedFont(12, 16));
    text.truncated = true;
    text.lineLimit = 1;
    tree.views.push_back(text);
    renderer.render(tree);
    EXPECT_TRUE(hasInk(renderer, {20, 20, 100, 16}));
    EXPECT_FALSE(hasInk(renderer, {121, 0, 179, 100}, 1));
    EXPECT_FALSE(hasInk(renderer, {0, 37, 300, 63}, 1));
}

TEST(Renderer, SymbolIsCentredInItsFrame) {
    Renderer renderer({200, 200}, 3);
    LayoutTree tree = transparentTree();
    tree.views.push_back(imageEntry({50, 50, 40, 40}, "drop.fill", 22, Color::cyan));
    tree.views.push_back(imageEntry({120, 50, 40, 40}, "no.such.symbol", 22, Color::cyan));
    renderer.render(tree);
    // The glyph's 22-point em box is centred: it spans 59...81.
    EXPECT_TRUE(hasInk(renderer, {59, 59, 22, 22}));
    EXPECT_FALSE(hasInk(renderer, {0, 0, 58, 200}, 1));
    EXPECT_FALSE(hasInk(renderer, {82, 0, 118, 200}, 1));
    Rgba centre = pointAt(renderer, 70, 72);
    EXPECT_NEAR(centre.b, 255, 2);  // cyan #64D2FF
    EXPECT_NEAR(centre.g, 0xD2, 2);
}

TEST(Renderer, UnchangedTreePaintsNothing) {
    Renderer renderer({390, 844}, 3);
    LayoutTree tree = windowTree();
    tree.views.push_back(roundedFill({20, 100, 169, 120}, Color::white.opacity(0.08)));
    ASSERT_TRUE(renderer.render(tree));

    // Mark the surface behind the renderer's back: an unchanged frame must
    // leave the mark, since it paints nothing at all.
    cairo_t* cr = cairo_create(renderer.surface());
    cairo_set_source_rgb(cr, 1, 0, 0);
    cairo_rectangle(cr, 600, 2400, 30, 30);
    cairo_fill(cr);
    cairo_destroy(cr);
    cairo_surface_mark_dirty(renderer.surface());

    EXPECT_FALSE(renderer.render(tree));
    EXPECT_EQ(renderer.lastRepaint(), Repaint::none);
    EXPECT_EQ(pixelAt(renderer, 610, 2410).r, 255);

    renderer.invalidate();
    EXPECT_TRUE(renderer.render(tree));
    EXPECT_EQ(renderer.lastRepaint(), Repaint::full);
    EXPECT_LT(pixelAt(renderer, 610, 2410).r, 60);
}

TEST(Renderer, PartialRepaintEqualsAFullOne) {
    LayoutTree before = windowTree();
    before.views.push_back(roundedFill({20, 100, 169, 120}, Color::white.opacity(0.08)));
    before.views.push_back(roundedStroke({20, 100, 169, 120}, Color::white.opacity(0.12), 1));
    before.views.push_back(imageEntry({36, 116, 22, 28}, "heart", 22, Color::orange));
    before.views.push_back(
        textEntry({36, 160, 120, 28}, "72 bpm", resolvedFont(22, 28, Font::Weight::bold)));
    before.views.push_back(textEntry({36, 700, 300, 22}, "Lab summary", resolvedFont(17, 22)));
    LayoutTree after = before;
    after.views[1].fill = Color::white.opacity(0.16);
    after.views[4].text = "73 bpm";

    Renderer patched({390, 844}, 3);
    patched.render(before);
    patched.render(after);
    ASSERT_EQ(patched.lastRepaint(), Repaint::region);
    Renderer whole({390, 844}, 3);
    whole.render(after);
    EXPECT_EQ(maxChannelDifference(patched, whole), 0);
}

TEST(Renderer, ResizeStartsAFreshFrame) {
    Renderer renderer({390, 844}, 3);
    renderer.render(windowTree());
    renderer.resize({200, 100}, 2);
    EXPECT_EQ(renderer.pixelWidth(), 400);
    EXPECT_EQ(renderer.pixelHeight(), 200);
    EXPECT_EQ(pixelAt(renderer, 10, 10).a, 0);
    // A tree of another size resizes by itself.
    EXPECT_TRUE(renderer.render(windowTree(320, 568, 2)));
    EXPECT_EQ(renderer.pixelWidth(), 640);
    EXPECT_EQ(renderer.pixelHeight(), 1136);
    EXPECT_EQ(pixelAt(renderer, 639, 1135).a, 255);
}

TEST(Renderer, WritesTheFrameAsPng) {
    Renderer renderer({120, 80}, 2);
    LayoutTree tree = windowTree(120, 80, 2);
    tree.views.push_back(roundedFill({10, 10, 60, 40}, Color::pink));
    renderer.render(tree);
    std::string path = testing::TempDir() + "/norvel-renderer-test.png";
    ASSERT_TRUE(renderer.writePng(path));

    cairo_surface_t* png = cairo_image_surface_create_from_png(path.c_str());
    ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(png), 240);
    EXPECT_EQ(cairo_image_surface_get_height(png), 160);
    std::uint32_t a, b;
    std::memcpy(
        &a, cairo_image_surface_get_data(png) + 60 * cairo_image_surface_get_stride(png) + 4 * 60,
        4);
    std::memcpy(&b, renderer.pixels() + 60 * renderer.stride() + 4 * 60, 4);
    EXPECT_EQ(a, b);
    cairo_surface_destroy(png);
    std::filesystem::remove(path);

    EXPECT_FALSE(renderer.writePng("/nonexistent-dir/frame.png"));
}

}  // namespace
}  // namespace ui
