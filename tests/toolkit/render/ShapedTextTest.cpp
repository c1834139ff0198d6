#include <gtest/gtest.h>
#include <pango/pangocairo.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/CaseName.hpp"
#include "toolkit/render/PangoText.hpp"
#include "toolkit/render/ShapedText.hpp"

namespace ui::text {
namespace {

constexpr const char* kDisclaimer =
    "All information is fictional and not suitable for actual healthcare decisions.";
// Hebrew is set right to left; the app's fonts reach it through DejaVu
// Sans Mono, so the line boxes mix two fonts' ascents and descents.
constexpr const char* kHebrew = "שלום עולם, מה שלומך היום? הכל בסדר גמור";

struct Case {
    std::string text;
    std::string font;
    std::optional<double> width;
    int lineLimit;
};

std::ostream& operator<<(std::ostream& out, const Case& c) {
    return out << "\"" << c.text << "\" in " << c.font << " at "
               << (c.width ? std::to_string(*c.width) : "no width") << ", limit " << c.lineLimit;
}

// What Pango itself reports for the same layout: the text's logical box and
// each line's box relative to it.
struct PangoBoxes {
    double width;
    std::vector<double> x, lineWidth, ascent, height;
};

PangoBoxes pangoBoxes(const Case& c) {
    PangoLayout* layout = pango_layout_new(sharedContext());
    configureLayout(layout, c.text, fontDescription(c.font), c.width, c.lineLimit);
    PangoRectangle box;
    pango_layout_get_extents(layout, nullptr, &box);
    PangoBoxes boxes{pango_units_to_double(box.width), {}, {}, {}, {}};
    PangoLayoutIter* iter = pango_layout_get_iter(layout);
    do {
        PangoRectangle line;
        pango_layout_iter_get_line_extents(iter, nullptr, &line);
        boxes.x.push_back(pango_units_to_double(line.x - box.x));
        boxes.lineWidth.push_back(pango_units_to_double(line.width));
        boxes.ascent.push_back(
            pango_units_to_double(pango_layout_iter_get_baseline(iter) - line.y));
        boxes.height.push_back(pango_units_to_double(line.height));
    } while (pango_layout_iter_next_line(iter));
    pango_layout_iter_free(iter);
    g_object_unref(layout);
    return boxes;
}

class LineBoxes : public testing::TestWithParam<Case> {};

TEST_P(LineBoxes, AgreeWithPangosOwnExtents) {
    const Case& c = GetParam();
    ShapedText shaped(c.text, fontDescription(c.font), c.width, c.lineLimit);
    PangoBoxes expected = pangoBoxes(c);
    // Pango units are 1/1024 point; both sides add up the same integers.
    constexpr double kUnit = 1.0 / PANGO_SCALE;
    EXPECT_NEAR(shaped.width(), expected.width, kUnit);
    ASSERT_EQ(shaped.lines().size(), expected.x.size());
    for (std::size_t i = 0; i < expected.x.size(); ++i) {
        const ShapedLine& line = shaped.lines()[i];
        if (line.empty()) continue;  // nothing is drawn on an empty line
        EXPECT_NEAR(line.x, expected.x[i], kUnit) << "line " << i;
        EXPECT_NEAR(line.width, expected.lineWidth[i], kUnit) << "line " << i;
        EXPECT_NEAR(line.ascent, expected.ascent[i], kUnit) << "line " << i;
        EXPECT_NEAR(line.height, expected.height[i], kUnit) << "line " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LineBoxes,
    testing::Values(Case{"Norvel Health", "Inter Bold 30px", std::nullopt, 0},
                    Case{"Blood Pressure", "Inter Semi-Bold 15px", 137, 0},
                    Case{kDisclaimer, "Inter 15px", 350, 0},
                    Case{kDisclaimer, "Inter 15px", 120, 2}, Case{kDisclaimer, "Inter 12px", 90, 1},
                    Case{"trailing spaces   ", "Inter 15px", std::nullopt, 0},
                    Case{"wrapped before spaces   and after", "Inter 15px", 60, 0},
                    Case{"Clinic\n\nRoute\n", "Inter 17px", std::nullopt, 0},
                    Case{"norvel_chest_xray_study_2024_final.jpg", "JetBrains Mono 13px", 60, 0},
                    Case{"Größe: 1,82 m — Gewicht ≈ 80 kg", "Inter Medium 13px", std::nullopt, 0},
                    Case{kHebrew, "Inter 15px", std::nullopt, 0},
                    Case{kHebrew, "Inter 15px", 120, 0}, Case{kHebrew, "Inter 15px", 120, 2},
                    Case{"\xEE\xA9\xA2", "Material Icons 22px", std::nullopt, 0}),
    testsupport::namedBy([](const Case& c) { return c.text.substr(0, 16) + " " + c.font; }));

TEST(ShapedText, TextThatFitsIsLaidOutInItsNaturalBox) {
    // Two paragraphs of opposite directions, offered far more width than
    // they need: the text's box is its natural box, whatever the width.
    const std::string text = "Norvel Downtown Clinic, Building C\nשלום עולם";
    ShapedText natural(text, fontDescription("Inter 15px"), std::nullopt, 0);
    ShapedText roomy(text, fontDescription("Inter 15px"), 1000, 0);
    EXPECT_FALSE(roomy.constrained());
    EXPECT_DOUBLE_EQ(roomy.width(), natural.width());
    ASSERT_EQ(roomy.lines().size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_DOUBLE_EQ(roomy.lines()[i].x, natural.lines()[i].x);
        EXPECT_LE(roomy.lines()[i].x + roomy.lines()[i].width, roomy.width() + 1e-9);
    }
    // The right-to-left line is the shorter one, and ends at the right edge
    // of the box.
    EXPECT_GT(roomy.lines()[1].x, 0);
    EXPECT_DOUBLE_EQ(roomy.lines()[1].x + roomy.lines()[1].width, roomy.width());
}

TEST(ShapedText, BrokenOrCutTextIsConstrained) {
    ShapedText wrapped(kDisclaimer, fontDescription("Inter 15px"), 200, 0);
    EXPECT_TRUE(wrapped.constrained());
    EXPECT_FALSE(wrapped.ellipsized());
    EXPECT_GT(wrapped.lines().size(), 1u);
    ShapedText cut(kDisclaimer, fontDescription("Inter 15px"), 200, 1);
    EXPECT_TRUE(cut.constrained());
    EXPECT_TRUE(cut.ellipsized());
    EXPECT_EQ(cut.lines().size(), 1u);
    ShapedText paragraphs("One\nTwo", fontDescription("Inter 15px"), 200, 1);
    EXPECT_FALSE(paragraphs.constrained());
    EXPECT_EQ(paragraphs.lines().size(), 2u);
}

class Store : public testing::Test {
  protected:
    ShapedTextStore store;
    const std::string font = "Inter Semi-Bold 17px";
};

TEST_F(Store, NaturalShapingAnswersEveryWidthTheTextFits) {
    const ShapedText& atWidth = store.get("Demo chart for Patient", font, 350, 0);
    EXPECT_FALSE(atWidth.constrained());
    const double natural = atWidth.width();
    EXPECT_EQ(store.shapedCount(), 1u);
    EXPECT_EQ(&store.get("Demo chart for Patient", font, std::nullopt, 0), &atWidth);
    EXPECT_EQ(&store.get("Demo chart for Patient", font, natural, 1), &atWidth);
    EXPECT_EQ(&store.get("Demo chart for Patient", font, 1e9, 3), &atWidth);
    EXPECT_EQ(store.shapedCount(), 1u);

    const ShapedText& narrow = store.get("Demo chart for Patient", font, natural - 1, 0);
    EXPECT_NE(&narrow, &atWidth);
    EXPECT_TRUE(narrow.constrained());
    EXPECT_EQ(&store.get("Demo chart for Patient", font, natural - 1, 0), &narrow);
    EXPECT_EQ(store.shapedCount(), 2u);
}

TEST_F(Store, WithoutAWidthTheLineLimitCutsNothing) {
    const ShapedText& limited = store.get(kDisclaimer, font, std::nullopt, 1);
    EXPECT_FALSE(limited.ellipsized());
    EXPECT_EQ(&store.get(kDisclaimer, font, std::nullopt, 0), &limited);
    EXPECT_EQ(store.shapedCount(), 1u);
}

TEST_F(Store, KeepsTheMostRecentlyUsedTexts) {
    for (std::size_t i = 0; i < ShapedTextStore::kCapacity; ++i) {
        store.get("text " + std::to_string(i), font, std::nullopt, 0);
    }
    EXPECT_EQ(store.size(), ShapedTextStore::kCapacity);
    store.get("text 0", font, std::nullopt, 0);  // used again: now the most recent
    store.get("one more", font, std::nullopt, 0);
    EXPECT_EQ(store.size(), ShapedTextStore::kCapacity);
    const std::size_t shaped = store.shapedCount();
    store.get("text 0", font, std::nullopt, 0);
    EXPECT_EQ(store.shapedCount(), shaped);
    store.get("text 1", font, std::nullopt, 0);  // the least recently used went
    EXPECT_EQ(store.shapedCount(), shaped + 1);
}

}  // namespace
}  // namespace ui::text
