#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "toolkit/core/View.hpp"

namespace {

using namespace ui;

// Node memory is kept per thread for reuse; views still move freely between
// threads: made on a worker and dropped here, made here and dropped on a
// worker that then ends, more of them than a thread keeps.
TEST(ViewNodeTest, ViewsMayBeDroppedOnAnotherThread) {
    constexpr int kCount = 3000;
    std::vector<View> made;
    std::thread([&] {
        for (int i = 0; i < kCount; ++i) made.push_back(Text::verbatim("made").padding(1));
    }).join();

    std::vector<View> mine;
    for (int i = 0; i < kCount; ++i) mine.push_back(Text::verbatim("mine").padding(2));
    std::thread([&] { mine.clear(); }).join();

    ASSERT_EQ(made.size(), static_cast<std::size_t>(kCount));
    for (const View& view : made) {
        const auto* modified = std::get_if<ModifiedNode>(&view.node().value);
        ASSERT_NE(modified, nullptr);
        EXPECT_TRUE(std::holds_alternative<TextNode>(modified->content.node().value));
    }
    made.clear();
    // Blocks freed above are reused by the next views made here.
    EXPECT_TRUE(std::holds_alternative<TextNode>(Text::verbatim("again").node().value));
}

}  // namespace
