#include "tests/CaseName.hpp"
#include "tests/toolkit/layout/LayoutTestSupport.hpp"

namespace ui::testing {
namespace {

using ModifierLayout = LayoutTest;

TEST_F(ModifierLayout, FixedFrameReportsItsSidesAndAlignsTheChild) {
    // "hi" is 17 wide; the frame is 54 wide and as tall as the text.
    LayoutTree leading =
        layout(Text::verbatim("hi").frame(Frame::width(54, Alignment::leading)), {54, 22});
    EXPECT_EQ(withText(leading, "hi").frame, (Rect{0, 0, 17, 22}));
    EXPECT_EQ(withText(leading, "hi").outerFrame, (Rect{0, 0, 54, 22}));

    LayoutTree corner = layout(box(10, 10).frame(40, 30, Alignment::bottomTrailing), {40, 30});
    EXPECT_EQ(nthKind(corner, EntryKind::rectangle).frame, (Rect{30, 20, 10, 10}));
}

struct FlexCase {
    Frame frame;
    View child;
    ProposedSize proposal;
    Size expected;
};

class FlexibleFrame : public LayoutTest, public ::testing::WithParamInterface<int> {
  protected:
    static Frame minimumWidth(double w) {
        Frame f;
        f.minimumWidth = w;
        return f;
    }
    static std::vector<FlexCase> cases() {
        auto text = Text::verbatim("abcd");  // 34 × 22
        return {
            {Frame::maxWidth(infinity), text, {200, 50}, {200, 22}},          // takes the proposal
            {Frame::maxWidth(infinity), box(300, 10), {200, 50}, {300, 10}},  // or the larger child
            {Frame::maxWidth(infinity), text, {}, {34, 22}},  // ideal when unspecified
            {Frame::maxWidth(80), Rectangle(), {200, 50}, {80, 50}},
            {minimumWidth(100), box(30, 10), {50, 50}, {100, 10}},
        };
    }
};

TEST_P(FlexibleFrame, SizesAsTheBoundsAndProposalSay) {
    const FlexCase c = cases()[static_cast<std::size_t>(GetParam())];
    EXPECT_EQ(sizeOf(c.child.frame(c.frame), c.proposal), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, FlexibleFrame, ::testing::Range(0, 5),
                         testsupport::namedBy([](int i) {
                             static const char* const names[] = {
                                 "TakesTheProposal", "OrTheLargerChild", "IdealWhenUnspecified",
                                 "MaxWidthCaps", "MinWidthRaises"};
                             return std::string(names[i]);
                         }));

TEST_F(ModifierLayout, PaddingShrinksTheProposalNeverBelowZero) {
    LayoutTree tree = layout(Rectangle().padding(), {100, 100});
    EXPECT_EQ(nthKind(tree, EntryKind::rectangle).frame, (Rect{16, 16, 68, 68}));
    EXPECT_EQ(nthKind(tree, EntryKind::rectangle).outerFrame, (Rect{0, 0, 100, 100}));

    EXPECT_EQ(sizeOf(Rectangle().padding(60), {100, 100}), (Size{120, 120}));
    EXPECT_EQ(
        sizeOf(Text::verbatim("ab").padding(Edges::horizontal, 12).padding(Edges::vertical, 10),
               {}),
        (Size{17 + 24, 22 + 20}));
}

TEST_F(ModifierLayout, FixedSizeAsksForTheIdealSizeOnItsAxes) {
    const std::string text = "aaaa bbbb cccc";
    // Squeezed into 40 × 20 a text shows one line (and is cut)...
    LayoutTree squeezed = layout(VStack({Text::verbatim(text)}).frame(40, 20), {40, 20});
    EXPECT_EQ(withText(squeezed, text).frame.height, 22);
    EXPECT_TRUE(withText(squeezed, text).truncated);
    // ...unless it is fixed vertically: then it wraps and takes all its lines.
    LayoutTree fixed =
        layout(VStack({Text::verbatim(text).fixedSize(false, true)}).frame(40, 20), {40, 20});
    EXPECT_EQ(withText(fixed, text).frame.height, 66);
    EXPECT_FALSE(withText(fixed, text).truncated);
    // Fixed horizontally it stays on one line and overflows.
    EXPECT_EQ(sizeOf(Text::verbatim(text).fixedSize(), {40, 20}), (Size{14 * 8.5, 22}));
}

TEST_F(ModifierLayout, BackgroundAndOverlayTakeItsSizeAndBracketItsEntries) {
    const Color fill = Color::white.opacity(0.08), line = Color::white.opacity(0.12);
    View view = VStack({Text::verbatim("abc")})
                    .padding(10)
                    .background(fill, RoundedRectangle(8, CornerStyle::continuous))
                    .overlay(RoundedRectangle(8, CornerStyle::continuous).stroke(line, 1));
    LayoutTree tree = layout(view, {100, 100});
    EXPECT_EQ(kinds(tree),
              (std::vector<EntryKind>{EntryKind::roundedRectangle, EntryKind::vStack, EntryKind::text, EntryKind::roundedRectangle}));
    const Rect padded{(100 - 45.5) / 2, (100 - 42) / 2, 45.5, 42};
    EXPECT_EQ(tree.views[0].frame, padded);
    EXPECT_EQ(tree.views[3].frame, padded);
    EXPECT_EQ(tree.views[1].outerFrame, padded);
    EXPECT_EQ(tree.views[2].frame, (Rect{padded.x + 10, padded.y + 10, 25.5, 22}));
    EXPECT_EQ(tree.views[2].parent, 1);
    EXPECT_EQ(tree.views[0].fill, std::optional<Style>(fill));
    EXPECT_EQ(tree.views[3].stroke, std::optional<Style>(line));
    EXPECT_FALSE(tree.views[3].fill);
    EXPECT_EQ(tree.views[0].cornerStyle, CornerStyle::continuous);

    // A secondary is offered exactly the decorated size, and centred in it.
    LayoutTree text = layout(box(40, 80).background(Text::verbatim("aaaaaaaaaa")), {40, 80});
    EXPECT_EQ(withText(text, "aaaaaaaaaa").frame, (Rect{3, 7, 34, 66}));
}

TEST_F(ModifierLayout, BackgroundIgnoringTheSafeAreaRunsToTheEdgesItTouches) {
    const EdgeInsets safe{47, 0, 34, 0};
    LayoutTree full = layout(Rectangle().background(Color::blue, Edges::all), {390, 844}, safe);
    EXPECT_EQ(full.views[0].frame, (Rect{0, 0, 390, 844}));
    EXPECT_EQ(full.views[1].frame, (Rect{0, 47, 390, 763}));

    LayoutTree topOnly = layout(Rectangle().background(Color::blue, Edges::top), {390, 844}, safe);
    EXPECT_EQ(topOnly.views[0].frame, (Rect{0, 0, 390, 810}));

    LayoutTree inside = layout(box(100, 100).background(Color::blue, Edges::all), {390, 844}, safe);
    EXPECT_EQ(inside.views[0].frame, inside.views[1].frame);
}

TEST_F(ModifierLayout, GesturesAndAccessibilityFoldIntoTheModifiedEntry) {
    bool pressed = false;
    View badge =
        ZStack({RoundedRectangle(8, CornerStyle::continuous).fill(Color::cyan).frame(48, 48),
                Image("cross.case.fill").font(Font::title2)})
            .contentShape(Rectangle())
            .padding(2)  // not part of the touch area
            .onLongPressGesture(1.2, 10, [&] { pressed = true; })
            .padding(4)
            .accessibilityLabel(LocalizedString::verbatimText("Badge"));
    LayoutTree tree = layout(VStack({badge, Text::verbatim("name")}), {100, 100});
    const LaidOutView& zstack = nthKind(tree, EntryKind::zStack);
    ASSERT_NE(zstack.longPress, nullptr);
    EXPECT_EQ(zstack.longPress->minimumDuration, 1.2);
    zstack.longPress->action();
    EXPECT_TRUE(pressed);
    EXPECT_EQ(zstack.hitFrame, zstack.frame);  // the content shape's rectangle
    EXPECT_EQ(zstack.frame.width, 48);
    EXPECT_EQ(zstack.outerFrame.width, 60);
    EXPECT_EQ(zstack.accessibilityLabel, "Badge");
    const LaidOutView& name = withText(tree, "name");
    EXPECT_EQ(name.longPress, nullptr);
    EXPECT_EQ(name.hitFrame, name.outerFrame);
    EXPECT_EQ(name.accessibilityLabel, "name");
}

}  // namespace
}  // namespace ui::testing
