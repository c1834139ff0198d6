#include "toolkit/render/FramePainter.hpp"

#include <algorithm>
#include <cmath>

namespace ui {
namespace {

// Grows `r` outwards to whole device pixels, so the repainted pixels are
// entirely repainted and none is half-blended with its old content.
Rect alignedToPixels(const Rect& r, double scale) {
    double x0 = std::floor(r.minX() * scale) / scale, y0 = std::floor(r.minY() * scale) / scale;
    double x1 = std::ceil(r.maxX() * scale) / scale, y1 = std::ceil(r.maxY() * scale) / scale;
    return {x0, y0, x1 - x0, y1 - y0};
}

}  // namespace

Damage changedRegion(const DisplayList& before, const DisplayList& after) {
    if (before.size != after.size || before.scale != after.scale ||
        before.ops.size() != after.ops.size()) {
        return {true, {}};
    }
    Damage damage;
    for (std::size_t i = 0; i < after.ops.size(); ++i) {
        const DisplayOp& a = before.ops[i];
        const DisplayOp& b = after.ops[i];
        if (a.index() != b.index()) return {true, {}};
        if (a == b) continue;
        if (const auto* pushA = std::get_if<PushClip>(&a)) {
            // A moved clip changes what shows of everything inside it, but
            // nothing outside the old and the new clip rectangles.
            damage.rect = unionOf(damage.rect, unionOf(pushA->rect, std::get<PushClip>(b).rect));
            continue;
        }
        damage.rect = unionOf(damage.rect, unionOf(paintedBounds(a), paintedBounds(b)));
    }
    return damage;
}

Repaint FramePainter::paint(DisplayList list, Canvas& canvas) {
    if (valid_ && list == current_) return Repaint::none;

    Damage damage = valid_ ? changedRegion(current_, list) : Damage{true, {}};
    current_ = std::move(list);
    valid_ = true;
    const Rect window{0, 0, current_.size.width, current_.size.height};
    if (!damage.everything) {
        Rect region = alignedToPixels(damage.rect, current_.scale).intersection(window);
        // Operations changed, but none of the change shows in the window.
        if (region.width <= 0 || region.height <= 0) return Repaint::none;
        double share = (region.width * region.height) / (window.width * window.height);
        if (share <= kFullRepaintShare) {
            lastRegion_ = region;
            replay(current_, canvas, region);
            return Repaint::region;
        }
    }
    replay(current_, canvas);
    return Repaint::full;
}

}  // namespace ui
