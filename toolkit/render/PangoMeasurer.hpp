#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "toolkit/layout/TextMeasurer.hpp"

namespace ui {

// Measures text with Pango, the way the painter will draw it: the same
// fonts, the same word wrapping (over-long words break anywhere) and the
// same "…" ellipsizing. Heights are whole lines of the text style's line
// height, not Pango's own line spacing, so a text's frame is what the
// platform would give it; widths are Pango's logical widths in points.
//
// Answers are cached by (text, font, width, line limit): layout asks the
// same questions every frame, and a re-layout with unchanged texts never
// reaches Pango. Below that, texts are shaped in the process's
// ShapedTextStore, which the painter draws from: a text is shaped once for
// all the widths at which it fits on its natural lines, and is not shaped
// again to be drawn.
class PangoMeasurer : public TextMeasurer {
  public:
    PangoMeasurer() = default;
    PangoMeasurer(const PangoMeasurer&) = delete;
    PangoMeasurer& operator=(const PangoMeasurer&) = delete;

    TextMetrics measure(std::string_view text, const ResolvedFont& font,
                        std::optional<double> width, int lineLimit) override;
    // Calls that had to shape the text, and calls answered from this
    // measurer's answers or from texts already shaped.
    std::size_t measureCount() const override { return measureCount_; }
    std::size_t cacheHits() const override { return cacheHits_; }

    std::size_t cacheSize() const { return cache_.size(); }
    void clearCache() { cache_.clear(); }

    // The cache is dropped whole when it reaches this many answers: a
    // screen has a few hundred texts, so only a long run of ever-changing
    // texts (a ticking clock) gets here, and starting afresh is cheaper than
    // tracking recency on every hit.
    static constexpr std::size_t kMaxCacheEntries = 8192;

  private:
    struct Key {
        std::string text;
        ResolvedFont font;
        std::optional<double> width;
        int lineLimit = 0;
        friend bool operator==(const Key&, const Key&) = default;
    };
    // The same question with the text only viewed, so that a lookup (which
    // layout makes for every text on every pass) builds no string.
    struct KeyView {
        std::string_view text;
        ResolvedFont font;
        std::optional<double> width;
        int lineLimit = 0;
    };
    struct KeyHash {
        using is_transparent = void;
        std::size_t operator()(const KeyView& key) const;
        std::size_t operator()(const Key& key) const {
            return (*this)(KeyView{key.text, key.font, key.width, key.lineLimit});
        }
    };
    struct KeyEqual {
        using is_transparent = void;
        static KeyView view(const Key& key) { return {key.text, key.font, key.width, key.lineLimit}; }
        static const KeyView& view(const KeyView& key) { return key; }
        template <class A, class B>
        bool operator()(const A& a, const B& b) const {
            const KeyView& x = view(a);
            const KeyView& y = view(b);
            return x.text == y.text && x.font == y.font && x.width == y.width &&
                   x.lineLimit == y.lineLimit;
        }
    };

    TextMetrics shape(std::string_view text, const ResolvedFont& font, std::optional<double> width,
                      int lineLimit);

    std::unordered_map<Key, TextMetrics, KeyHash, KeyEqual> cache_;
    std::size_t measureCount_ = 0;
    std::size_t cacheHits_ = 0;
};

}  // namespace ui
