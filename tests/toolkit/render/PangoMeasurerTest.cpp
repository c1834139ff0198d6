#include <gtest/gtest.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "tests/toolkit/render/RenderTestTrees.hpp"
#include "toolkit/render/PangoMeasurer.hpp"
#include "toolkit/render/PangoText.hpp"
#include "toolkit/render/ShapedText.hpp"

namespace ui {
namespace {

using test::resolvedFont;

constexpr const char* kDisclaimer =
    "All information is fictional and not suitable for actual healthcare decisions.";

struct StyleCase {
    const char* name;
    double size;
    double lineHeight;
    Font::Weight weight;
};

class MeasurerWrapping : public testing::TestWithParam<StyleCase> {
  protected:
    ResolvedFont font() const {
        return resolvedFont(GetParam().size, GetParam().lineHeight, GetParam().weight);
    }
    PangoMeasurer measurer;
};

TEST_P(MeasurerWrapping, OneLineIsTheStylesHeight) {
    TextMetrics m = measurer.measure(kDisclaimer, font(), std::nullopt, 0);
    EXPECT_EQ(m.lineCount, 1);
    EXPECT_DOUBLE_EQ(m.size.height, GetParam().lineHeight);
    EXPECT_FALSE(m.truncated);
    // Roughly half an em per character for a proportional face.
    double length = std::string_view(kDisclaimer).size();
    EXPECT_GT(m.size.width, 0.35 * GetParam().size * length);
    EXPECT_LT(m.size.width, 0.7 * GetParam().size * length);
}

TEST_P(MeasurerWrapping, WrappingAddsWholeLineHeights) {
    TextMetrics one = measurer.measure(kDisclaimer, font(), std::nullopt, 0);
    for (double share : {0.6, 0.3}) {
        double width = std::floor(one.size.width * share);
        TextMetrics m = measurer.measure(kDisclaimer, font(), width, 0);
        EXPECT_GE(m.lineCount, static_cast<int>(std::ceil(1 / share))) << "share " << share;
        EXPECT_DOUBLE_EQ(m.size.height, m.lineCount * GetParam().lineHeight);
        EXPECT_LE(m.size.width, width);
        EXPECT_FALSE(m.truncated);
    }
}

TEST_P(MeasurerWrapping, TextAtItsOwnWidthDoesNotWrap) {
    TextMetrics ideal =
        measurer.measure("Demo chart for Patient: Jane Appleseed", font(), std::nullopt, 0);
    TextMetrics atWidth =
        measurer.measure("Demo chart for Patient: Jane Appleseed", font(), ideal.size.width, 0);
    EXPECT_EQ(atWidth.lineCount, 1);
    EXPECT_DOUBLE_EQ(atWidth.size.width, ideal.size.width);
}

TEST_P(MeasurerWrapping, LineLimitEllipsizes) {
    TextMetrics one = measurer.measure(kDisclaimer, font(), std::nullopt, 0);
    double width = std::floor(one.size.width / 4);

    TextMetrics single = measurer.measure(kDisclaimer, font(), width, 1);
    EXPECT_TRUE(single.truncated);
    EXPECT_EQ(single.lineCount, 1);
    EXPECT_DOUBLE_EQ(single.size.height, GetParam().lineHeight);
    EXPECT_LE(single.size.width, width);

    TextMetrics two = measurer.measure(kDisclaimer, font(), width, 2);
    EXPECT_TRUE(two.truncated);
    EXPECT_EQ(two.lineCount, 2);
    EXPECT_DOUBLE_EQ(two.size.height, 2 * GetParam().lineHeight);

    TextMetrics roomy = measurer.measure(kDisclaimer, font(), one.size.width + 10, 1);
    EXPECT_FALSE(roomy.truncated);
}

INSTANTIATE_TEST_SUITE_P(TextStyles, MeasurerWrapping,
                         testing::Values(StyleCase{"subheadline", 15, 20, Font::Weight::regular},
                                         StyleCase{"headline", 17, 22, Font::Weight::semibold},
                                         StyleCase{"caption2Bold", 11, 13, Font::Weight::bold},
                                         StyleCase{"title2Bold", 22, 28, Font::Weight::bold},
                                         StyleCase{"shrunkCaption", 12 * 0.8, 16 * 0.8,
                                                   Font::Weight::semibold}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PangoMeasurer, OverlongWordBreaksAnywhere) {
    PangoMeasurer measurer;
    ResolvedFont font = resolvedFont(13, 18, Font::Weight::regular, Font::Design::monospaced);
    TextMetrics m = measurer.measure("norvel_chest_xray_study_2024_final.jpg", font, 60, 0);
    EXPECT_GE(m.lineCount, 4);
    EXPECT_LE(m.size.width, 60);
}

TEST(PangoMeasurer, ParagraphsAreLinesWithoutAWidth) {
    PangoMeasurer measurer;
    TextMetrics m = measurer.measure("Clinic\nRoute", resolvedFont(17, 22), std::nullopt, 0);
    EXPECT_EQ(m.lineCount, 2);
    EXPECT_DOUBLE_EQ(m.size.height, 44);
}

TEST(PangoMeasurer, RepeatedQuestionsAreAnsweredWithoutShapingAgain) {
    text::shapedTexts().clear();
    PangoMeasurer measurer;
    ResolvedFont caption = resolvedFont(12, 16);
    const std::vector<std::string> texts{"Blood Pressure", "120/80", "Pulse",    "72 bpm",
                                         "Hydration",      "2.4 L",  kDisclaimer};
    for (const std::string& t : texts) measurer.measure(t, caption, 169, 0);
    EXPECT_EQ(measurer.measureCount(), texts.size());
    EXPECT_EQ(measurer.cacheHits(), 0u);

    // A re-layout with unchanged texts never reaches Pango.
    for (const std::string& t : texts) measurer.measure(t, caption, 169, 0);
    EXPECT_EQ(measurer.measureCount(), texts.size());
    EXPECT_EQ(measurer.cacheHits(), texts.size());

    // A text that fits is shaped once for every width it fits in, with
    // any line limit, and without a width (infinite or unspecified).
    TextMetrics pulse = measurer.measure("Pulse", caption, 169, 0);
    for (std::optional<double> width : std::initializer_list<std::optional<double>>{
             170, 1000, pulse.size.width, std::nullopt, std::numeric_limits<double>::infinity()}) {
        for (int limit : {0, 1, 2}) {
            TextMetrics m = measurer.measure("Pulse", caption, width, limit);
            EXPECT_EQ(m.size.width, pulse.size.width);
            EXPECT_EQ(m.lineCount, 1);
        }
    }
    EXPECT_EQ(measurer.measureCount(), texts.size());

    // Another font, another text, a width that breaks the text, or another
    // width for a text that was broken, is new shaping.
    measurer.measure("Pulse", resolvedFont(12, 16, Font::Weight::bold), 169, 0);
    measurer.measure("pulse", caption, 169, 0);
    measurer.measure("Pulse", caption, pulse.size.width / 2, 0);
    measurer.measure(kDisclaimer, caption, 170, 0);
    EXPECT_EQ(measurer.measureCount(), texts.size() + 4);
    EXPECT_EQ(measurer.measureCount() + measurer.cacheHits(), 2 * texts.size() + 1 + 15 + 4);
}

TEST(PangoMeasurer, AnswersAgreeWhicheverWidthShapedTheTextFirst) {
    ResolvedFont body = resolvedFont(15, 20);
    // Measured first without a width...
    text::shapedTexts().clear();
    PangoMeasurer first;
    TextMetrics natural = first.measure("Demo chart for Patient", body, std::nullopt, 0);
    TextMetrics roomy = first.measure("Demo chart for Patient", body, 300, 1);
    // ... and first at a width it fits in.
    text::shapedTexts().clear();
    PangoMeasurer second;
    TextMetrics roomyFirst = second.measure("Demo chart for Patient", body, 300, 1);
    TextMetrics naturalSecond = second.measure("Demo chart for Patient", body, std::nullopt, 0);
    EXPECT_EQ(second.measureCount(), 1u);
    EXPECT_EQ(natural.size, naturalSecond.size);
    EXPECT_EQ(roomy.size, roomyFirst.size);
    EXPECT_EQ(roomy.size, natural.size);
    EXPECT_FALSE(roomyFirst.truncated);
}

// What Pango answers when it lays the text out at the font's own size.
TextMetrics directly(std::string_view text, const ResolvedFont& font, std::optional<double> width,
                     int lineLimit) {
    PangoLayout* layout = pango_layout_new(text::sharedContext());
    text::configureLayout(layout, text, font, width, lineLimit);
    PangoRectangle box;
    pango_layout_get_extents(layout, nullptr, &box);
    TextMetrics m;
    m.size.width = pango_units_to_double(box.width);
    if (width) m.size.width = std::min(m.size.width, *width);
    m.lineCount = pango_layout_get_line_count(layout);
    m.truncated = pango_layout_is_ellipsized(layout);
    g_object_unref(layout);
    return m;
}

TEST(PangoMeasurer, AgreesWithPangoAtTheFontsOwnSize) {
    // Texts are shaped once per face at the shaping size and scaled; the
    // answers match a layout at the font's own size to within the rounding
    // of each glyph's advance to a Pango unit (1/1024 point) at that size.
    PangoMeasurer measurer;
    const std::vector<std::string> texts{"Norvel Health", "Blood Presssure", "120/80",
                                         "Schedule a review session with your doctor", kDisclaimer};
    for (double size : {9.6, 11.0, 12.0, 15.0, 17.0, 22.0, 30.0}) {
        for (Font::Weight weight : {Font::Weight::regular, Font::Weight::bold}) {
            ResolvedFont font = resolvedFont(size, size * 1.3, weight);
            for (const std::string& t : texts) {
                TextMetrics natural = measurer.measure(t, font, std::nullopt, 0);
                TextMetrics pango = directly(t, font, std::nullopt, 0);
                const double rounding = static_cast<double>(t.size()) / PANGO_SCALE;
                EXPECT_NEAR(natural.size.width, pango.size.width, rounding) << t << " at " << size;
                // Widths well away from any break give the same lines.
                for (double share : {0.55, 0.35}) {
                    double width = std::round(pango.size.width * share) + 0.5;
                    for (int limit : {0, 1}) {
                        TextMetrics m = measurer.measure(t, font, width, limit);
                        TextMetrics p = directly(t, font, width, limit);
                        EXPECT_EQ(m.lineCount, p.lineCount) << t << " at " << size << ", " << width;
                        EXPECT_EQ(m.truncated, p.truncated) << t << " at " << size << ", " << width;
                        EXPECT_NEAR(m.size.width, p.size.width, rounding) << t << " at " << size;
                    }
                }
            }
        }
    }
}

TEST(PangoMeasurer, AllSizesOfAFaceShareOneShaping) {
    text::shapedTexts().clear();
    const std::size_t shapedBefore = text::shapedTexts().shapedCount();
    PangoMeasurer measurer;
    // The same text at the sizes a shrinking label tries: one shaping.
    double base =
        measurer
            .measure("Norvel Test", resolvedFont(12, 16, Font::Weight::semibold), std::nullopt, 0)
            .size.width;
    for (double factor : {0.8, 0.9, 1.5}) {
        ResolvedFont font = resolvedFont(12 * factor, 16 * factor, Font::Weight::semibold);
        EXPECT_NEAR(measurer.measure("Norvel Test", font, std::nullopt, 0).size.width,
                    base * factor, 1e-9);
        // Cut at a width in proportion: the same shaping again.
        measurer.measure("Norvel Test", font, 40 * factor, 1);
    }
    measurer.measure("Norvel Test", resolvedFont(12, 16, Font::Weight::semibold), 40, 1);
    EXPECT_EQ(measurer.measureCount(), 2u);
    EXPECT_EQ(text::shapedTexts().shapedCount() - shapedBefore, 2u);
}

TEST(PangoMeasurer, TextOfNoSizeTakesNoRoom) {
    PangoMeasurer measurer;
    TextMetrics m = measurer.measure("Pulse", resolvedFont(0, 16), 100, 1);
    EXPECT_EQ(m.size.width, 0);
    EXPECT_EQ(m.lineCount, 1);
    EXPECT_FALSE(m.truncated);
}

TEST(PangoMeasurer, MonospacedDigitsShareOneWidth) {
    PangoMeasurer measurer;
    for (Font::Weight weight : {Font::Weight::regular, Font::Weight::semibold}) {
        ResolvedFont mono = resolvedFont(15, 20, weight, Font::Design::monospaced);
        double zeros = measurer.measure("0000", mono, std::nullopt, 0).size.width;
        for (const char* digits : {"1111", "8888", "1234", "09:30"}) {
            double w = measurer.measure(digits, mono, std::nullopt, 0).size.width;
            EXPECT_NEAR(w, zeros * std::string_view(digits).size() / 4, 1e-6) << digits;
        }
        // A proportional "i" is narrower than a "W"; in the monospaced face
        // every character takes the same advance.
        EXPECT_NEAR(measurer.measure("iiii", mono, std::nullopt, 0).size.width,
                    measurer.measure("WWWW", mono, std::nullopt, 0).size.width, 1e-6);
    }
    ResolvedFont inter = resolvedFont(15, 20);
    EXPECT_LT(measurer.measure("iiii", inter, std::nullopt, 0).size.width,
              measurer.measure("WWWW", inter, std::nullopt, 0).size.width);
}

TEST(PangoMeasurer, HeavierWeightsSetWider) {
    // Each weight must reach a face of its own: Inter's heavier faces are
    // wider, so the widths climb from thin to black.
    PangoMeasurer measurer;
    double previous = 0;
    for (Font::Weight weight : {Font::Weight::thin, Font::Weight::ultralight, Font::Weight::light,
                                Font::Weight::regular, Font::Weight::medium, Font::Weight::semibold,
                                Font::Weight::bold, Font::Weight::heavy, Font::Weight::black}) {
        double w =
            measurer.measure("Hydration 2.4 L", resolvedFont(20, 25, weight), std::nullopt, 0)
                .size.width;
        EXPECT_GT(w, previous) << weightName(weight);
        previous = w;
    }
}

TEST(PangoMeasurer, WidthsScaleWithTheFontSize) {
    // Metrics are unhinted, so a text twice the size is twice as wide: what
    // is measured in points draws the same at any display scale.
    PangoMeasurer measurer;
    double small =
        measurer.measure("Appointments", resolvedFont(12, 16), std::nullopt, 0).size.width;
    double large =
        measurer.measure("Appointments", resolvedFont(24, 32), std::nullopt, 0).size.width;
    EXPECT_NEAR(large, 2 * small, 0.02 * small);
}

}  // namespace
}  // namespace ui
