#include "toolkit/render/Canvas.hpp"

namespace ui {

void replay(const DisplayList& list, Canvas& canvas, std::optional<Rect> region) {
    canvas.beginFrame(region);
    for (const DisplayOp& op : list.ops) {
        if (const auto* push = std::get_if<PushClip>(&op)) {
            canvas.pushClip(push->rect);
            continue;
        }
        if (std::holds_alternative<PopClip>(op)) {
            canvas.popClip();
            continue;
        }
        if (region && !paintedBounds(op).intersects(*region)) continue;
        std::visit(
            [&canvas](const auto& o) {
                using T = std::decay_t<decltype(o)>;
                if constexpr (std::is_same_v<T, FillPath>) canvas.fillPath(o);
                if constexpr (std::is_same_v<T, StrokePath>) canvas.strokePath(o);
                if constexpr (std::is_same_v<T, DrawText>) canvas.drawText(o);
                if constexpr (std::is_same_v<T, DrawSymbol>) canvas.drawSymbol(o);
            },
            op);
    }
    canvas.endFrame();
}

void RecordingCanvas::beginFrame(std::optional<Rect> region) {
    frames.push_back(region);
    inFrame_ = true;
}

void RecordingCanvas::endFrame() {
    if (clipDepth_ != 0) ++clipErrors_;
    clipDepth_ = 0;
    inFrame_ = false;
}

// GCC 12 in optimised builds warns that the clip ops "may be used
// uninitialized" when push_back moves them into the DisplayOp variant: it
// follows the move into alternatives the variant does not hold. A false
// positive (clang and unoptimised builds see nothing), silenced for
// these two functions only.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
void RecordingCanvas::pushClip(const Rect& rect) {
    ops.push_back(PushClip{rect});
    maxClipDepth_ = std::max(maxClipDepth_, ++clipDepth_);
}

void RecordingCanvas::popClip() {
    ops.push_back(PopClip{});
    if (clipDepth_ == 0) {
        ++clipErrors_;
        return;
    }
    --clipDepth_;
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

void RecordingCanvas::fillPath(const FillPath& op) {
    ops.push_back(op);
    outlines.push_back(outlinePath(op.shape));
}

void RecordingCanvas::strokePath(const StrokePath& op) {
    ops.push_back(op);
    outlines.push_back(outlinePath(op.shape));
}

void RecordingCanvas::drawText(const DrawText& op) {
    ops.push_back(op);
}

void RecordingCanvas::drawSymbol(const DrawSymbol& op) {
    ops.push_back(op);
}

std::size_t RecordingCanvas::drawingOpCount() const {
    std::size_t n = 0;
    for (const DisplayOp& op : ops) {
        if (!std::holds_alternative<PushClip>(op) && !std::holds_alternative<PopClip>(op)) ++n;
    }
    return n;
}

}  // namespace ui
