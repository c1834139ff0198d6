#pragma once

// Helpers shared by the layout suites: a fixture that lays a view out with
// the fixed-advance measurer (every code point is half its point size wide,
// so a 17-point body character is 8.5 points), and the helpers that find
// entries (tests/support/ViewFinding.hpp).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/core/View.hpp"
#include "toolkit/layout/Layout.hpp"
#include "toolkit/layout/LayoutTree.hpp"
#include "toolkit/layout/TextMeasurer.hpp"
#include "tests/support/ViewFinding.hpp"

namespace ui::testing {

class LayoutTest : public ::testing::Test {
  protected:
    LayoutTree layout(const View& view, Size size = {390, 844}, EdgeInsets safeArea = {}) {
        LayoutTree tree;
        engine.layout(view, {0, 0, size.width, size.height}, safeArea, tree);
        return tree;
    }
    Size sizeOf(const View& view, ProposedSize proposal) {
        return engine.sizeThatFits(view, proposal);
    }

    FixedAdvanceMeasurer measurer{0.5};
    LayoutEngine engine{measurer};
};

// A fixed-size block: handy as a stack child whose size is known exactly.
inline View box(double width, double height) {
    return Rectangle().frame(width, height);
}

}  // namespace ui::testing

namespace ui {
inline void PrintTo(const Rect& r, std::ostream* os) {
    *os << "{" << r.x << ", " << r.y << ", " << r.width << ", " << r.height << "}";
}
inline void PrintTo(const Size& s, std::ostream* os) {
    *os << "{" << s.width << ", " << s.height << "}";
}
}  // namespace ui
