// Stacks take a shortcut to their children's length when offered nothing
// along the stack's axis; it must always agree with really asking.

#include <gtest/gtest.h>

#include "tests/toolkit/layout/LayoutTestSupport.hpp"
#include "toolkit/layout/LayoutPass.hpp"

namespace ui::testing {
namespace {

using layout_detail::along;
using layout_detail::major;

struct Pill {
    std::string label;
    View body() const {
        return VStack(HorizontalAlignment::leading, 4, {Text::verbatim(label).font(Font::caption2)})
            .padding(Edges::horizontal, 12);
    }
};

std::vector<std::pair<const char*, View>> views() {
    return {
        {"text", Text::verbatim("hello world")},
        {"label", Label("Click to Open", "photo").font(Font::caption)},
        {"unknown symbol", Label("Open", "no.such.symbol")},
        {"image", Image("heart").font(Font::title2)},
        {"shape", Rectangle()},
        {"padded fixed frame", Text::verbatim("09:30").padding(16).frame(Frame::width(54))},
        {"flexible frame", Text::verbatim("abc").frame(Frame::maxWidth(infinity))},
        {"styled text",
         Text::verbatim("Title").font(Font::title2).foregroundStyle(Color::mint).lineLimit(1)},
        {"fixed size", Text::verbatim("a b c d").fixedSize(false, true)},
        {"hstack", HStack(VerticalAlignment::center, 14,
                          {Text::verbatim("a"), Spacer(), Image("calendar"), Divider()})},
        {"vstack",
         VStack(HorizontalAlignment::leading, 4,
                {Text::verbatim("a"), Text::verbatim("bb").padding(), Divider(), Spacer(20)})},
        {"zstack", ZStack({RoundedRectangle(8).frame(48, 48), Image("cross.case.fill")})},
        {"component", Pill{"CLINIC"}},
    };
}

TEST(FlexibilityShortcut, AgreesWithAskingTheView) {
    FixedAdvanceMeasurer measurer;
    LayoutTree tree;
    LayoutStats stats;
    layout_detail::Pass pass(measurer);
    pass.begin(3, nullptr, &tree, Layer{}, &stats);
    int shortcuts = 0;
    for (const auto& [name, view] : views()) {
        for (Axis axis : {Axis::horizontal, Axis::vertical}) {
            std::optional<double> known =
                pass.lengthAtZero(view.node(), pass.rootEnvironment(), axis);
            if (!known) continue;
            ++shortcuts;
            for (std::optional<double> cross : {std::optional<double>(), std::optional(0.0),
                                                std::optional(50.0), std::optional(infinity)}) {
                Size asked =
                    pass.sizeOf(view.node(), pass.rootEnvironment(), along(axis, 0.0, cross));
                EXPECT_DOUBLE_EQ(*known, major(axis, asked))
                    << name << (axis == Axis::horizontal ? " across" : " down") << ", cross "
                    << cross.value_or(-1);
            }
        }
    }
    EXPECT_GE(shortcuts, 15);  // the shortcut really was taken for most of them
}

}  // namespace
}  // namespace ui::testing
