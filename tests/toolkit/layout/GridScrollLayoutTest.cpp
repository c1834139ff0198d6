#include "tests/CaseName.hpp"
#include "tests/toolkit/layout/LayoutTestSupport.hpp"

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
    const double left = nthKind(tree, "Grid").frame.x;
    for (int i = 0; i < 5; ++i) {
        const Rect r = nthKind(tree, "Rectangle", i).frame;
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
    EXPECT_EQ(nthKind(tree, "Grid").frame, (Rect{0, 0, 350, 40 + 12 + 30}));
    EXPECT_EQ(nthKind(tree, "Rectangle", 0).frame, (Rect{0, 10, 169, 20}));
    EXPECT_EQ(nthKind(tree, "Rectangle", 1).frame, (Rect{181, 0, 169, 40}));
    EXPECT_EQ(nthKind(tree, "Rectangle", 2).frame, (Rect{0, 52, 169, 30}));
}

TEST_F(LayoutTest, ScrollViewOffersUnspecifiedHeightAndTakesAllItIsOffered) {
    LayoutTree tree = layout(ScrollView(VStack({Rectangle(), box(50, 30)})), {390, 844});
    EXPECT_EQ(nthKind(tree, "ScrollView").frame, (Rect{0, 0, 390, 844}));
    EXPECT_EQ(nthKind(tree, "VStack").frame, (Rect{0, 0, 390, 10 + 8 + 30}));  // content at the top
    EXPECT_EQ(nthKind(tree, "ScrollView").contentHeight, 48);
    // Narrower content is centred across the scroll view.
    LayoutTree narrow = layout(ScrollView(box(100, 30)), {390, 844});
    EXPECT_EQ(nthKind(narrow, "Rectangle").frame, (Rect{145, 0, 100, 30}));
}

class ScrollOffset : public LayoutTest,
                     public ::testing::WithParamInterface<std::pair<double, double>> {};

TEST_P(ScrollOffset, IsClampedToTheContent) {
    auto [asked, applied] = GetParam();
    std::string seenKey;
    // Clang 14 cannot capture a structured binding, hence the init-capture.
    engine.setScrollOffsets([&seenKey, asked = asked](const std::string& key) {
        seenKey = key;
        return asked;
    });
    LayoutTree tree = layout(ScrollView(box(100, 1000)).padding(Edges::top, 44), {390, 844});
    const LaidOutView& scroll = nthKind(tree, "ScrollView");
    EXPECT_EQ(scroll.scrollKey, seenKey);
    EXPECT_EQ(scroll.scrollOffset, applied);
    EXPECT_EQ(scroll.contentHeight, 1000);
    const LaidOutView& content = nthKind(tree, "Rectangle");
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

TEST_F(LayoutTest, ScrollKeysFollowStructureNotNodeIdentity) {
    auto screen = [] {
        return VStack({Text::verbatim("a"), ScrollView(VStack({Text::verbatim("b")})),
                       ScrollView(Text::verbatim("c"))});
    };
    LayoutTree first = layout(screen());
    LayoutTree again = layout(screen());
    const std::string key0 = nthKind(first, "ScrollView", 0).scrollKey;
    EXPECT_EQ(key0, nthKind(again, "ScrollView", 0).scrollKey);
    EXPECT_EQ(nthKind(first, "ScrollView", 1).scrollKey, nthKind(again, "ScrollView", 1).scrollKey);
    EXPECT_NE(key0, nthKind(first, "ScrollView", 1).scrollKey);
    EXPECT_EQ(key0.rfind("/", 0), 0u);  // the root layer's name is empty

    LayoutTree sheet;
    engine.layout(screen(), {0, 0, 390, 800}, {}, sheet, "sheet", 3);
    EXPECT_EQ(nthKind(sheet, "ScrollView").scrollKey, "sheet" + key0);
    EXPECT_EQ(sheet.views[0].parent, 3);
    EXPECT_EQ(sheet.views[0].layer, "sheet");
}

}  // namespace
}  // namespace ui::testing
