#include "toolkit/render/Renderer.hpp"

#include <algorithm>
#include <cmath>

#include "toolkit/render/CairoCanvas.hpp"
#include "toolkit/render/FrameMemory.hpp"

namespace ui {
namespace {

const cairo_user_data_key_t kFrameMemoryKey{};

// An ARGB32 image on FrameMemory (see there for why). The surface owns the
// memory, since a host may hold on to the surface to present it.
cairo_surface_t* createFrameSurface(int width, int height) {
    const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, width);
    auto memory = std::make_unique<FrameMemory>(static_cast<std::size_t>(stride) *
                                                static_cast<std::size_t>(height));
    if (stride <= 0 || !memory->data()) {
        return cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    }
    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        memory->data(), CAIRO_FORMAT_ARGB32, width, height, stride);
    cairo_status_t status =
        cairo_surface_set_user_data(surface, &kFrameMemoryKey, memory.get(),
                                    [](void* m) { delete static_cast<FrameMemory*>(m); });
    if (status == CAIRO_STATUS_SUCCESS) {
        memory.release();
        return surface;
    }
    cairo_surface_destroy(surface);
    return cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
}

}  // namespace

int framePixels(double points, double scale) {
    // A window of fractional pixels gets the partly covered pixel too.
    return std::max(1, static_cast<int>(std::ceil(points * scale - 1e-6)));
}

Renderer::Renderer(Size size, double scale) : size_(size), scale_(scale > 0 ? scale : 1) {
    createSurface();
}

Renderer::~Renderer() {
    destroySurface();
}

void Renderer::createSurface() {
    surface_ =
        createFrameSurface(framePixels(size_.width, scale_), framePixels(size_.height, scale_));
    cr_ = cairo_create(surface_);
    cairo_scale(cr_, scale_, scale_);
    canvas_ = std::make_unique<CairoCanvas>(cr_);
    painter_.invalidate();
}

void Renderer::destroySurface() {
    canvas_.reset();
    if (cr_) cairo_destroy(cr_);
    if (surface_) cairo_surface_destroy(surface_);
    cr_ = nullptr;
    surface_ = nullptr;
}

void Renderer::resize(Size size, double scale) {
    if (scale <= 0) scale = 1;
    if (size == size_ && scale == scale_) return;
    bool samePixels = framePixels(size.width, scale) == pixelWidth() &&
                      framePixels(size.height, scale) == pixelHeight();
    size_ = size;
    if (samePixels && scale == scale_) {
        painter_.invalidate();
        return;
    }
    scale_ = scale;
    destroySurface();
    createSurface();
}

bool Renderer::render(const LayoutTree& tree) {
    return render(buildDisplayList(tree));
}

bool Renderer::render(DisplayList list) {
    resize(list.size, list.scale);
    lastRepaint_ = painter_.paint(std::move(list), *canvas_);
    return lastRepaint_ != Repaint::none;
}

int Renderer::pixelWidth() const {
    return cairo_image_surface_get_width(surface_);
}
int Renderer::pixelHeight() const {
    return cairo_image_surface_get_height(surface_);
}
int Renderer::stride() const {
    return cairo_image_surface_get_stride(surface_);
}

const unsigned char* Renderer::pixels() const {
    cairo_surface_flush(surface_);
    return cairo_image_surface_get_data(surface_);
}

bool Renderer::writePng(const std::string& path) const {
    cairo_surface_flush(surface_);
    return cairo_surface_write_to_png(surface_, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

std::size_t Renderer::memoryBytes() const {
    return static_cast<std::size_t>(stride()) * static_cast<std::size_t>(pixelHeight()) +
           canvas_->backdrop().memoryBytes();
}

}  // namespace ui
