#include <gtest/gtest.h>

#include <cmath>

#include "tests/toolkit/render/RenderTestTrees.hpp"
#include "toolkit/render/FramePainter.hpp"

namespace ui {
namespace {

using test::resolvedFont;
using test::roundedFill;
using test::textEntry;
using test::windowTree;

LayoutTree dashboardLike() {
    LayoutTree tree = windowTree();
    tree.views.push_back(roundedFill({20, 100, 169, 120}, Color::white.opacity(0.08)));
    tree.views.push_back(roundedFill({201, 100, 169, 120}, Color::white.opacity(0.08)));
    tree.views.push_back(textEntry({36, 116, 100, 28}, "120/80", resolvedFont(22, 28)));
    tree.views.push_back(textEntry({20, 700, 300, 20}, "Lab summary", resolvedFont(17, 22)));
    return tree;
}

TEST(FramePainter, UnchangedFramePaintsNothing) {
    FramePainter painter;
    RecordingCanvas canvas;
    EXPECT_EQ(painter.paint(buildDisplayList(dashboardLike()), canvas), Repaint::full);
    std::size_t opsAfterFirst = canvas.ops.size();

    EXPECT_EQ(painter.paint(buildDisplayList(dashboardLike()), canvas), Repaint::none);
    EXPECT_EQ(canvas.frames.size(), 1u);
    EXPECT_EQ(canvas.ops.size(), opsAfterFirst);
}

TEST(FramePainter, SmallChangeRepaintsOnlyItsRegion) {
    FramePainter painter;
    RecordingCanvas canvas;
    LayoutTree tree = dashboardLike();
    painter.paint(buildDisplayList(tree), canvas);
    canvas.ops.clear();

    tree.views[1].fill = Color::white.opacity(0.2);  // the first card lights up
    EXPECT_EQ(painter.paint(buildDisplayList(tree), canvas), Repaint::region);
    ASSERT_EQ(canvas.frames.size(), 2u);
    ASSERT_TRUE(canvas.frames[1].has_value());
    const Rect& region = *canvas.frames[1];
    EXPECT_EQ(region, painter.lastRegion());
    // The region holds the card and stays well clear of the other card.
    EXPECT_LE(region.minX(), 20);
    EXPECT_GE(region.maxX(), 189);
    EXPECT_LE(region.minY(), 100);
    EXPECT_GE(region.maxY(), 220);
    EXPECT_LT(region.maxX(), 201);
    // Its edges are whole device pixels.
    for (double edge : {region.minX(), region.minY(), region.maxX(), region.maxY()}) {
        EXPECT_NEAR(edge * 3, std::round(edge * 3), 1e-9);
    }
    // Repainted: the background under the card, the card, and the text on
    // it; not the other card or the far-away text.
    auto fills = canvas.opsOf<FillPath>();
    ASSERT_EQ(fills.size(), 2u);
    EXPECT_EQ(fills[1].style, Style(Color::white.opacity(0.2)));
    auto texts = canvas.opsOf<DrawText>();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "120/80");
}

TEST(FramePainter, MovedClipRepaintsBothOfItsPlaces) {
    LayoutTree tree = dashboardLike();
    for (std::size_t i = 1; i < tree.views.size(); ++i) tree.views[i].clip = {0, 90, 390, 200};
    FramePainter painter;
    RecordingCanvas canvas;
    painter.paint(buildDisplayList(tree), canvas);
    for (std::size_t i = 1; i < tree.views.size(); ++i) tree.views[i].clip = {0, 95, 390, 200};
    // The far text is culled by both clips, so the lists still line up.
    EXPECT_EQ(painter.paint(buildDisplayList(tree), canvas), Repaint::region);
    EXPECT_LE(painter.lastRegion().minY(), 90);
    EXPECT_GE(painter.lastRegion().maxY(), 295);
}

struct FullRepaintCase {
    const char* name;
    void (*change)(LayoutTree&);
};

class FullRepaint : public testing::TestWithParam<FullRepaintCase> {};

TEST_P(FullRepaint, WhenTheFrameCannotBePatched) {
    FramePainter painter;
    RecordingCanvas canvas;
    LayoutTree tree = dashboardLike();
    painter.paint(buildDisplayList(tree), canvas);
    GetParam().change(tree);
    EXPECT_EQ(painter.paint(buildDisplayList(tree), canvas), Repaint::full);
    EXPECT_FALSE(canvas.frames.back().has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Changes, FullRepaint,
    testing::Values(
        FullRepaintCase{"entryAdded",
                        [](LayoutTree& t) {
                            t.views.push_back(roundedFill({20, 300, 50, 50}, Color::white));
                        }},
        FullRepaintCase{"scrolled",
                        [](LayoutTree& t) {
                            for (std::size_t i = 1; i < t.views.size(); ++i)
                                t.views[i].frame.y -= 40;
                        }},
        FullRepaintCase{"backgroundChanged",
                        [](LayoutTree& t) {
                            t.views[0].fill = LinearGradient{{Color::black, Color::white}};
                        }},
        FullRepaintCase{"resized", [](LayoutTree& t) { t.size.height = 800; }},
        FullRepaintCase{"rescaled", [](LayoutTree& t) { t.scale = 2; }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FramePainter, InvalidatedPainterRepaintsEvenAnUnchangedFrame) {
    FramePainter painter;
    RecordingCanvas canvas;
    painter.paint(buildDisplayList(dashboardLike()), canvas);
    painter.invalidate();
    EXPECT_EQ(painter.paint(buildDisplayList(dashboardLike()), canvas), Repaint::full);
}

TEST(FramePainter, ChangeOutsideTheWindowPaintsNothing) {
    DisplayList a = buildDisplayList(dashboardLike());
    DisplayList b = a;
    // Built lists cull what cannot show; a hand-made list may still carry it.
    a.ops.push_back(FillPath{{{0, 2000, 10, 10}}, Color::white, 1});
    b.ops.push_back(FillPath{{{0, 2100, 10, 10}}, Color::white, 1});
    FramePainter painter;
    RecordingCanvas canvas;
    painter.paint(a, canvas);
    EXPECT_EQ(painter.paint(b, canvas), Repaint::none);
    EXPECT_EQ(canvas.frames.size(), 1u);
}

}  // namespace
}  // namespace ui
