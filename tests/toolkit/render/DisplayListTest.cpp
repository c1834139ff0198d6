#include <gtest/gtest.h>

#include "tests/toolkit/render/RenderTestTrees.hpp"
#include "toolkit/render/Canvas.hpp"
#include "toolkit/render/DisplayList.hpp"

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

RecordingCanvas record(const LayoutTree& tree) {
    RecordingCanvas canvas;
    replay(buildDisplayList(tree), canvas);
    return canvas;
}

TEST(DisplayList, CardPaintsBackgroundThenCentredOutline) {
    LayoutTree tree = windowTree();
    Rect card{20, 100, 169, 120};
    tree.views.push_back(entry(EntryKind::vStack, card));
    tree.views.push_back(roundedFill(card, Color::white.opacity(0.08)));
    tree.views.push_back(roundedStroke(card, Color::white.opacity(0.12), 1));

    RecordingCanvas canvas = record(tree);
    auto fills = canvas.opsOf<FillPath>();
    ASSERT_EQ(fills.size(), 2u);
    EXPECT_EQ(fills[0].style, Style(kDashboardGradient));
    EXPECT_EQ(fills[0].shape.rect, (Rect{0, 0, 390, 844}));
    EXPECT_EQ(fills[1].style, Style(Color(1, 1, 1, 0.08)));
    EXPECT_EQ(fills[1].shape.cornerStyle, CornerStyle::continuous);
    EXPECT_EQ(fills[1].shape.cornerRadius, 8);

    auto strokes = canvas.opsOf<StrokePath>();
    ASSERT_EQ(strokes.size(), 1u);
    // Centred on the outline: the stroke follows the shape's own edge, not
    // an inset one, so half the line lies outside.
    EXPECT_EQ(strokes[0].shape.rect, card);
    EXPECT_EQ(strokes[0].lineWidth, 1);
    EXPECT_EQ(strokes[0].style, Style(Color(1, 1, 1, 0.12)));
    // ...and the outline handed to the raster starts 1.528665·r into the top edge.
    EXPECT_NEAR(canvas.outlines.back().front().points[0].x, 20 + kContinuousCornerExtent * 8, 1e-9);
}

TEST(DisplayList, ContainersAndSpacersPaintNothing) {
    LayoutTree tree;
    tree.size = {390, 844};
    tree.scale = 3;
    for (EntryKind kind : {EntryKind::vStack, EntryKind::hStack, EntryKind::zStack, EntryKind::scrollView,
                           EntryKind::grid, EntryKind::spacer, EntryKind::navigationStack}) {
        tree.views.push_back(entry(kind, {0, 0, 390, 844}));
    }
    EXPECT_TRUE(buildDisplayList(tree).ops.empty());
}

TEST(DisplayList, ProminentButtonFillsItsTintedShapeUnderItsLabel) {
    LayoutTree tree = windowTree();
    LaidOutView button = entry(EntryKind::button, {200, 400, 150, 34});
    button.fill = Color::pink.opacity(0.62);
    button.shapeKind = ShapeNode::Kind::roundedRectangle;
    button.cornerRadius = 8;
    button.cornerStyle = CornerStyle::continuous;
    button.isButton = true;
    tree.views.push_back(button);
    LaidOutView label = entry(EntryKind::label, {212, 407, 126, 20});
    label.text = "Click to Open";
    label.symbol = "photo";
    label.symbolFrame = {212, 407, 20, 20};
    label.textFrame = {238, 407, 100, 20};
    label.resolvedFont = resolvedFont(15, 20, Font::Weight::semibold);
    label.foreground = Color::white;
    tree.views.push_back(label);

    DisplayList list = buildDisplayList(tree);
    ASSERT_EQ(list.ops.size(), 4u);
    const auto& body = std::get<FillPath>(list.ops[1]);
    EXPECT_EQ(body.style, Style(Color::pink.opacity(0.62)));
    EXPECT_EQ(body.shape.rect, button.frame);
    EXPECT_EQ(body.shape.cornerRadius, 8);
    const auto& title = std::get<DrawText>(list.ops[2]);
    EXPECT_EQ(title.text, "Click to Open");
    EXPECT_EQ(title.rect, label.textFrame);
    EXPECT_EQ(title.font, label.resolvedFont);
    const auto& icon = std::get<DrawSymbol>(list.ops[3]);
    EXPECT_EQ(icon.codepoint, 0xE410u);
    EXPECT_EQ(icon.rect, label.symbolFrame);
    EXPECT_EQ(icon.size, 15);
}

// The ring goes around the focused button, outside its continuous corners,
// in its accent made opaque; it is drawn after the rest of the button's
// layer, so its own layer never covers it and a presentation above does.
TEST(DisplayList, TheFocusRingFollowsTheFocusedShapeAboveItsLayerOnly) {
    LayoutTree tree = windowTree();
    LaidOutView button = roundedFill({200, 400, 150, 34}, Color::pink.opacity(0.62));
    button.kind = EntryKind::button;
    button.isButton = true;
    button.accent = Color::pink.opacity(0.62);
    button.focused = true;
    tree.views.push_back(button);
    tree.views.push_back(textEntry({20, 420, 300, 40}, "later on the screen", resolvedFont(15, 20)));
    LaidOutView backdrop = entry(EntryKind::rectangle, {0, 0, 390, 844});
    backdrop.fill = Color::black.opacity(0.4);
    backdrop.layer = {LayerKind::alert, "a"};
    tree.views.push_back(backdrop);

    EXPECT_TRUE(record(tree).opsOf<StrokePath>().empty()) << "no keyboard use: no ring";
    tree.focusRingShown = true;
    RecordingCanvas canvas = record(tree);
    auto strokes = canvas.opsOf<StrokePath>();
    ASSERT_EQ(strokes.size(), 1u);
    EXPECT_EQ(strokes[0].shape.rect, (Rect{198, 398, 154, 38}));
    EXPECT_EQ(strokes[0].shape.cornerRadius, 10);
    EXPECT_EQ(strokes[0].shape.cornerStyle, CornerStyle::continuous);
    EXPECT_EQ(strokes[0].lineWidth, 2);
    EXPECT_EQ(strokes[0].style, Style(Color::pink));
    std::vector<std::size_t> order;
    for (const DisplayOp& op : canvas.ops) order.push_back(op.index());
    const std::vector<std::size_t> expected{DisplayOp(FillPath{}).index(), DisplayOp(FillPath{}).index(),
                                            DisplayOp(DrawText{}).index(), DisplayOp(StrokePath{}).index(),
                                            DisplayOp(FillPath{}).index()};
    EXPECT_EQ(order, expected) << "backdrop, button, later text, ring, then the alert";
}

struct ForegroundCase {
    const char* name;
    std::optional<Style> foreground;
    Color expected;
};

class TextForeground : public testing::TestWithParam<ForegroundCase> {};

TEST_P(TextForeground, TextsAndSymbolsTakeOneColour) {
    LayoutTree tree = windowTree();
    LaidOutView text = textEntry({16, 16, 100, 20}, "Pulse", resolvedFont(15, 20));
    text.foreground = GetParam().foreground;
    tree.views.push_back(text);
    LaidOutView image = imageEntry({16, 60, 22, 28}, "heart", 22, Color::black);
    image.foreground = GetParam().foreground;
    tree.views.push_back(image);

    RecordingCanvas canvas = record(tree);
    ASSERT_EQ(canvas.opsOf<DrawText>().size(), 1u);
    ASSERT_EQ(canvas.opsOf<DrawSymbol>().size(), 1u);
    EXPECT_EQ(canvas.opsOf<DrawText>()[0].color, GetParam().expected);
    EXPECT_EQ(canvas.opsOf<DrawSymbol>()[0].color, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Styles, TextForeground,
                         testing::Values(ForegroundCase{"colour", Style(Color::cyan), Color::cyan},
                                         ForegroundCase{"gradient", Style(kDashboardGradient),
                                                        Color(0.04, 0.11, 0.16)},
                                         ForegroundCase{"none", std::nullopt, Color::white}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DisplayList, UnknownSymbolDrawsNothingButItsTitleStillShows) {
    LayoutTree tree = windowTree();
    tree.views.push_back(imageEntry({16, 60, 22, 28}, "no.such.symbol", 22, Color::cyan));
    LaidOutView label = entry(EntryKind::label, {16, 100, 120, 20});
    label.text = "Today";
    label.symbol = "also.not.a.symbol";
    label.symbolFrame = {16, 100, 17, 20};
    label.textFrame = {40, 100, 96, 20};
    tree.views.push_back(label);

    RecordingCanvas canvas = record(tree);
    EXPECT_TRUE(canvas.opsOf<DrawSymbol>().empty());
    ASSERT_EQ(canvas.opsOf<DrawText>().size(), 1u);
    EXPECT_EQ(canvas.opsOf<DrawText>()[0].rect, label.textFrame);
}

TEST(DisplayList, OpacityReachesEveryOperationOfTheEntry) {
    LayoutTree tree = windowTree();
    LaidOutView card = roundedFill({20, 100, 100, 100}, Color::white.opacity(0.5));
    card.stroke = Color::white;
    card.lineWidth = 2;
    card.text = "Dimmed";
    card.symbol = "photo";
    card.opacity = 0.4;
    tree.views.push_back(card);
    LaidOutView hidden = roundedFill({20, 300, 100, 100}, Color::white);
    hidden.opacity = 0;
    tree.views.push_back(hidden);

    DisplayList list = buildDisplayList(tree);
    ASSERT_EQ(list.ops.size(), 5u);  // the gradient, then fill, stroke, text, symbol
    EXPECT_EQ(std::get<FillPath>(list.ops[1]).opacity, 0.4);
    EXPECT_EQ(std::get<StrokePath>(list.ops[2]).opacity, 0.4);
    EXPECT_EQ(std::get<DrawText>(list.ops[3]).opacity, 0.4);
    EXPECT_EQ(std::get<DrawSymbol>(list.ops[4]).opacity, 0.4);
    // The colour keeps its own opacity; the canvas multiplies the two.
    EXPECT_EQ(std::get<FillPath>(list.ops[1]).style, Style(Color(1, 1, 1, 0.5)));
}

TEST(DisplayList, EntriesSharingAClipShareOnePushAndPop) {
    LayoutTree tree = windowTree();
    Rect scroll{0, 100, 390, 600};
    for (double y : {120.0, 240.0, 360.0}) {
        LaidOutView card = roundedFill({20, y, 350, 100}, Color::white.opacity(0.08));
        card.clip = scroll;
        tree.views.push_back(card);
    }
    LaidOutView sheetCard = roundedFill({20, 720, 350, 100}, Color::white.opacity(0.08));
    sheetCard.clip = {0, 700, 390, 144};
    tree.views.push_back(sheetCard);
    LaidOutView unclipped = textEntry({20, 10, 200, 20}, "Norvel Health", resolvedFont(17, 22));
    tree.views.push_back(unclipped);
    LaidOutView wholeWindow = roundedFill({20, 40, 100, 20}, Color::white);
    wholeWindow.clip = {-10, -10, 500, 1000};  // holds the window: clips nothing
    tree.views.push_back(wholeWindow);

    RecordingCanvas canvas = record(tree);
    EXPECT_EQ(canvas.opsOf<PushClip>().size(), 2u);
    EXPECT_EQ(canvas.opsOf<PopClip>().size(), 2u);
    EXPECT_EQ(canvas.opsOf<PushClip>()[0].rect, scroll);
    EXPECT_EQ(canvas.clipErrors(), 0);
    EXPECT_EQ(canvas.maxClipDepth(), 1);
    // The text after the clipped cards is drawn outside any clip.
    EXPECT_TRUE(std::holds_alternative<PopClip>(canvas.ops[canvas.ops.size() - 3]));
    EXPECT_TRUE(std::holds_alternative<DrawText>(canvas.ops[canvas.ops.size() - 2]));
}

TEST(DisplayList, ListEndingInsideAClipStillCloses) {
    LayoutTree tree = windowTree();
    LaidOutView card = roundedFill({20, 120, 350, 100}, Color::white);
    card.clip = {0, 100, 390, 600};
    tree.views.push_back(card);
    RecordingCanvas canvas = record(tree);
    EXPECT_EQ(canvas.clipErrors(), 0);
    EXPECT_TRUE(std::holds_alternative<PopClip>(canvas.ops.back()));
}

TEST(DisplayList, WhatCannotShowIsLeftOut) {
    LayoutTree tree = windowTree();
    LaidOutView scrolledAway = roundedFill({20, 40, 350, 50}, Color::white);
    scrolledAway.clip = {0, 100, 390, 600};
    tree.views.push_back(scrolledAway);
    tree.views.push_back(roundedFill({20, 900, 350, 100}, Color::white));  // below the window
    LaidOutView partly = roundedFill({20, 650, 350, 100}, Color::white);
    partly.clip = {0, 100, 390, 600};
    tree.views.push_back(partly);

    RecordingCanvas canvas = record(tree);
    auto fills = canvas.opsOf<FillPath>();
    ASSERT_EQ(fills.size(), 2u);
    EXPECT_EQ(fills[1].shape.rect.y, 650);
    EXPECT_EQ(canvas.clipErrors(), 0);
}

TEST(DisplayList, TruncatedSingleLineKeepsAWidthForItsEllipsis) {
    LayoutTree tree = windowTree();
    LaidOutView text = textEntry({20, 20, 80, 16}, "A very long clinic name", resolvedFont(12, 16));
    text.truncated = true;
    text.lineLimit = 1;
    tree.views.push_back(text);
    LaidOutView wrapped =
        textEntry({20, 60, 120, 48}, "Wraps over three lines of text", resolvedFont(12, 16));
    wrapped.wrapWidth = 130;
    tree.views.push_back(wrapped);

    auto texts = record(tree).opsOf<DrawText>();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].wrapWidth, std::optional<double>(80));
    EXPECT_EQ(texts[0].lineLimit, 1);
    EXPECT_EQ(texts[1].wrapWidth, std::optional<double>(130));
}

TEST(DisplayList, BareShapeTakesTheForegroundStyle) {
    LayoutTree tree = windowTree();
    LaidOutView shape = entry(EntryKind::rectangle, {0, 0, 50, 50});
    shape.foreground = Color::mint;
    tree.views.push_back(shape);
    LaidOutView plainText = textEntry({0, 60, 50, 20}, "x", resolvedFont(12, 16), Color::mint);
    tree.views.push_back(plainText);  // a text's foreground colours the text, not a fill

    auto fills = record(tree).opsOf<FillPath>();
    ASSERT_EQ(fills.size(), 2u);
    EXPECT_EQ(fills[1].style, Style(Color::mint));
}

TEST(DisplayList, EqualTreesGiveEqualListsAndAnyVisibleChangeShows) {
    LayoutTree a = windowTree();
    a.views.push_back(roundedFill({20, 100, 100, 100}, Color::white.opacity(0.08)));
    a.views.push_back(textEntry({30, 110, 80, 20}, "72 bpm", resolvedFont(22, 28)));
    LayoutTree b = a;
    EXPECT_EQ(buildDisplayList(a), buildDisplayList(b));

    b.views.back().text = "73 bpm";
    EXPECT_NE(buildDisplayList(a), buildDisplayList(b));
    b = a;
    b.views[1].frame.y += 0.5;
    EXPECT_NE(buildDisplayList(a), buildDisplayList(b));
    b = a;
    b.scale = 2;
    EXPECT_NE(buildDisplayList(a), buildDisplayList(b));
    // Entries that paint nothing may change freely.
    b = a;
    b.views.push_back(entry(EntryKind::spacer, {0, 0, 10, 10}));
    EXPECT_EQ(buildDisplayList(a), buildDisplayList(b));
}

}  // namespace
}  // namespace ui
