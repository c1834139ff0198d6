#include "toolkit/render/GradientBackdrop.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace ui {
namespace {

// A strip longer than this many times (width + height) is not worth it: the
// gradient is then so close to vertical that Cairo's own drawing is the
// simpler way.
constexpr double kMaxStripFactor = 8;

std::uint32_t channel(double v) {
    return static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0));
}

}  // namespace

std::uint32_t GradientBackdrop::colorAt(const LinearGradient& gradient, double t) {
    const std::vector<Color>& colors = gradient.colors;
    if (colors.empty()) return 0;
    Color c = colors.front();
    if (colors.size() > 1) {
        t = std::clamp(std::isnan(t) ? 0.0 : t, 0.0, 1.0);
        double position = t * static_cast<double>(colors.size() - 1);
        std::size_t i = std::min(static_cast<std::size_t>(position), colors.size() - 2);
        double f = position - static_cast<double>(i);
        const Color& a = colors[i];
        const Color& b = colors[i + 1];
        c = {a.r + (b.r - a.r) * f, a.g + (b.g - a.g) * f, a.b + (b.b - a.b) * f,
             a.a + (b.a - a.a) * f};
    }
    double alpha = std::clamp(c.a, 0.0, 1.0);
    return channel(alpha) << 24 | channel(c.r * alpha) << 16 | channel(c.g * alpha) << 8 |
           channel(c.b * alpha);
}

bool GradientBackdrop::prepare(const Key& key) {
    if (key_ && *key_ == key) return usable_;
    key_ = key;
    ++rebuilds_;
    usable_ = false;
    strip_.clear();
    rowShift_.clear();
    rowColor_.clear();

    const Rect& f = key.frame;
    const LinearGradient& g = key.gradient;
    double sx = f.x + g.startPoint.x * f.width, sy = f.y + g.startPoint.y * f.height;
    double dx = (g.endPoint.x - g.startPoint.x) * f.width;
    double dy = (g.endPoint.y - g.startPoint.y) * f.height;
    double lengthSquared = dx * dx + dy * dy;
    // The gradient parameter at the centre of pixel (x, y).
    auto parameter = [&](double px, double py) {
        if (lengthSquared == 0) return 0.0;
        return ((px - sx) * dx + (py - sy) * dy) / lengthSquared;
    };

    if (dx == 0) {
        constantRows_ = true;
        rowColor_.resize(key.height);
        for (int y = 0; y < key.height; ++y) rowColor_[y] = colorAt(g, parameter(0, y + 0.5));
        usable_ = true;
        return true;
    }

    // Row y holds the colours of row 0 shifted by (y × dy/dx) pixels;
    // rounding the shift keeps every row a plain copy out of the strip.
    constantRows_ = false;
    auto shift = [&](int y) { return std::lround((y + 0.5 - sy) * dy / dx); };
    long first = shift(0), last = shift(std::max(0, key.height - 1));
    long minShift = std::min(first, last), maxShift = std::max(first, last);
    double length = static_cast<double>(key.width) + static_cast<double>(maxShift - minShift);
    if (length > kMaxStripFactor * (key.width + key.height)) return false;

    strip_.resize(static_cast<std::size_t>(length));
    for (std::size_t i = 0; i < strip_.size(); ++i) {
        // Strip index i stands for x + shift(y) − minShift on row y; on the
        // line through the start point (where the shift is exact) that is
        // the pixel centre x + 0.5.
        double u = static_cast<double>(i) + static_cast<double>(minShift) + 0.5;
        strip_[i] = colorAt(g, parameter(u, sy));
    }
    rowShift_.resize(key.height);
    for (int y = 0; y < key.height; ++y)
        rowShift_[y] = static_cast<std::int32_t>(shift(y) - minShift);
    usable_ = true;
    return true;
}

bool GradientBackdrop::paint(unsigned char* data, int stride, int width, int height,
                             PixelRect region, const Rect& frame, const LinearGradient& gradient) {
    if (!prepare(Key{gradient, frame, width, height})) return false;
    region.x0 = std::max(region.x0, 0);
    region.y0 = std::max(region.y0, 0);
    region.x1 = std::min(region.x1, width);
    region.y1 = std::min(region.y1, height);
    if (region.empty()) return true;

    const std::size_t count = static_cast<std::size_t>(region.x1 - region.x0);
    for (int y = region.y0; y < region.y1; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::size_t>(y) * stride) +
                    region.x0;
        if (constantRows_) {
            std::fill_n(row, count, rowColor_[y]);
        } else {
            std::memcpy(row, strip_.data() + rowShift_[y] + region.x0,
                        count * sizeof(std::uint32_t));
        }
    }
    return true;
}

std::size_t GradientBackdrop::memoryBytes() const {
    return strip_.capacity() * sizeof(std::uint32_t) + rowShift_.capacity() * sizeof(std::int32_t) +
           rowColor_.capacity() * sizeof(std::uint32_t);
}

}  // namespace ui
