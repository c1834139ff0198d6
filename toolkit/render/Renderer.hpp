#pragma once

#include <cairo.h>

#include <memory>
#include <string>

#include "toolkit/core/Geometry.hpp"
#include "toolkit/layout/LayoutTree.hpp"
#include "toolkit/render/DisplayList.hpp"
#include "toolkit/render/FramePainter.hpp"

namespace ui {

class CairoCanvas;

// The pixels that `points` take at `scale`: a fractional pixel counts as a
// whole one. The window host sizes its window with this too, so that a
// window and a headless render at the same scale are the same image.
int framePixels(double points, double scale);

// Paints laid-out trees into a window-sized image: a Cairo ARGB32 surface of
// (size × scale) pixels, whose context is scaled so one user unit is one
// point. The window host presents `surface()`; the headless host reads
// `pixels()` or writes a PNG.
//
// A frame whose display list equals the previous one paints nothing; one
// that differs in a small area repaints just that area; the window-sized
// background gradient is copied out of a small strip rather than evaluated
// per pixel (see GradientBackdrop).
class Renderer {
  public:
    Renderer(Size size, double scale);
    ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // Makes a new, cleared surface when the pixel size changes; the next
    // frame is painted whole.
    void resize(Size size, double scale);

    // Paints `tree` (resizing first when the tree's size or scale differ)
    // and returns whether any pixel was painted.
    bool render(const LayoutTree& tree);
    bool render(DisplayList list);

    // What the last render did; Repaint::none when it painted nothing.
    Repaint lastRepaint() const { return lastRepaint_; }
    // The region of the last partial repaint, in window points.
    const Rect& lastRegion() const { return painter_.lastRegion(); }
    const DisplayList& displayList() const { return painter_.current(); }

    // The next render paints the whole frame, even when its display list is
    // unchanged (use after drawing on the surface from outside).
    void invalidate() { painter_.invalidate(); }

    Size size() const { return size_; }
    double scale() const { return scale_; }
    int pixelWidth() const;
    int pixelHeight() const;
    int stride() const;
    // Premultiplied ARGB32 in native byte order, `stride` bytes per row.
    const unsigned char* pixels() const;
    cairo_surface_t* surface() const { return surface_; }

    // Writes the current frame as PNG (zlib compression costs ~80 ms for a
    // phone-sized frame at scale 3, so never call this in a timed path).
    bool writePng(const std::string& path) const;

    // Bytes of pixel memory the renderer holds (frame and gradient strip).
    std::size_t memoryBytes() const;
    const CairoCanvas& canvas() const { return *canvas_; }
    CairoCanvas& canvas() { return *canvas_; }

  private:
    void createSurface();
    void destroySurface();

    Size size_;
    double scale_ = 1;
    cairo_surface_t* surface_ = nullptr;
    cairo_t* cr_ = nullptr;
    std::unique_ptr<CairoCanvas> canvas_;
    FramePainter painter_;
    Repaint lastRepaint_ = Repaint::none;
};

}  // namespace ui
