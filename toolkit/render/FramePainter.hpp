#pragma once

// Decides how much of a frame to paint. The painter keeps the display list
// it painted last; a new list that equals it paints nothing, one that
// differs in a few operations repaints only the rectangle those operations
// cover (old and new places both), and anything else repaints the frame.

#include <optional>

#include "toolkit/render/Canvas.hpp"
#include "toolkit/render/DisplayList.hpp"

namespace ui {

// Where two display lists differ. `everything` when they cannot be
// compared operation by operation (another window size or scale, another
// number or order of operations); otherwise `rect` bounds every changed
// operation, in window points, and is empty when nothing differs.
struct Damage {
    bool everything = false;
    Rect rect;
};
Damage changedRegion(const DisplayList& before, const DisplayList& after);

enum class Repaint { none, region, full };

class FramePainter {
  public:
    // A changed region larger than this share of the window is repainted
    // as a whole frame: past it, the clipping bookkeeping costs more than
    // the pixels it saves.
    static constexpr double kFullRepaintShare = 0.5;

    // Paints `list` on `canvas` (which must still hold the last frame this
    // painter painted, unless invalidated) and remembers it.
    Repaint paint(DisplayList list, Canvas& canvas);

    // The canvas lost its pixels (resized, drawn over): repaint fully next.
    void invalidate() { valid_ = false; }

    const DisplayList& current() const { return current_; }
    // The region repainted by the last paint that returned Repaint::region.
    const Rect& lastRegion() const { return lastRegion_; }

  private:
    DisplayList current_;
    bool valid_ = false;
    Rect lastRegion_;
};

}  // namespace ui
