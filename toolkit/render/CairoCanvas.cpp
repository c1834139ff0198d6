#include "toolkit/render/CairoCanvas.hpp"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>

#include "toolkit/render/IconFont.hpp"
#include "toolkit/render/PangoText.hpp"
#include "toolkit/render/ShapedText.hpp"

namespace ui {
namespace {

bool isWholePixel(double v) {
    return std::abs(v - std::round(v)) < 1e-6;
}

// The pixels-per-point factor of a context whose matrix is a plain scale,
// or nothing when it is rotated, skewed, translated or scaled unevenly.
std::optional<double> plainScale(cairo_t* cr) {
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    if (m.xy != 0 || m.yx != 0 || m.x0 != 0 || m.y0 != 0 || m.xx != m.yy || m.xx <= 0) {
        return std::nullopt;
    }
    return m.xx;
}

Rect scaled(const Rect& r, double s) {
    return {r.x * s, r.y * s, r.width * s, r.height * s};
}

bool isOpaque(const LinearGradient& g) {
    return !g.colors.empty() &&
           std::all_of(g.colors.begin(), g.colors.end(), [](const Color& c) { return c.a >= 1; });
}

}  // namespace

CairoCanvas::CairoCanvas(cairo_t* cr) : cr_(cairo_reference(cr)) {}

CairoCanvas::~CairoCanvas() {
    cairo_destroy(cr_);
}

void CairoCanvas::beginFrame(std::optional<Rect> region) {
    cairo_save(cr_);
    cairo_surface_t* target = cairo_get_target(cr_);
    Rect device = Rect::infinite();
    if (cairo_surface_get_type(target) == CAIRO_SURFACE_TYPE_IMAGE) {
        device = {0, 0, static_cast<double>(cairo_image_surface_get_width(target)),
                  static_cast<double>(cairo_image_surface_get_height(target))};
    }
    std::optional<double> scale = plainScale(cr_);
    bool aligned = scale.has_value();
    if (region) {
        cairo_rectangle(cr_, region->x, region->y, region->width, region->height);
        cairo_clip(cr_);
        if (scale) {
            Rect r = scaled(*region, *scale);
            aligned = isWholePixel(r.minX()) && isWholePixel(r.minY()) && isWholePixel(r.maxX()) &&
                      isWholePixel(r.maxY());
            device = device.intersection(r);
        }
    }
    clips_.assign(1, DeviceClip{device, aligned});
    clearPending_ = true;
}

void CairoCanvas::endFrame() {
    clearPendingBackground();
    while (clips_.size() > 1) popClip();
    clips_.clear();
    cairo_restore(cr_);
    cairo_surface_flush(cairo_get_target(cr_));
}

void CairoCanvas::clearPendingBackground() {
    if (!clearPending_) return;
    clearPending_ = false;
    cairo_save(cr_);
    cairo_set_operator(cr_, CAIRO_OPERATOR_CLEAR);
    cairo_paint(cr_);
    cairo_restore(cr_);
}

void CairoCanvas::pushClip(const Rect& rect) {
    // Clearing honours the clips in force, so the frame's region is cleared
    // before the first clip narrows it.
    clearPendingBackground();
    cairo_save(cr_);
    cairo_rectangle(cr_, rect.x, rect.y, rect.width, rect.height);
    cairo_clip(cr_);
    DeviceClip top = clips_.empty() ? DeviceClip{Rect::infinite(), false} : clips_.back();
    std::optional<double> scale = plainScale(cr_);
    if (scale) {
        Rect r = scaled(rect, *scale);
        top.aligned = top.aligned && isWholePixel(r.minX()) && isWholePixel(r.minY()) &&
                      isWholePixel(r.maxX()) && isWholePixel(r.maxY());
        top.rect = top.rect.intersection(r);
    } else {
        top.aligned = false;
    }
    clips_.push_back(top);
}

void CairoCanvas::popClip() {
    // The frame's own clip (the bottom entry) is only undone by endFrame.
    if (clips_.size() <= 1) return;
    clips_.pop_back();
    cairo_restore(cr_);
}

void CairoCanvas::setSource(const Style& style, const Rect& rect, double opacity) {
    if (const Color* c = std::get_if<Color>(&style)) {
        cairo_set_source_rgba(cr_, c->r, c->g, c->b, c->a * opacity);
        return;
    }
    const auto& g = std::get<LinearGradient>(style);
    if (g.colors.size() < 2) {
        Color c = g.colors.empty() ? Color::clear : g.colors.front();
        cairo_set_source_rgba(cr_, c.r, c.g, c.b, c.a * opacity);
        return;
    }
    cairo_pattern_t* pattern = cairo_pattern_create_linear(
        rect.x + g.startPoint.x * rect.width, rect.y + g.startPoint.y * rect.height,
        rect.x + g.endPoint.x * rect.width, rect.y + g.endPoint.y * rect.height);
    const double last = static_cast<double>(g.colors.size() - 1);
    for (std::size_t i = 0; i < g.colors.size(); ++i) {
        const Color& c = g.colors[i];
        cairo_pattern_add_color_stop_rgba(pattern, static_cast<double>(i) / last, c.r, c.g, c.b,
                                          c.a * opacity);
    }
    cairo_set_source(cr_, pattern);
    cairo_pattern_destroy(pattern);
}

void CairoCanvas::appendPath(const Path& path) {
    cairo_new_path(cr_);
    for (const PathElement& e : path) {
        switch (e.verb) {
            case PathElement::Verb::moveTo:
                cairo_move_to(cr_, e.points[0].x, e.points[0].y);
                break;
            case PathElement::Verb::lineTo:
                cairo_line_to(cr_, e.points[0].x, e.points[0].y);
                break;
            case PathElement::Verb::curveTo:
                cairo_curve_to(cr_, e.points[0].x, e.points[0].y, e.points[1].x, e.points[1].y,
                               e.points[2].x, e.points[2].y);
                break;
            case PathElement::Verb::close:
                cairo_close_path(cr_);
                break;
        }
    }
}

bool CairoCanvas::paintBackdrop(const FillPath& op) {
    if (!backdropFastPath_ || op.opacity < 1 || clips_.empty()) return false;
    const auto* gradient = std::get_if<LinearGradient>(&op.style);
    if (!gradient || !isOpaque(*gradient) || effectiveCornerRadius(op.shape) > 0) return false;
    cairo_surface_t* target = cairo_get_target(cr_);
    if (cairo_surface_get_type(target) != CAIRO_SURFACE_TYPE_IMAGE ||
        cairo_image_surface_get_format(target) != CAIRO_FORMAT_ARGB32) {
        return false;
    }
    std::optional<double> scale = plainScale(cr_);
    const DeviceClip& clip = clips_.back();
    if (!scale || !clip.aligned) return false;
    // Only where the opaque gradient covers everything being painted does
    // writing its pixels equal blending it over what is there.
    Rect frame = scaled(op.shape.rect, *scale);
    if (!covers(frame, clip.rect)) return false;

    // At the frame's own level the backdrop replaces every pixel, so the
    // clearing is not needed (inside a clip it has already happened).
    if (clips_.size() == 1) clearPending_ = false;
    PixelRect region{static_cast<int>(std::lround(clip.rect.minX())),
                     static_cast<int>(std::lround(clip.rect.minY())),
                     static_cast<int>(std::lround(clip.rect.maxX())),
                     static_cast<int>(std::lround(clip.rect.maxY()))};
    cairo_surface_flush(target);
    bool painted = backdrop_.paint(
        cairo_image_surface_get_data(target), cairo_image_surface_get_stride(target),
        cairo_image_surface_get_width(target), cairo_image_surface_get_height(target), region,
        frame, *gradient);
    if (!painted) return false;
    cairo_surface_mark_dirty_rectangle(target, region.x0, region.y0, region.x1 - region.x0,
                                       region.y1 - region.y0);
    return true;
}

void CairoCanvas::fillPath(const FillPath& op) {
    if (paintBackdrop(op)) return;
    clearPendingBackground();
    setSource(op.style, op.shape.rect, op.opacity);
    appendPath(outlinePath(op.shape));
    cairo_fill(cr_);
}

void CairoCanvas::strokePath(const StrokePath& op) {
    clearPendingBackground();
    setSource(op.style, op.shape.rect, op.opacity);
    appendPath(outlinePath(op.shape));
    cairo_set_line_width(cr_, op.lineWidth);
    cairo_set_line_cap(cr_, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(cr_, CAIRO_LINE_JOIN_MITER);
    cairo_set_miter_limit(cr_, 10);
    cairo_stroke(cr_);
}

void CairoCanvas::drawText(const DrawText& op) {
    const auto [shaped, scale] =
        text::shapeAtSize(op.text, text::shapingFontDescriptionString(op.font), op.font.size,
                          op.wrapWidth, op.lineLimit);
    if (scale <= 0) return;
    clearPendingBackground();
    cairo_set_source_rgba(cr_, op.color.r, op.color.g, op.color.b, op.color.a * op.opacity);

    // Each line sits in a box of the style's line height, its natural
    // height (ascent + descent) centred in it, exactly as measuring
    // counted lines. The text was shaped at the shaping size; the context
    // is scaled down to the font's size around each line's baseline.
    const double lineHeight = op.font.lineHeight;
    for (std::size_t i = 0; i < shaped.lines().size(); ++i) {
        const text::ShapedLine& line = shaped.lines()[i];
        if (line.empty()) continue;
        double top = op.rect.y + static_cast<double>(i) * lineHeight +
                     (lineHeight - line.height * scale) / 2;
        showLine(line.line, op.rect.x + line.x * scale, top + line.ascent * scale, scale);
    }
}

void CairoCanvas::drawSymbol(const DrawSymbol& op) {
    const text::IconFont& icons = text::IconFont::shared();
    std::optional<text::IconFont::Glyph> glyph = icons.glyph(op.codepoint);
    if (!glyph || op.size <= 0) return;
    clearPendingBackground();
    // The glyph's box (its advance by the font's ascent and descent) is
    // centred in the symbol's rectangle.
    const double width = glyph->advance * op.size;
    const double height = (glyph->ascent + glyph->descent) * op.size;
    cairo_set_source_rgba(cr_, op.color.r, op.color.g, op.color.b, op.color.a * op.opacity);
    icons.draw(cr_, *glyph, op.size, op.rect.midX() - width / 2,
               op.rect.midY() - height / 2 + glyph->ascent * op.size);
}

void CairoCanvas::showLine(PangoLayoutLine* line, double x, double baseline, double scale) {
    cairo_save(cr_);
    cairo_translate(cr_, x, baseline);
    cairo_scale(cr_, scale, scale);
    cairo_move_to(cr_, 0, 0);
    pango_cairo_show_layout_line(cr_, line);
    cairo_restore(cr_);
}

}  // namespace ui
