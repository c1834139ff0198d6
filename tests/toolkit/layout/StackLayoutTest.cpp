#include "tests/CaseName.hpp"
#include "tests/toolkit/layout/LayoutTestSupport.hpp"

namespace ui::testing {
namespace {

using StackLayout = LayoutTest;

TEST_F(StackLayout, ExplicitSpacingStandsOnBothSidesOfASpacer) {
    LayoutTree tree = layout(
        HStack(VerticalAlignment::center, 14, {box(10, 10), Spacer(), box(20, 10)}), {200, 50});
    const Rect a = nthKind(tree, EntryKind::rectangle, 0).frame;
    const Rect spacer = nthKind(tree, EntryKind::spacer).frame;
    const Rect b = nthKind(tree, EntryKind::rectangle, 1).frame;
    EXPECT_EQ(spacer.minX() - a.maxX(), 14);
    EXPECT_EQ(b.minX() - spacer.maxX(), 14);
    EXPECT_EQ(spacer.width, 200 - 30 - 28);
    EXPECT_EQ(b.maxX(), 200);
    EXPECT_EQ(a.y, 20);  // the 10-high stack is centred in the 50-high window
}

TEST_F(StackLayout, DefaultGapIsEightBetweenViewsAndNoneNextToSpacers) {
    LayoutTree tree = layout(HStack({box(10, 10), box(10, 10), Spacer(), box(10, 10)}), {200, 50});
    EXPECT_EQ(nthKind(tree, EntryKind::rectangle, 1).frame.x, 18);
    EXPECT_EQ(nthKind(tree, EntryKind::spacer).frame, (Rect{28, 25, 162, 0}));  // centred in the 10-high row
    EXPECT_EQ(nthKind(tree, EntryKind::rectangle, 2).frame.x, 190);
}

TEST_F(StackLayout, LeastFlexibleChildIsSizedFirst) {
    // The fixed box goes first although it is written second, so the text is
    // offered what the box leaves (50) and wraps; source order is kept on screen.
    LayoutTree tree = layout(
        HStack(VerticalAlignment::top, 0, {Text::verbatim("aaaaaaaa"), box(100, 10)}), {150, 100});
    const LaidOutView& text = withText(tree, "aaaaaaaa");
    EXPECT_EQ(text.frame.width, 5 * 8.5);
    EXPECT_EQ(text.frame.height, 44);
    EXPECT_EQ(nthKind(tree, EntryKind::rectangle).frame.x, text.frame.maxX());
}

TEST_F(StackLayout, SpacersKeepTheirMinimumAndShareWhatIsLeft) {
    // The box (least flexible) takes 40, the text the remaining 200 - 40 - 12
    // and wraps to 17 characters; the spacer gets the rest, reserve included.
    LayoutTree tree =
        layout(HStack({Text::verbatim(std::string(30, 'x')), Spacer(12), box(40, 10)}), {200, 100});
    EXPECT_EQ(withText(tree, std::string(30, 'x')).frame.width, 17 * 8.5);
    EXPECT_EQ(nthKind(tree, EntryKind::spacer).frame.width, 148 - 17 * 8.5 + 12);
    EXPECT_EQ(nthKind(tree, EntryKind::rectangle).frame.maxX(), 200);

    LayoutTree shared =
        layout(HStack(VerticalAlignment::center, 0, {Spacer(), box(10, 10), Spacer()}), {110, 10});
    EXPECT_EQ(nthKind(shared, EntryKind::spacer, 0).frame.width, 50);
    EXPECT_EQ(nthKind(shared, EntryKind::rectangle).frame.x, 50);
}

TEST_F(StackLayout, FlexibleChildrenSplitTheRemainderEqually) {
    EXPECT_EQ(sizeOf(HStack(VerticalAlignment::center, 0, {Rectangle(), Rectangle(), box(60, 5)}),
                     {300, 20}),
              (Size{300, 20}));
    LayoutTree tree = layout(
        HStack(VerticalAlignment::center, 0, {Rectangle(), Rectangle(), box(60, 5)}), {300, 20});
    EXPECT_EQ(nthKind(tree, EntryKind::rectangle, 0).frame.width, 120);
    EXPECT_EQ(nthKind(tree, EntryKind::rectangle, 1).frame.x, 120);
}

TEST_F(StackLayout, UnspecifiedLengthGivesEveryChildItsIdealSize) {
    // A Rectangle's ideal height is 10; across the stack it still takes the
    // offered width.
    EXPECT_EQ(sizeOf(VStack(HorizontalAlignment::center, 0, {Rectangle(), box(30, 7)}),
                     {100, std::nullopt}),
              (Size{100, 17}));
    EXPECT_EQ(sizeOf(VStack({Text::verbatim("ab"), Spacer()}), {}), (Size{17, 22 + 8}));
}

class StackAlignment
    : public LayoutTest,
      public ::testing::WithParamInterface<std::pair<HorizontalAlignment, double>> {};

TEST_P(StackAlignment, PlacesChildrenAcrossTheUnionOfTheirWidths) {
    auto [alignment, x] = GetParam();
    LayoutTree tree = layout(VStack(alignment, 5, {box(10, 10), box(30, 10)}), {30, 25});
    EXPECT_EQ(nthKind(tree, EntryKind::vStack).frame, (Rect{0, 0, 30, 25}));
    EXPECT_EQ(nthKind(tree, EntryKind::rectangle, 0).frame, (Rect{x, 0, 10, 10}));
    EXPECT_EQ(nthKind(tree, EntryKind::rectangle, 1).frame, (Rect{0, 15, 30, 10}));
}

INSTANTIATE_TEST_SUITE_P(All, StackAlignment,
                         ::testing::Values(std::pair{HorizontalAlignment::leading, 0.0},
                                           std::pair{HorizontalAlignment::center, 10.0},
                                           std::pair{HorizontalAlignment::trailing, 20.0}),
                         testsupport::namedBy([](const std::pair<HorizontalAlignment, double>& c) {
                             static const char* const names[] = {"leading", "center", "trailing"};
                             return std::string(names[static_cast<int>(c.first)]);
                         }));

TEST_F(StackLayout, GroupsAreFlattenedAndEmptyViewsTakeNoGap) {
    View stack = VStack(HorizontalAlignment::center, 10,
                        {Group({box(10, 10), box(10, 10)}), EmptyView(), box(10, 10)});
    EXPECT_EQ(sizeOf(stack, {}), (Size{10, 50}));
    LayoutTree tree = layout(stack, {10, 50});
    EXPECT_EQ(kinds(tree),
              (std::vector<EntryKind>{EntryKind::vStack, EntryKind::rectangle, EntryKind::rectangle, EntryKind::rectangle}));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(nthKind(tree, EntryKind::rectangle, i).parent, 0);
}

TEST_F(StackLayout, NestedStacksStayPolynomialThroughTheCache) {
    // Every level asks its children three questions; without the per-pass
    // cache twelve levels would take 3^12 queries.
    View view = Text::verbatim("leaf");
    for (int depth = 0; depth < 12; ++depth) view = HStack({view, box(4, 4)});
    layout(view, {390, 100});
    EXPECT_LT(engine.stats().sizeQueries, 1000u);
    EXPECT_GT(engine.stats().cacheHits, engine.stats().sizeQueries / 3);
}

}  // namespace
}  // namespace ui::testing
