#include "tests/CaseName.hpp"
#include "tests/toolkit/layout/LayoutTestSupport.hpp"
#include "toolkit/core/StringTable.hpp"

namespace ui::testing {
namespace {

using TextLayout = LayoutTest;

TEST_F(TextLayout, OneLineWithoutAWidthAndWrappedWithOne) {
    EXPECT_EQ(sizeOf(Text::verbatim("aaaa bbbb"), {}), (Size{9 * 8.5, 22}));
    EXPECT_EQ(sizeOf(Text::verbatim("aaaa bbbb"), {40, std::nullopt}), (Size{4 * 8.5, 44}));
    // A word wider than the proposal is broken, and the answer never
    // exceeds the proposal.
    EXPECT_EQ(sizeOf(Text::verbatim("abcdefghij"), {20, std::nullopt}), (Size{17, 5 * 22}));
}

// A caption (6 points a character) of ten characters is 60 wide.
struct ShrinkCase {
    double width;
    double fontScale;
    bool truncated;
};

class ShrinkToFit : public LayoutTest, public ::testing::WithParamInterface<ShrinkCase> {};

TEST_P(ShrinkToFit, ShrinksUniformlyThenTruncates) {
    const ShrinkCase c = GetParam();
    LayoutTree tree = layout(
        Text::verbatim("aaaaaaaaaa").font(Font::caption).lineLimit(1).minimumScaleFactor(0.8),
        {c.width, 100});
    const LaidOutView& text = withText(tree, "aaaaaaaaaa");
    EXPECT_DOUBLE_EQ(text.fontScale, c.fontScale);
    EXPECT_EQ(text.truncated, c.truncated);
    EXPECT_LE(text.frame.width, c.width);
    EXPECT_EQ(text.font->pointSize(), 12);  // nominal
    EXPECT_DOUBLE_EQ(text.resolvedFont.size, 12 * c.fontScale);
    EXPECT_DOUBLE_EQ(text.frame.height, 16 * c.fontScale);
    EXPECT_EQ(text.lineLimit, 1);
}

INSTANTIATE_TEST_SUITE_P(Widths, ShrinkToFit,
                         ::testing::Values(ShrinkCase{80, 1, false}, ShrinkCase{60, 1, false},
                                           ShrinkCase{54, 0.9, false}, ShrinkCase{48, 0.8, false},
                                           ShrinkCase{40, 0.8, true}),
                         testsupport::namedBy([](const ShrinkCase& c) {
                             return ::testing::PrintToString(c.width) + "pt";
                         }));

TEST_F(TextLayout, SeveralLinesShrinkToTheLargestFactorThatFits) {
    // At full size the third line is cut; "aaaa aaaa" (9 × 6 = 54) must fit
    // in 50, so the factor lands just under 50/54.
    LayoutTree tree = layout(
        Text::verbatim("aaaa aaaa aaaa").font(Font::caption).lineLimit(2).minimumScaleFactor(0.5),
        {50, 100});
    const LaidOutView& text = withText(tree, "aaaa aaaa aaaa");
    EXPECT_FALSE(text.truncated);
    EXPECT_GT(text.fontScale, 0.9);
    EXPECT_LE(text.fontScale, 50.0 / 54);
    EXPECT_DOUBLE_EQ(text.frame.height, 2 * 16 * text.fontScale);

    LayoutTree cut =
        layout(Text::verbatim("aaaa aaaa aaaa").font(Font::caption).lineLimit(2), {50, 100});
    EXPECT_TRUE(withText(cut, "aaaa aaaa aaaa").truncated);
    EXPECT_EQ(withText(cut, "aaaa aaaa aaaa").fontScale, 1);
}

TEST_F(TextLayout, EntriesCarryTheInheritedEnvironment) {
    setStringTable([](const std::string& key) {
        return key == "Demo chart for Patient: %@" ? "Patient: %@!" : key;
    });
    View view = VStack({Text("Demo chart for Patient: %@", "%@ John"),
                        Text::verbatim("Demo chart for Patient: %@").foregroundStyle(Color::mint),
                        Text("plain").textSelection(true)})
                    .font(Font::headline)
                    .foregroundStyle(Color::white.opacity(0.86));
    LayoutTree tree = layout(view);
    setStringTable({});

    const LaidOutView& looked =
        withText(tree, "Patient: %@ John!");  // the argument is not looked up
    EXPECT_EQ(looked.font, Font::headline);
    EXPECT_EQ(looked.resolvedFont.weight, Font::Weight::semibold);
    EXPECT_EQ(looked.foreground, std::optional<Style>(Color::white.opacity(0.86)));
    EXPECT_EQ(looked.accessibilityLabel, "Patient: %@ John!");
    EXPECT_FALSE(looked.selectable);
    EXPECT_EQ(withText(tree, "Demo chart for Patient: %@").foreground,
              std::optional<Style>(Color::mint));
    EXPECT_TRUE(withText(tree, "plain").selectable);

    LayoutTree plain = layout(Text::verbatim("x"));
    EXPECT_EQ(plain.views[0].foreground, std::optional<Style>(Color::white));
    EXPECT_EQ(plain.views[0].font, Font::body);
}

// Measures as the fixed-advance fake does, and keeps every text it is given.
class RecordingMeasurer : public FixedAdvanceMeasurer {
  public:
    TextMetrics measure(std::string_view text, const ResolvedFont& font, std::optional<double> width,
                        int lineLimit) override {
        measured.emplace_back(text);
        return FixedAdvanceMeasurer::measure(text, font, width, lineLimit);
    }
    std::vector<std::string> measured;
};

TEST(TextNulLayout, ANulIsMeasuredAndShownAsAReplacementCharacter) {
    using namespace std::string_literals;
    RecordingMeasurer measurer;
    LayoutEngine engine{measurer};
    LayoutTree tree;
    engine.layout(VStack({Text::verbatim("Jane\0Roe"s), Text("Patient: %@", "Jane\0\0Roe"s)}),
                  {0, 0, 390, 844}, {}, tree);

    const std::string verbatim = "Jane\uFFFDRoe";
    const std::string argument = "Patient: Jane\uFFFD\uFFFDRoe";
    EXPECT_EQ(withText(tree, verbatim).accessibilityLabel, verbatim);
    EXPECT_EQ(withText(tree, argument).accessibilityLabel, argument);
    // The painter and the copy menu read the entry's text; the measurer must
    // have sized that same text, never one cut at a NUL.
    ASSERT_FALSE(measurer.measured.empty());
    for (const std::string& text : measurer.measured) {
        EXPECT_TRUE(text == verbatim || text == argument) << text;
    }
}

TEST_F(TextLayout, SymbolsTakeTheirSizeFromTheSurroundingFont) {
    EXPECT_EQ(sizeOf(Image("heart").font(Font::title2), {}), (Size{22 * 1.2, 22 * 1.2}));
    EXPECT_EQ(sizeOf(Image("calendar"), {0, 0}), (Size{17 * 1.2, 17 * 1.2}));
    EXPECT_EQ(sizeOf(Image("no.such.symbol"), {}), (Size{0, 17 * 1.2}));
    LayoutTree tree = layout(Image("drop.fill").foregroundStyle(Color::blue));
    EXPECT_EQ(tree.views[0].symbol, "drop.fill");
    EXPECT_EQ(tree.views[0].foreground, std::optional<Style>(Color::blue));
}

TEST_F(TextLayout, LabelIsSymbolGapAndTitleInOneEntry) {
    // Caption: 12 points, symbol box 14.4, gap 4.2, "Click to Open" 13 × 6 = 78.
    View label = Label("Click to Open", "photo").font(Font::caption.weight(Font::Weight::bold));
    EXPECT_DOUBLE_EQ(sizeOf(label, {}).width, 14.4 + 4.2 + 78);
    LayoutTree tree = layout(label, {96.6, 16});
    ASSERT_EQ(tree.views.size(), 1u);
    const LaidOutView& v = tree.views[0];
    EXPECT_EQ(v.kind, EntryKind::label);
    EXPECT_EQ(v.text, "Click to Open");
    EXPECT_EQ(v.symbol, "photo");
    EXPECT_NEAR(v.symbolFrame.y - v.frame.y, (16 - 14.4) / 2, 1e-9);
    EXPECT_NEAR(v.textFrame.x - v.frame.x, 14.4 + 4.2, 1e-9);
    EXPECT_NEAR(v.textFrame.width, 78, 1e-9);

    // Only the title shrinks: of the 84.6 offered, 18.6 go to symbol and gap.
    LayoutTree narrow = layout(label.lineLimit(1).minimumScaleFactor(0.75), {84.6, 16});
    EXPECT_NEAR(narrow.views[0].fontScale, 66.0 / 78, 1e-9);
    EXPECT_FALSE(narrow.views[0].truncated);
    EXPECT_DOUBLE_EQ(narrow.views[0].symbolFrame.width, 14.4);
}

}  // namespace
}  // namespace ui::testing
