#include "tests/toolkit/layout/LayoutTestSupport.hpp"

namespace ui::testing {
namespace {

using ControlsLayout = LayoutTest;

TEST_F(ControlsLayout, AutomaticButtonsDrawTheirLabelInTheAccentOrTint) {
    int taps = 0;
    LayoutTree tree =
        layout(VStack({Button("Done", [&] { ++taps; }), Button("Tinted", [] {}).tint(Color::pink),
                       Button("OK", ButtonRole::cancel)}));
    const int done = findKind(tree, EntryKind::button);
    const LaidOutView& button = tree.views[static_cast<std::size_t>(done)];
    EXPECT_TRUE(button.isButton);
    EXPECT_EQ(button.accessibilityLabel, "Done");
    EXPECT_EQ(button.frame, withText(tree, "Done").frame);
    EXPECT_EQ(withText(tree, "Done").parent, done);
    EXPECT_EQ(withText(tree, "Done").foreground, std::optional<Style>(Color::blue));
    button.buttonAction();
    EXPECT_EQ(taps, 1);
    EXPECT_EQ(withText(tree, "Tinted").foreground, std::optional<Style>(Color::pink));
    EXPECT_EQ(nthKind(tree, EntryKind::button, 2).buttonRole, ButtonRole::cancel);
    EXPECT_EQ(withText(tree, "OK").font->resolvedWeight(), Font::Weight::semibold);
    EXPECT_EQ(withText(tree, "Done").font->resolvedWeight(), Font::Weight::regular);
}

TEST_F(ControlsLayout, BorderedProminentButtonPadsItsLabelOnATintedFill) {
    View button = Button([] {}, Label("Click to Open", "photo")
                                    .font(Font::caption.weight(Font::Weight::bold))
                                    .lineLimit(1)
                                    .minimumScaleFactor(0.75))
                      .buttonStyle(ButtonStyleKind::borderedProminent)
                      .tint(Color::pink.opacity(0.62))
                      .accessibilityHint(LocalizedString("Links to bundled imaging asset %@",
                                                         "norvel_chest_xray.jpg"));
    LayoutTree tree = layout(button, {200, 100});
    const LaidOutView& b = nthKind(tree, EntryKind::button);
    const LaidOutView& label = nthKind(tree, EntryKind::label);
    EXPECT_DOUBLE_EQ(b.frame.width, label.frame.width + 24);
    EXPECT_DOUBLE_EQ(b.frame.height, 16 + 14);
    EXPECT_DOUBLE_EQ(label.frame.x - b.frame.x, 12);
    EXPECT_DOUBLE_EQ(label.frame.y - b.frame.y, 7);
    EXPECT_EQ(b.fill, std::optional<Style>(Color::pink.opacity(0.62)));
    EXPECT_EQ(b.cornerRadius, 8);
    EXPECT_EQ(b.cornerStyle, CornerStyle::continuous);
    EXPECT_EQ(label.foreground, std::optional<Style>(Color::white));
    EXPECT_EQ(b.accessibilityHint, "Links to bundled imaging asset norvel_chest_xray.jpg");
    EXPECT_EQ(b.accessibilityLabel, "Click to Open");
    EXPECT_FALSE(label.accessibilityHint);
}

TEST_F(ControlsLayout, DividerIsOneDevicePixelAcrossItsStack) {
    engine.setScale(3);
    LayoutTree tree = layout(VStack(HorizontalAlignment::center, 0,
                                    {Divider().overlay(Color::white.opacity(0.12)),
                                     HStack(VerticalAlignment::center, 0, {Divider(), box(10, 10)})
                                         .frame(Frame::fixed(std::nullopt, 30))}),
                             {100, 200});
    const LaidOutView& across = nthKind(tree, EntryKind::divider, 0);
    EXPECT_DOUBLE_EQ(across.frame.width, 100);
    EXPECT_DOUBLE_EQ(across.frame.height, 1.0 / 3);
    EXPECT_EQ(across.fill, std::optional<Style>(Color::rgb255(84, 84, 88, 0.6)));
    // The overlay lies over the divider with its thickness.
    EXPECT_EQ(tree.views[static_cast<std::size_t>(findKind(tree, EntryKind::divider)) + 1].frame,
              across.frame);
    const LaidOutView& upright = nthKind(tree, EntryKind::divider, 1);
    EXPECT_DOUBLE_EQ(upright.frame.width, 1.0 / 3);
    EXPECT_DOUBLE_EQ(upright.frame.height, 30);
    EXPECT_EQ(tree.scale, 3);
}

TEST_F(ControlsLayout, ShapesFillTheProposalAndTheForegroundStyle) {
    EXPECT_EQ(sizeOf(Rectangle(), {}), (Size{10, 10}));
    LinearGradient gradient{
        {Color::black, Color::white}, UnitPoint::topLeading, UnitPoint::bottomTrailing};
    LayoutTree tree = layout(
        ZStack({gradientView(gradient), Rectangle(), RoundedRectangle(8).stroke(Color::mint, 2)})
            .foregroundStyle(Color::orange),
        {50, 60});
    EXPECT_EQ(tree.views[1].kind, EntryKind::linearGradient);
    EXPECT_EQ(tree.views[1].fill, std::optional<Style>(gradient));
    EXPECT_EQ(tree.views[2].frame, (Rect{0, 0, 50, 60}));
    EXPECT_EQ(tree.views[2].fill, std::optional<Style>(Color::orange));
    EXPECT_EQ(tree.views[3].stroke, std::optional<Style>(Color::mint));
    EXPECT_EQ(tree.views[3].lineWidth, 2);
    EXPECT_FALSE(tree.views[3].fill);
}

TEST_F(ControlsLayout, NavigationStackPutsTheBarAndItsItemsAboveTheRoot) {
    bool dismissed = false;
    LinearGradient gradient{{Color::black, Color::white}};
    View screen =
        NavigationStack(ScrollView(VStack({Text::verbatim("body")}).padding(20))
                            .background(gradient, Edges::all)
                            .toolbar({ToolbarItem{ToolbarPlacement::topBarTrailing,
                                                  Button("Done", [&] { dismissed = true; })}}));
    LayoutTree tree = layout(screen, {390, 800}, {20, 0, 0, 0});
    EXPECT_EQ(kinds(tree),
              (std::vector<EntryKind>{EntryKind::navigationStack, EntryKind::rectangle, EntryKind::scrollView, EntryKind::vStack,
                                        EntryKind::text, EntryKind::navigationBar, EntryKind::button, EntryKind::text}));
    EXPECT_EQ(tree.views[0].frame, (Rect{0, 20, 390, 780}));
    EXPECT_EQ(tree.views[1].frame, (Rect{0, 0, 390, 800}));  // the gradient runs under the bars
    EXPECT_EQ(tree.views[2].frame, (Rect{0, 64, 390, 736}));
    EXPECT_EQ(withText(tree, "body").frame.y, 84);
    EXPECT_EQ(tree.views[5].frame, (Rect{0, 20, 390, 44}));
    EXPECT_EQ(tree.views[5].parent, 0);
    EXPECT_FALSE(tree.views[5].fill);
    EXPECT_EQ(tree.views[6].parent, 5);
    EXPECT_EQ(tree.views[6].frame, (Rect{390 - 16 - 34, 31, 34, 22}));
    EXPECT_EQ(tree.views[7].font, Font::body);
    EXPECT_EQ(tree.views[7].foreground, std::optional<Style>(Color::blue));
    tree.views[6].buttonAction();
    EXPECT_TRUE(dismissed);
}

struct Counter {
    State<bool> isOn{false};
    auto dynamicProperties() { return std::tie(isOn); }
    View body() const {
        return HStack({Text::verbatim(isOn.wrappedValue() ? "on" : "off"), Spacer()}).padding(4);
    }
};

TEST_F(ControlsLayout, ComponentsAreEvaluatedWhenLaidOutDirectly) {
    LayoutTree tree = layout(VStack({Counter{}, Counter{}}), {100, 100});
    EXPECT_GT(findKind(tree, EntryKind::hStack, 1), 0);
    EXPECT_EQ(withText(tree, "off").frame.x, 4);
    EXPECT_EQ(nthKind(tree, EntryKind::spacer).frame.maxX(), 96);
}

}  // namespace
}  // namespace ui::testing
