#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "toolkit/core/Font.hpp"
#include "toolkit/core/Geometry.hpp"

namespace ui {

// A font after its text style is resolved, at a concrete point size.
struct ResolvedFont {
    double size = 17;        // points, already multiplied by any shrink factor
    double lineHeight = 22;  // points
    Font::Weight weight = Font::Weight::regular;
    Font::Design design = Font::Design::standard;
    friend bool operator==(const ResolvedFont&, const ResolvedFont&) = default;
};

ResolvedFont resolve(const Font& font, double scaleFactor = 1.0);

struct TextMetrics {
    Size size;               // points
    bool truncated = false;  // cut and ended with "…"
    int lineCount = 1;
};

// Measures text. Layout goes through this interface so tests can use a fake
// with fixed advances; the real one shapes with Pango.
class TextMeasurer {
public:
    virtual ~TextMeasurer() = default;

    // `width` empty: no wrapping, one line per paragraph. `lineLimit` 0: no
    // limit; otherwise lines past the limit are cut and the last one ends
    // in "…".
    virtual TextMetrics measure(std::string_view text, const ResolvedFont& font,
                                std::optional<double> width, int lineLimit) = 0;

    // Calls that reached the underlying shaper, and calls answered from a
    // cache, for the benchmarks.
    virtual std::size_t measureCount() const { return 0; }
    virtual std::size_t cacheHits() const { return 0; }
};

// A measurer for tests: every character (UTF-8 code point) advances
// `advance × size` points, lines are `font.lineHeight` high, words wrap at
// spaces, and an over-long word is broken anywhere.
class FixedAdvanceMeasurer : public TextMeasurer {
public:
    explicit FixedAdvanceMeasurer(double advance = 0.5) : advance_(advance) {}
    TextMetrics measure(std::string_view text, const ResolvedFont& font, std::optional<double> width,
                        int lineLimit) override;
    std::size_t measureCount() const override { return count_; }

private:
    double advance_;
    std::size_t count_ = 0;
};

}  // namespace ui
