#pragma once

// A fast way to paint a window-sized linear gradient.
//
// Cairo evaluates a gradient per pixel: ~11.5 ms for a full 1170 × 2532
// frame, four times the whole frame budget. Caching the rendered gradient
// at full resolution would cost another 11.8 MB; a quarter-resolution cache
// scaled up bilinearly still costs ~3 ms per frame to scale.
//
// Instead we use the geometry of a linear gradient: along one pixel row the
// gradient parameter grows by the same step per pixel, so every row is the
// same run of colours shifted by (row × dy/dx) pixels. We render that run
// once per window size into a strip a little longer than a row (tens of
// kilobytes) and copy each row out of it: about as fast as copying a cached
// image, at a fraction of the memory. Rounding the shift to whole pixels
// moves the gradient by at most half a pixel along a row, far below one
// colour level for a window-sized gradient. Vertical gradients have
// constant rows and are filled row by row.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "toolkit/core/Color.hpp"
#include "toolkit/core/Geometry.hpp"

namespace ui {

// Whole device pixels, half-open: [x0, x1) × [y0, y1).
struct PixelRect {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool empty() const { return x1 <= x0 || y1 <= y0; }
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

class GradientBackdrop {
  public:
    // Writes `gradient`, laid over `frame` (device pixels), into the
    // premultiplied ARGB32 pixels of a `width` × `height` image, inside
    // `region` only, replacing what was there. Returns false, writing
    // nothing, for a gradient whose rows shift too far per row to keep as a
    // strip (nearly but not exactly vertical); the caller then lets Cairo
    // draw it.
    bool paint(unsigned char* data, int stride, int width, int height, PixelRect region,
               const Rect& frame, const LinearGradient& gradient);

    // Bytes held by the strip and the per-row tables.
    std::size_t memoryBytes() const;
    // How many times the strip was computed, for the benchmarks and tests.
    std::size_t rebuildCount() const { return rebuilds_; }

    // The gradient's premultiplied ARGB32 colour at parameter t (clamped
    // to 0...1), with the colours equally spaced.
    static std::uint32_t colorAt(const LinearGradient& gradient, double t);

  private:
    struct Key {
        LinearGradient gradient;
        Rect frame;
        int width = 0;
        int height = 0;
        friend bool operator==(const Key&, const Key&) = default;
    };
    bool prepare(const Key& key);

    std::optional<Key> key_;
    bool usable_ = false;
    bool constantRows_ = false;
    std::vector<std::uint32_t> strip_;     // diagonal/horizontal: one shifted run
    std::vector<std::int32_t> rowShift_;   // where each row starts in the strip
    std::vector<std::uint32_t> rowColor_;  // vertical: each row's colour
    std::size_t rebuilds_ = 0;
};

}  // namespace ui
