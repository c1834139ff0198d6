#include "tests/CaseName.hpp"
#include "tests/toolkit/layout/LayoutTestSupport.hpp"

#include <set>

namespace ui::testing {
namespace {

// Cells that fill their column, so their frames show the columns.
View cell(double height) {
    return Rectangle().frame(Frame::maxWidth(infinity)).frame(Frame::fixed(std::nullopt, height));
}

View grid(std::vector<View> cells) {
    return LazyVGrid(GridItem::adaptive(150, infinity, 12), HorizontalAlignment::center, 12,
                     std::move(cells));
}

class GridColumns : public LayoutTest,
                    public ::testing::WithParamInterface<std::pair<double, int>> {};

TEST_P(GridColumns, AsManyMinimumWidthColumnsAsFit) {
    auto [width, columns] = GetParam();
    std::vector<View> cells;
    for (int i = 0; i < 5; ++i) cells.push_back(cell(20));
    LayoutTree tree = layout(grid(cells), {width, 400});
    const double columnWidth = (width - (columns - 1) * 12) / columns;
    const double left = nthKind(tree, EntryKind::grid).frame.x;
    for (int i = 0; i < 5; ++i) {
        const Rect r = nthKind(tree, EntryKind::rectangle, i).frame;
        EXPECT_DOUBLE_EQ(r.width, columnWidth) << "cell " << i;
        EXPECT_DOUBLE_EQ(r.x - left, (i % columns) * (columnWidth + 12)) << "cell " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Widths, GridColumns,
    ::testing::Values(std::pair{200.0, 1}, std::pair{311.0, 1}, std::pair{312.0, 2},
                      std::pair{350.0, 2}, std::pair{473.0, 2}, std::pair{474.0, 3},
                      std::pair{635.0, 3}, std::pair{636.0, 4}, std::pair{1000.0, 6}),
    testsupport::namedBy([](const std::pair<double, int>& c) {
        return ::testing::PrintToString(c.first) + "pt " + std::to_string(c.second) + " columns";
    }));

TEST_F(LayoutTest, GridRowsAreAsTallAsTheirTallestCellWhichCentresTheOthers) {
    LayoutTree tree = layout(grid({cell(20), cell(40), cell(30)}), {350, 82});
    EXPECT_EQ(nthKind(tree, EntryKind::grid).frame, (Rect{0, 0, 350, 40 + 12 + 30}));
    EXPECT_EQ(nthKind(tree, EntryKind::rectangle, 0).frame, (Rect{0, 10, 169, 20}));
    EXPECT_EQ(nthKind(tree, EntryKind::rectangle, 1).frame, (Rect{181, 0, 169, 40}));
    EXPECT_EQ(nthKind(tree, EntryKind::rectangle, 2).frame, (Rect{0, 52, 169, 30}));
}

TEST_F(LayoutTest, ScrollViewOffersUnspecifiedHeightAndTakesAllItIsOffered) {
    LayoutTree tree = layout(ScrollView(VStack({Rectangle(), box(50, 30)})), {390, 844});
    EXPECT_EQ(nthKind(tree, EntryKind::scrollView).frame, (Rect{0, 0, 390, 844}));
    EXPECT_EQ(nthKind(tree, EntryKind::vStack).frame, (Rect{0, 0, 390, 10 + 8 + 30}));  // content at the top
    EXPECT_EQ(nthKind(tree, EntryKind::scrollView).contentHeight, 48);
    // Narrower content is centred across the scroll view.
    LayoutTree narrow = layout(ScrollView(box(100, 30)), {390, 844});
    EXPECT_EQ(nthKind(narrow, EntryKind::rectangle).frame, (Rect{145, 0, 100, 30}));
}

class ScrollOffset : public LayoutTest,
                     public ::testing::WithParamInterface<std::pair<double, double>> {};

TEST_P(ScrollOffset, IsClampedToTheContent) {
    // Plain variables: clang 14 cannot capture structured bindings.
    const double asked = GetParam().first;
    const double applied = GetParam().second;
    std::string seenKey;
    // Clang 14 cannot capture a structured binding, hence the init-capture.
    engine.setScrollOffsets([&seenKey, asked = asked](const std::string& key) {
        seenKey = key;
        return asked;
    });
    LayoutTree tree = layout(ScrollView(box(100, 1000)).padding(Edges::top, 44), {390, 844});
    const LaidOutView& scroll = nthKind(tree, EntryKind::scrollView);
    EXPECT_EQ(scroll.place, seenKey);
    EXPECT_EQ(scroll.scrollOffset, applied);
    EXPECT_EQ(scroll.contentHeight, 1000);
    const LaidOutView& content = nthKind(tree, EntryKind::rectangle);
    EXPECT_EQ(content.frame.y, 44 - applied);
    EXPECT_EQ(content.clip, scroll.frame);
    EXPECT_EQ(scroll.clip, Rect::infinite());
}

INSTANTIATE_TEST_SUITE_P(Offsets, ScrollOffset,
                         ::testing::Values(std::pair{0.0, 0.0}, std::pair{100.0, 100.0},
                                           std::pair{1e6, 1000.0 - 800}, std::pair{-50.0, 0.0}),
                         testsupport::namedBy([](const std::pair<double, double>& c) {
                             return "to " + ::testing::PrintToString(c.first);
                         }));

TEST_F(LayoutTest, PlacesFollowStructureNotNodeIdentityAndNameOneEntryEach) {
    auto screen = [] {
        return NavigationStack(
            VStack({Text::verbatim("a").background(Rectangle()).overlay(Rectangle()),
                    ScrollView(VStack({Text::verbatim("b")})), ScrollView(Text::verbatim("c"))})
                .toolbar({ToolbarItem{ToolbarPlacement::topBarTrailing, Text::verbatim("d")}}));
    };
    LayoutTree first = layout(screen());
    LayoutTree again = layout(screen());
    ASSERT_EQ(first.views.size(), again.views.size());
    std::set<std::string> seen;
    for (std::size_t i = 0; i < first.views.size(); ++i) {
        EXPECT_EQ(first.views[i].place, again.views[i].place);
        EXPECT_TRUE(seen.insert(first.views[i].place).second) << first.views[i].place;
    }
    const std::string key0 = nthKind(first, EntryKind::scrollView, 0).place;
    EXPECT_EQ(key0.rfind("/", 0), 0u);  // the screen layer's name is empty

    LayoutTree sheet;
    const Layer layer{LayerKind::sheet, "k"};
    engine.layout(screen(), {0, 0, 390, 800}, {}, sheet, layer, 3);
    EXPECT_EQ(nthKind(sheet, EntryKind::scrollView).place, "sheet:k" + key0);
    EXPECT_EQ(sheet.views[0].parent, 3);
    EXPECT_EQ(sheet.views[0].layer, layer);
}

}  // namespace
}  // namespace ui::testing
