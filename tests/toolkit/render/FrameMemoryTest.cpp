#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "toolkit/render/FrameMemory.hpp"
#include "toolkit/render/Renderer.hpp"

namespace ui {
namespace {

bool allZero(const unsigned char* data, std::size_t size) {
    return std::all_of(data, data + size, [](unsigned char b) { return b == 0; });
}

TEST(FrameMemory, ComesZeroedAndWritable) {
    for (std::size_t size : {std::size_t{1}, std::size_t{4096 * 3 + 7}, std::size_t{11849760}}) {
        FrameMemory memory(size);
        ASSERT_NE(memory.data(), nullptr) << size;
        EXPECT_EQ(memory.size(), size);
        EXPECT_TRUE(allZero(memory.data(), size)) << size;
        std::fill(memory.data(), memory.data() + size, 0xAB);
        EXPECT_EQ(memory.data()[size - 1], 0xAB);
    }
}

TEST(FrameMemory, LargeFramesStartOnAHugePageBoundary) {
    // A phone frame at scale 3: 1170 x 2532 pixels of 4 bytes.
    FrameMemory frame(std::size_t{1170} * 2532 * 4);
    ASSERT_NE(frame.data(), nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(frame.data()) % FrameMemory::kHugePage, 0u);
}

TEST(FrameMemory, EmptyIsNothing) {
    FrameMemory none(0);
    EXPECT_EQ(none.data(), nullptr);
    EXPECT_EQ(none.size(), 0u);
}

TEST(FrameMemory, RendererFramesStartTransparentAfterEveryResize) {
    Renderer renderer({390, 844}, 3);
    auto bytes = [&] {
        return static_cast<std::size_t>(renderer.stride()) *
               static_cast<std::size_t>(renderer.pixelHeight());
    };
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(renderer.pixels()) % FrameMemory::kHugePage, 0u);
    EXPECT_TRUE(allZero(renderer.pixels(), bytes()));
    renderer.resize({200, 100}, 2);
    EXPECT_EQ(renderer.pixelWidth(), 400);
    EXPECT_TRUE(allZero(renderer.pixels(), bytes()));
}

}  // namespace
}  // namespace ui
