#include "toolkit/render/FrameMemory.hpp"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace ui {
namespace {

std::size_t roundUp(std::size_t value, std::size_t unit) {
    return (value + unit - 1) / unit * unit;
}

}  // namespace

FrameMemory::FrameMemory(std::size_t bytes) : size_(bytes) {
    if (bytes == 0) return;
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    if (bytes < kHugePage) {
        mapped_ = roundUp(bytes, page);
        void* p =
            mmap(nullptr, mapped_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) {
            mapped_ = 0;
            return;
        }
        data_ = static_cast<unsigned char*>(p);
        return;
    }
    // Map one huge page more than needed, then give back the unaligned
    // head and everything past the frame's last small page, leaving a run
    // that starts on a huge-page boundary.
    mapped_ = roundUp(bytes, page);
    const std::size_t reserved = roundUp(bytes, kHugePage) + kHugePage;
    void* p = mmap(nullptr, reserved, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) {
        mapped_ = 0;
        return;
    }
    auto start = reinterpret_cast<std::uintptr_t>(p);
    std::uintptr_t aligned = roundUp(start, kHugePage);
    if (aligned > start) munmap(p, aligned - start);
    std::size_t tail = start + reserved - (aligned + mapped_);
    if (tail > 0) munmap(reinterpret_cast<void*>(aligned + mapped_), tail);
    data_ = reinterpret_cast<unsigned char*>(aligned);
    // Huge pages only where the frame fills them: the last, partly used one
    // would be resident whole (0.7 MiB unused at scale 3, against a tight
    // memory budget). The rest stays in small pages, populated here in one
    // call rather than by hundreds of faults during the first paint.
    // Advice only: without huge pages the memory is simply small pages.
    const std::size_t huge = bytes / kHugePage * kHugePage;
    if (huge > 0) madvise(data_, huge, MADV_HUGEPAGE);
#ifdef MADV_POPULATE_WRITE
    if (mapped_ > huge) madvise(data_ + huge, mapped_ - huge, MADV_POPULATE_WRITE);
#endif
}

FrameMemory::~FrameMemory() {
    if (data_) munmap(data_, mapped_);
}

}  // namespace ui
