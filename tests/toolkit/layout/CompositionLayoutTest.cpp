// Compositions shaped like the app's screens, checked against the geometry
// they must produce.

#include "tests/toolkit/layout/LayoutTestSupport.hpp"

namespace ui::testing {
namespace {

View metricCard(const std::string& title, const std::string& value, const std::string& detail) {
    return VStack(
               HorizontalAlignment::leading, 14,
               {Image("heart").font(Font::title2).foregroundStyle(Color::cyan),
                VStack(
                    HorizontalAlignment::leading, 6,
                    {Text::verbatim(title).font(Font::subheadline.weight(Font::Weight::semibold)),
                     Text::verbatim(value).font(Font::title2.weight(Font::Weight::bold)),
                     Text::verbatim(detail).font(Font::caption).fixedSize(false, true)})})
        .frame(Frame::maxWidth(infinity, Alignment::leading))
        .padding(16)
        .background(Color::white.opacity(0.08), RoundedRectangle(8, CornerStyle::continuous))
        .overlay(
            RoundedRectangle(8, CornerStyle::continuous).stroke(Color::white.opacity(0.12), 1));
}

View appointmentRow(const std::string& time, const std::string& title) {
    return HStack(VerticalAlignment::center, 14,
                  {Text::verbatim(time)
                       .font(Font::system(Font::TextStyle::subheadline, Font::Design::monospaced,
                                          Font::Weight::semibold))
                       .foregroundStyle(Color::mint)
                       .frame(Frame::width(54, Alignment::leading)),
                   VStack(HorizontalAlignment::leading, 4,
                          {Text::verbatim(title).font(Font::body.weight(Font::Weight::semibold)),
                           Text::verbatim("Room CTF-1").font(Font::caption)}),
                   Spacer()})
        .padding(Edges::vertical, 12);
}

View appointmentCard() {
    return VStack(HorizontalAlignment::center, 0,
                  {appointmentRow("09:30", "Posture scan"),
                   Divider().overlay(Color::white.opacity(0.12)),
                   appointmentRow("13:15", "Blood Test review")})
        .padding(Edges::horizontal, 16)
        .background(Color::white.opacity(0.07), RoundedRectangle(8, CornerStyle::continuous));
}

View dashboard() {
    View header =
        HStack(VerticalAlignment::center, 12,
               {RoundedRectangle(8, CornerStyle::continuous).frame(48, 48),
                Text::verbatim("Norvel Health").font(Font::system(30, Font::Weight::bold))});
    View grid = LazyVGrid(GridItem::adaptive(150, infinity, 12), HorizontalAlignment::center, 12,
                          {metricCard("Blood Presssure", "120/80", "Right on target"),
                           metricCard("Pulse", "72", "Still ticking"),
                           metricCard("Hydration Level", "2.4 L", "Water target met")});
    return ScrollView(VStack(HorizontalAlignment::leading, 24, {header, grid, appointmentCard()})
                          .padding(20))
        .background(
            LinearGradient{
                {Color::black, Color::white}, UnitPoint::topLeading, UnitPoint::bottomTrailing},
            Edges::all);
}

TEST_F(LayoutTest, MetricCardPlacesSymbolAndTextsFromItsEdges) {
    LayoutTree tree = layout(dashboard());
    const LaidOutView& card = nthKind(tree, EntryKind::roundedRectangle, 1);  // after the badge
    const LaidOutView& symbol = nthKind(tree, EntryKind::image);
    EXPECT_EQ(card.frame.x, 20);
    EXPECT_EQ(card.frame.width, 169);
    EXPECT_EQ(symbol.frame.x, card.frame.x + 16);
    EXPECT_EQ(symbol.frame.y, card.frame.y + 16);
    const LaidOutView& title = withText(tree, "Blood Presssure");
    const LaidOutView& value = withText(tree, "120/80");
    const LaidOutView& detail = withText(tree, "Right on target");
    EXPECT_EQ(title.frame.x, card.frame.x + 16);
    EXPECT_DOUBLE_EQ(title.frame.y, symbol.frame.maxY() + 14);
    EXPECT_DOUBLE_EQ(value.frame.y, title.frame.maxY() + 6);
    EXPECT_DOUBLE_EQ(detail.frame.y, value.frame.maxY() + 6);
    EXPECT_DOUBLE_EQ(card.frame.maxY(), detail.frame.maxY() + 16);
    // Background, content, then the outline over the same rectangle.
    const int cardIndex = findKind(tree, EntryKind::roundedRectangle, 1);
    EXPECT_EQ(tree.views[static_cast<std::size_t>(cardIndex) + 1].kind, EntryKind::vStack);
    const LaidOutView& outline = nthKind(tree, EntryKind::roundedRectangle, 2);
    EXPECT_EQ(outline.frame, card.frame);
    EXPECT_EQ(outline.lineWidth, 1);
    // The second card starts one column and one gap further.
    EXPECT_EQ(withText(tree, "Pulse").frame.x, 20 + 169 + 12 + 16);
}

TEST_F(LayoutTest, AppointmentTitlesLineUp84PointsFromTheCardEdge) {
    LayoutTree tree = layout(dashboard());
    const LaidOutView& card =
        nthKind(tree, EntryKind::roundedRectangle, 7);  // badge, then three cards of two
    for (const char* title : {"Posture scan", "Blood Test review"}) {
        EXPECT_EQ(withText(tree, title).frame.x, card.frame.x + 84) << title;
    }
    const LaidOutView& time = withText(tree, "09:30");
    EXPECT_EQ(time.frame.x, card.frame.x + 16);
    EXPECT_EQ(time.outerFrame.width, 54);
    // Each row is 24 taller than its taller column; the divider spans the
    // card's content and touches both rows.
    const LaidOutView& title = withText(tree, "Posture scan");
    const LaidOutView& divider = nthKind(tree, EntryKind::divider);
    EXPECT_EQ(divider.frame.x, card.frame.x + 16);
    EXPECT_EQ(divider.frame.width, card.frame.width - 32);
    EXPECT_EQ(divider.frame.y, card.frame.y + 12 + (22 + 4 + 16) + 12);
    EXPECT_EQ(withText(tree, "13:15").frame.y, divider.frame.maxY() + 12 + (42 - 20) / 2.0);
    EXPECT_EQ(title.frame.y, card.frame.y + 12);
}

TEST_F(LayoutTest, DashboardSectionsAreExactly24Apart) {
    LayoutTree tree = layout(dashboard(), {390, 844}, {47, 0, 34, 0});
    const int stack = findKind(tree, EntryKind::vStack);
    std::vector<Rect> sections;
    for (const LaidOutView& v : tree.views) {
        if (v.parent == stack) sections.push_back(v.outerFrame);
    }
    // The grid's cards hang off the grid; their backgrounds are not sections.
    ASSERT_EQ(sections.size(), 4u);  // header, grid, card background, card
    EXPECT_EQ(sections[1].y - sections[0].maxY(), 24);
    EXPECT_EQ(sections[2].y - sections[1].maxY(), 24);
    EXPECT_EQ(nthKind(tree, EntryKind::grid).frame, (Rect{20, sections[1].y, 350, sections[1].height}));
    EXPECT_EQ(nthKind(tree, EntryKind::scrollView).frame, (Rect{0, 47, 390, 763}));
    EXPECT_EQ(tree.views[0].frame, (Rect{0, 0, 390, 844}));  // gradient under the system bars
    EXPECT_GT(engine.stats().cacheHits, 0u);
}

}  // namespace
}  // namespace ui::testing
