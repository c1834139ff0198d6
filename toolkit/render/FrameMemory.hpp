#pragma once

// Pixel memory for a window-sized image.
//
// A phone frame at scale 3 is 11.8 MB, and the first frame writes every
// byte of it. Taken from malloc, that memory arrives as ~2,900 untouched
// 4 KiB pages, each costing a page fault on its first write: on this
// machine (a virtual machine) about 45 ms for the frame, most of the
// start-up budget. Asked for as 2 MiB pages (transparent huge pages, via
// madvise) it takes five faults and about 1 ms; the last 1.3 MB, too
// little to fill a huge page, is populated with small pages in one call.
//
// The kernel hands the memory out zeroed, which is a cleared (transparent)
// ARGB32 image, so nothing clears it again. Where huge pages are not
// available the memory is ordinary pages, which only costs the faults.

#include <cstddef>

namespace ui {

class FrameMemory {
  public:
    // Huge pages are this large on x86-64 and arm64; mappings of at least
    // this size are aligned to it so the kernel can use them.
    static constexpr std::size_t kHugePage = std::size_t{2} << 20;

    explicit FrameMemory(std::size_t bytes);
    ~FrameMemory();
    FrameMemory(const FrameMemory&) = delete;
    FrameMemory& operator=(const FrameMemory&) = delete;

    // Null only when the system is out of memory.
    unsigned char* data() const { return data_; }
    std::size_t size() const { return size_; }

  private:
    unsigned char* data_ = nullptr;
    std::size_t size_ = 0;    // what was asked for
    std::size_t mapped_ = 0;  // whole pages from data_
};

}  // namespace ui
