#pragma once

#include <cairo.h>
#include <pango/pango.h>

#include <optional>
#include <vector>

#include "toolkit/render/Canvas.hpp"
#include "toolkit/render/GradientBackdrop.hpp"

namespace ui {

// Rasterises display-list operations with Cairo, and text with PangoCairo.
//
// The canvas draws on a Cairo context whose user space is window points:
// whoever owns the surface scales the context by the display scale first.
// Texts are drawn from the process's ShapedTextStore, where measuring left
// them shaped (shaping is the expensive part of drawing text); the canvas
// keeps the strip of a window-sized background gradient.
class CairoCanvas : public Canvas {
  public:
    explicit CairoCanvas(cairo_t* cr);
    ~CairoCanvas() override;
    CairoCanvas(const CairoCanvas&) = delete;
    CairoCanvas& operator=(const CairoCanvas&) = delete;

    void beginFrame(std::optional<Rect> region) override;
    void endFrame() override;
    void pushClip(const Rect& rect) override;
    void popClip() override;
    void fillPath(const FillPath& op) override;
    void strokePath(const StrokePath& op) override;
    void drawText(const DrawText& op) override;
    void drawSymbol(const DrawSymbol& op) override;

    // Whether an opaque gradient covering everything that is being painted
    // may be written straight into the image's pixels (see
    // GradientBackdrop). On by default; tests turn it off to compare with
    // Cairo's own drawing.
    void setBackdropFastPath(bool enabled) { backdropFastPath_ = enabled; }
    const GradientBackdrop& backdrop() const { return backdrop_; }

  private:
    void setSource(const Style& style, const Rect& rect, double opacity);
    void appendPath(const Path& path);
    void clearPendingBackground();
    bool paintBackdrop(const FillPath& op);
    // Draws a line shaped at the shaping size, its baseline starting at
    // (x, baseline), scaled by `scale`.
    void showLine(PangoLayoutLine* line, double x, double baseline, double scale);

    cairo_t* cr_;

    // The area being painted, in device pixels, narrowed by every pushed
    // clip. `clipAligned_` is false once a clip with fractional pixel edges
    // is in force: the backdrop's whole-pixel writes would then differ from
    // Cairo's antialiased clip edge.
    struct DeviceClip {
        Rect rect;
        bool aligned = true;
    };
    std::vector<DeviceClip> clips_;
    // The frame's region is cleared lazily, so that an opaque backdrop that
    // covers it can skip the clearing.
    bool clearPending_ = false;
    bool backdropFastPath_ = true;
    GradientBackdrop backdrop_;
};

}  // namespace ui
