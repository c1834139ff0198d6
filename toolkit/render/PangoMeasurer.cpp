#include "toolkit/render/PangoMeasurer.hpp"

#include <algorithm>
#include <functional>

#include "toolkit/render/PangoText.hpp"
#include "toolkit/render/ShapedText.hpp"

namespace ui {
namespace {

void combine(std::size_t& seed, std::size_t value) {
    seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
}

}  // namespace

std::size_t PangoMeasurer::KeyHash::operator()(const KeyView& key) const {
    std::size_t seed = std::hash<std::string_view>{}(key.text);
    combine(seed, std::hash<double>{}(key.font.size));
    combine(seed, std::hash<double>{}(key.font.lineHeight));
    combine(seed, static_cast<std::size_t>(key.font.weight));
    combine(seed, static_cast<std::size_t>(key.font.design));
    combine(seed, key.width ? std::hash<double>{}(*key.width) : 0x5bd1e995);
    combine(seed, static_cast<std::size_t>(key.lineLimit));
    return seed;
}

TextMetrics PangoMeasurer::measure(std::string_view text, const ResolvedFont& font,
                                   std::optional<double> width, int lineLimit) {
    // Widths Pango cannot use (infinite) mean "no wrapping", and share the
    // cache entry of an unspecified width.
    const KeyView key{text, font, text::wrappingWidth(width), lineLimit};
    if (auto it = cache_.find(key); it != cache_.end()) {
        ++cacheHits_;
        return it->second;
    }
    TextMetrics metrics = shape(text, font, key.width, lineLimit);
    if (cache_.size() >= kMaxCacheEntries) cache_.clear();
    cache_.emplace(Key{std::string(text), font, key.width, lineLimit}, metrics);
    return metrics;
}

TextMetrics PangoMeasurer::shape(std::string_view text, const ResolvedFont& font,
                                 std::optional<double> width, int lineLimit) {
    const std::size_t shapedBefore = text::shapedTexts().shapedCount();
    const auto [shaped, scale] = text::shapeAtSize(text, text::shapingFontDescriptionString(font),
                                                   font.size, width, lineLimit);
    // Finding the text already shaped (by another width that fits it, by
    // another size of its face, or by the painter) is as good as a cache hit.
    if (text::shapedTexts().shapedCount() != shapedBefore) {
        ++measureCount_;
    } else {
        ++cacheHits_;
    }
    TextMetrics metrics;
    metrics.lineCount = static_cast<int>(shaped.lines().size());
    metrics.truncated = shaped.ellipsized();
    metrics.size.width = shaped.width() * scale;
    // The layout width carries a hair of slack against float rounding (see
    // configureLayout); an ellipsized line may use it, but the answer never
    // exceeds the width that was offered.
    if (width) metrics.size.width = std::min(metrics.size.width, *width);
    metrics.size.height = metrics.lineCount * font.lineHeight;
    return metrics;
}

}  // namespace ui
