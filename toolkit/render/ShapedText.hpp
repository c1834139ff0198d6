#pragma once

// Texts shaped once, for the measurer and the painter alike.
//
// Shaping (itemizing, choosing fonts, HarfBuzz, breaking lines) is what
// text costs. Layout measures every text, and the painter then draws the
// same texts at the widths layout settled on; both take the shaped text
// from one store, so a text is shaped once and drawn from the same
// PangoLayout it was measured with.
//
// Definitions used below:
// - A text's *natural* shaping is its layout without a width: one line
//   per paragraph, nothing cut.
// - A shaping is *constrained* when its width actually broke or cut a
//   paragraph; one that is not is the natural shaping, whatever width it
//   was offered, because Pango breaks and cuts nothing that fits.
// - A line's *box* runs from its left edge to its right edge along the
//   advances of its glyphs, and from the tallest ascent to the deepest
//   descent of the fonts its glyphs use (as Pango's logical extents do).
//
// Line boxes are computed here from the shaped glyphs and the fonts'
// ascents and descents, not with pango_layout_get_extents(): Pango's
// extents also measure every glyph's outline (a FreeType load per glyph)
// and lay out a sample sentence in every font for its metrics, which cost
// more than the shaping itself.

#include <pango/pango.h>

#include <cstddef>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ui::text {

// One line, in points. `x` is the left edge of the line's box measured
// from the left edge of the text's box; the baseline is `ascent` below the
// top of the line's box, which is `height` tall.
struct ShapedLine {
    PangoLayoutLine* line = nullptr;  // owned by the text's layout
    double x = 0;
    double width = 0;
    double ascent = 0;
    double height = 0;
    bool empty() const { return !line || !line->runs; }
};

class ShapedText {
  public:
    // Shapes `text` in `font` as configureLayout() sets a layout up: wrapped
    // at `width` when given, cut with "…" after `lineLimit` lines.
    ShapedText(std::string_view text, const PangoFontDescription* font, std::optional<double> width,
               int lineLimit);
    ~ShapedText();
    ShapedText(const ShapedText&) = delete;
    ShapedText& operator=(const ShapedText&) = delete;

    PangoLayout* layout() const { return layout_; }
    const std::vector<ShapedLine>& lines() const { return lines_; }
    // The width of the text's box: the union of its lines' boxes.
    double width() const { return width_; }
    bool ellipsized() const { return ellipsized_; }
    bool constrained() const { return constrained_; }

  private:
    void measureLines();

    PangoLayout* layout_;
    std::vector<ShapedLine> lines_;
    double width_ = 0;
    bool ellipsized_ = false;
    bool constrained_ = false;
};

// The store. Texts are looked up by (text, font description, width, line
// limit), where a width of at least the text's natural width finds the
// natural shaping (it would break and cut nothing; widths within a hair of
// it count, as configureLayout gives them the same slack), and a missing
// width ignores the line limit (nothing is cut without a width).
//
// The store belongs to the UI thread, like the Pango context it shapes
// with. It keeps the most recently used kCapacity texts: a screen has a
// few dozen (the dashboard and its sheet about a hundred with layout's
// probes), so only ever-changing texts (a ticking clock) are evicted. A
// short text's shaping takes about 2.4 KB, so the store stays under a
// megabyte or so however long the app runs.
class ShapedTextStore {
  public:
    static constexpr std::size_t kCapacity = 256;

    ShapedTextStore() = default;
    ShapedTextStore(const ShapedTextStore&) = delete;
    ShapedTextStore& operator=(const ShapedTextStore&) = delete;

    // The shaped text, valid until the next call of get() or clear().
    const ShapedText& get(std::string_view text, const std::string& fontDescription,
                          std::optional<double> width, int lineLimit);

    // How many texts get() had to shape, since the store was made.
    std::size_t shapedCount() const { return shaped_; }
    std::size_t size() const { return entries_.size(); }
    void clear();

  private:
    struct Key {
        std::string text;
        std::string font;
        std::optional<int> width;  // Pango units (see layoutWidth); empty: natural
        int lineLimit = 0;
        friend bool operator==(const Key&, const Key&) = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& key) const;
    };
    struct Entry {
        Key key;
        std::unique_ptr<ShapedText> shaped;
    };
    using Entries = std::list<Entry>;  // most recently used first

    ShapedText* find(const Key& key);
    const ShapedText& insert(Key key, std::unique_ptr<ShapedText> shaped);

    Entries entries_;
    std::unordered_map<Key, Entries::iterator, KeyHash> index_;
    std::size_t shaped_ = 0;
};

// The process's store, which the measurer and the painter share.
ShapedTextStore& shapedTexts();

// A text set in a font of `size` points, wrapped at `width` points: its
// shaping at the shaping size (see kShapingSize) in the process's store,
// and the factor from that shaping's points to the text's.
struct SizedText {
    const ShapedText& shaped;
    double scale;
};
SizedText shapeAtSize(std::string_view text, const std::string& shapingFont, double size,
                      std::optional<double> width, int lineLimit);

}  // namespace ui::text
