#include "toolkit/core/Font.hpp"

namespace ui {
namespace {

struct StyleMetrics {
    double size;
    double lineHeight;
};

// Point size and line height of each text style at the default content size.
StyleMetrics metrics(Font::TextStyle s) {
    switch (s) {
        case Font::TextStyle::largeTitle: return {34, 41};
        case Font::TextStyle::title: return {28, 34};
        case Font::TextStyle::title2: return {22, 28};
        case Font::TextStyle::title3: return {20, 25};
        case Font::TextStyle::headline: return {17, 22};
        case Font::TextStyle::body: return {17, 22};
        case Font::TextStyle::callout: return {16, 21};
        case Font::TextStyle::subheadline: return {15, 20};
        case Font::TextStyle::footnote: return {13, 18};
        case Font::TextStyle::caption: return {12, 16};
        case Font::TextStyle::caption2: return {11, 13};
    }
    return {17, 22};
}

}  // namespace

double Font::pointSize() const { return style ? metrics(*style).size : size; }

double Font::lineHeight() const {
    if (style) return metrics(*style).lineHeight;
    // Explicit sizes get the platform's usual leading of about 1.2.
    return size * 1.2;
}

Font::Weight Font::resolvedWeight() const {
    if (fontWeight) return *fontWeight;
    return style == TextStyle::headline ? Weight::semibold : Weight::regular;
}

const char* weightName(Font::Weight w) {
    switch (w) {
        case Font::Weight::ultralight: return "ultralight";
        case Font::Weight::thin: return "thin";
        case Font::Weight::light: return "light";
        case Font::Weight::regular: return "regular";
        case Font::Weight::medium: return "medium";
        case Font::Weight::semibold: return "semibold";
        case Font::Weight::bold: return "bold";
        case Font::Weight::heavy: return "heavy";
        case Font::Weight::black: return "black";
    }
    return "regular";
}

}  // namespace ui
