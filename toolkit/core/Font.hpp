#pragma once

#include <optional>

namespace ui {

// A font as the views ask for it: a text style or an explicit size, with an
// optional weight and a design. Sizes are points at the default content
// size.
struct Font {
    enum class TextStyle {
        largeTitle,
        title,
        title2,
        title3,
        headline,
        body,
        callout,
        subheadline,
        footnote,
        caption,
        caption2
    };
    enum class Weight { ultralight, thin, light, regular, medium, semibold, bold, heavy, black };
    enum class Design { standard, monospaced };

    std::optional<TextStyle> style;  // empty for `system(size:)`
    double size = 17;                // explicit size when `style` is empty
    std::optional<Weight> fontWeight;
    Design design = Design::standard;

    static Font system(double size, Weight weight = Weight::regular, Design design = Design::standard) {
        Font f;
        f.size = size;
        f.fontWeight = weight;
        f.design = design;
        return f;
    }
    static Font system(TextStyle style, Design design, Weight weight) {
        Font f;
        f.style = style;
        f.design = design;
        f.fontWeight = weight;
        return f;
    }
    Font weight(Weight w) const {
        Font f = *this;
        f.fontWeight = w;
        return f;
    }
    Font monospaced() const {
        Font f = *this;
        f.design = Design::monospaced;
        return f;
    }

    // The nominal point size, line height and weight after the text style
    // is applied.
    double pointSize() const;
    double lineHeight() const;
    Weight resolvedWeight() const;

    static const Font largeTitle, title, title2, title3, headline, body, callout, subheadline,
        footnote, caption, caption2;
    friend bool operator==(const Font&, const Font&) = default;
};

namespace detail {
inline Font styleFont(Font::TextStyle s) {
    Font f;
    f.style = s;
    return f;
}
}  // namespace detail

inline const Font Font::largeTitle = detail::styleFont(Font::TextStyle::largeTitle);
inline const Font Font::title = detail::styleFont(Font::TextStyle::title);
inline const Font Font::title2 = detail::styleFont(Font::TextStyle::title2);
inline const Font Font::title3 = detail::styleFont(Font::TextStyle::title3);
inline const Font Font::headline = detail::styleFont(Font::TextStyle::headline);
inline const Font Font::body = detail::styleFont(Font::TextStyle::body);
inline const Font Font::callout = detail::styleFont(Font::TextStyle::callout);
inline const Font Font::subheadline = detail::styleFont(Font::TextStyle::subheadline);
inline const Font Font::footnote = detail::styleFont(Font::TextStyle::footnote);
inline const Font Font::caption = detail::styleFont(Font::TextStyle::caption);
inline const Font Font::caption2 = detail::styleFont(Font::TextStyle::caption2);

const char* weightName(Font::Weight w);

}  // namespace ui
