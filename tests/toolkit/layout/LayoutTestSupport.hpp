#pragma once

// Helpers shared by the layout suites: a fixture that lays a view out with
// the fixed-advance measurer (every code point is half its point size wide,
// so a 17-point body character is 8.5 points) and finds entries by kind or
// text.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/core/View.hpp"
#include "toolkit/layout/Layout.hpp"
#include "toolkit/layout/LayoutTree.hpp"
#include "toolkit/layout/TextMeasurer.hpp"

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

// The index of the n-th entry (from 0) whose kind is `kind`; -1 if none.
inline int findKind(const LayoutTree& tree, const std::string& kind, int nth = 0) {
    for (std::size_t i = 0; i < tree.views.size(); ++i) {
        if (tree.views[i].kind == kind && nth-- == 0) return static_cast<int>(i);
    }
    return -1;
}

// The entry showing exactly `text`; fails the test when there is none.
inline const LaidOutView& withText(const LayoutTree& tree, const std::string& text) {
    for (const LaidOutView& v : tree.views) {
        if (v.text == text) return v;
    }
    ADD_FAILURE() << "no entry shows \"" << text << "\"";
    static const LaidOutView none;
    return none;
}

inline int indexOfText(const LayoutTree& tree, const std::string& text) {
    for (std::size_t i = 0; i < tree.views.size(); ++i) {
        if (tree.views[i].text == text) return static_cast<int>(i);
    }
    return -1;
}

inline const LaidOutView& nthKind(const LayoutTree& tree, const std::string& kind, int nth = 0) {
    int i = findKind(tree, kind, nth);
    if (i < 0) {
        ADD_FAILURE() << "no entry #" << nth << " of kind " << kind;
        static const LaidOutView none;
        return none;
    }
    return tree.views[static_cast<std::size_t>(i)];
}

// A fixed-size block: handy as a stack child whose size is known exactly.
inline View box(double width, double height) {
    return Rectangle().frame(width, height);
}

inline std::vector<std::string> kinds(const LayoutTree& tree) {
    std::vector<std::string> out;
    for (const LaidOutView& v : tree.views) out.push_back(v.kind);
    return out;
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
