#include "toolkit/layout/TextMeasurer.hpp"

namespace ui {

ResolvedFont resolve(const Font& font, double scaleFactor) {
    ResolvedFont resolved;
    resolved.size = font.pointSize() * scaleFactor;
    resolved.lineHeight = font.lineHeight() * scaleFactor;
    resolved.weight = font.resolvedWeight();
    resolved.design = font.design;
    return resolved;
}

}  // namespace ui
