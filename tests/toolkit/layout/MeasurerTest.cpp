#include <gtest/gtest.h>

#include "tests/CaseName.hpp"
#include "toolkit/layout/TextMeasurer.hpp"

namespace ui {
namespace {

TEST(ResolveTest, TextStylesAndShrinkFactor) {
    ResolvedFont title2 = resolve(Font::title2);
    EXPECT_EQ(title2.size, 22);
    EXPECT_EQ(title2.lineHeight, 28);
    EXPECT_EQ(resolve(Font::headline).weight, Font::Weight::semibold);
    ResolvedFont mono = resolve(Font::system(Font::TextStyle::subheadline, Font::Design::monospaced,
                                             Font::Weight::semibold),
                                0.5);
    EXPECT_EQ(mono.size, 7.5);
    EXPECT_EQ(mono.lineHeight, 10);
    EXPECT_EQ(mono.design, Font::Design::monospaced);
    EXPECT_EQ(resolve(Font::system(30, Font::Weight::bold)).lineHeight, 36);
}

// Widths in these cases are counted in body characters (8.5 points each).
struct WrapCase {
    const char* text;
    std::optional<double> widthChars;
    int lineLimit;
    double expectedChars;
    int lines;
    bool truncated;
};

class FixedAdvanceWrapping : public ::testing::TestWithParam<WrapCase> {};

TEST_P(FixedAdvanceWrapping, MeasuresLikeTheRulesSay) {
    const WrapCase& c = GetParam();
    FixedAdvanceMeasurer measurer;
    std::optional<double> width;
    if (c.widthChars) width = *c.widthChars * 8.5;
    TextMetrics m = measurer.measure(c.text, resolve(Font::body), width, c.lineLimit);
    EXPECT_DOUBLE_EQ(m.size.width, c.expectedChars * 8.5);
    EXPECT_EQ(m.lineCount, c.lines);
    EXPECT_DOUBLE_EQ(m.size.height, c.lines * 22.0);
    EXPECT_EQ(m.truncated, c.truncated);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FixedAdvanceWrapping,
    ::testing::Values(WrapCase{"Hello world", std::nullopt, 0, 11, 1, false},
                      WrapCase{"ab\ncde", std::nullopt, 0, 3, 2, false},
                      WrapCase{"ab\ncde", std::nullopt, 1, 3, 1, true},  // "ab…"
                      WrapCase{"aaa bbb ccc", 7, 0, 7, 2, false},
                      WrapCase{"aaa bbb ccc", 7.5, 0, 7, 2, false},
                      WrapCase{"abcdefghij", 4, 0, 4, 3, false},  // broken anywhere
                      WrapCase{"aaa bbb ccc", 7, 1, 7, 1, true},  // "aaa bb…"
                      WrapCase{"aaa bbb ccc ddd", 7, 2, 7, 2, false},
                      WrapCase{"aaa bbb ccc ddd e", 7, 2, 7, 2, true},
                      WrapCase{"x\nab cd ef", 2, 2, 2, 2, true},  // "x", "a…"
                      WrapCase{"aaa bbb\nccc", 7, 0, 7, 2, false},
                      WrapCase{"ab cd", 2, 0, 2, 2, false},  // the space hangs
                      WrapCase{"Grüße ✓", std::nullopt, 0, 7, 1, false},
                      WrapCase{"", std::nullopt, 0, 0, 1, false}),
    testsupport::namedBy([](const WrapCase& c) {
        return std::string(c.text) + " limit " + std::to_string(c.lineLimit);
    }));

TEST(FixedAdvanceMeasurerTest, CountsCallsAndScalesWithTheFont) {
    FixedAdvanceMeasurer measurer(0.6);
    TextMetrics m = measurer.measure("abcd", resolve(Font::caption, 0.5), std::nullopt, 0);
    EXPECT_DOUBLE_EQ(m.size.width, 4 * 0.6 * 6);
    EXPECT_DOUBLE_EQ(m.size.height, 8);
    measurer.measure("x", resolve(Font::body), 100.0, 1);
    EXPECT_EQ(measurer.measureCount(), 2u);
}

}  // namespace
}  // namespace ui
