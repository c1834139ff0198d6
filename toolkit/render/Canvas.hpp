#pragma once

// A canvas executes display-list operations. The Cairo canvas rasterises
// them; the recording canvas keeps them (and the outlines it would have
// drawn) so tests can check what a frame paints without reading pixels.

#include <optional>
#include <vector>

#include "toolkit/render/DisplayList.hpp"
#include "toolkit/render/Path.hpp"

namespace ui {

class Canvas {
  public:
    virtual ~Canvas() = default;

    // Starts a frame. With a region (window points, aligned to whole
    // pixels) only that part is cleared and repainted and everything
    // drawn is clipped to it; without one the whole frame is.
    virtual void beginFrame(std::optional<Rect> region) = 0;
    virtual void endFrame() = 0;

    virtual void pushClip(const Rect& rect) = 0;
    virtual void popClip() = 0;
    virtual void fillPath(const FillPath& op) = 0;
    virtual void strokePath(const StrokePath& op) = 0;
    virtual void drawText(const DrawText& op) = 0;
    virtual void drawSymbol(const DrawSymbol& op) = 0;
};

// Paints `list` as one frame. With a region, drawing operations whose
// painted bounds miss it are skipped (clips are always kept balanced).
void replay(const DisplayList& list, Canvas& canvas, std::optional<Rect> region = std::nullopt);

// Remembers every call. Fills and strokes also keep the outline a raster
// canvas would have drawn, so tests can check corner geometry.
class RecordingCanvas : public Canvas {
  public:
    void beginFrame(std::optional<Rect> region) override;
    void endFrame() override;
    void pushClip(const Rect& rect) override;
    void popClip() override;
    void fillPath(const FillPath& op) override;
    void strokePath(const StrokePath& op) override;
    void drawText(const DrawText& op) override;
    void drawSymbol(const DrawSymbol& op) override;

    // Every region passed to beginFrame, one per frame (empty: whole frame).
    std::vector<std::optional<Rect>> frames;
    // Every operation, clips included, across all frames.
    std::vector<DisplayOp> ops;
    // The outline of each fill and stroke, in the order they came.
    std::vector<Path> outlines;

    int clipDepth() const { return clipDepth_; }
    int maxClipDepth() const { return maxClipDepth_; }
    // Pops with no clip to pop, and frames ended with clips still pushed.
    int clipErrors() const { return clipErrors_; }
    bool inFrame() const { return inFrame_; }

    template <class Op>
    std::vector<Op> opsOf() const {
        std::vector<Op> result;
        for (const DisplayOp& op : ops) {
            if (const Op* o = std::get_if<Op>(&op)) result.push_back(*o);
        }
        return result;
    }
    std::size_t drawingOpCount() const;  // fills, strokes, texts, symbols

  private:
    int clipDepth_ = 0;
    int maxClipDepth_ = 0;
    int clipErrors_ = 0;
    bool inFrame_ = false;
};

}  // namespace ui
