// A small hand-written JSON writer: the tree has a fixed shape, and writing
// it directly keeps the toolkit free of a JSON library.

#include "toolkit/layout/TreeJson.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>
#include <cstdio>

namespace ui {
namespace {

// Numbers with at most four decimals and no trailing zeros ("12", "0.3333",
// "-1.5"). JSON has no infinity or NaN; they are written as null.
void appendNumber(std::string& out, double value) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    char buffer[64];
    int n = std::snprintf(buffer, sizeof buffer, "%.4f", value);
    std::string_view text(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
    if (text.find('.') != std::string_view::npos) {
        while (!text.empty() && text.back() == '0') text.remove_suffix(1);
        if (!text.empty() && text.back() == '.') text.remove_suffix(1);
    }
    if (text == "-0") text = "0";
    out += text;
}

// The length of the well-formed UTF-8 sequence at `i`, or 0 when the bytes
// there are not one (stray continuation bytes, overlong forms, surrogates,
// code points past U+10FFFF, or a sequence cut short).
std::size_t utf8Length(std::string_view s, std::size_t i) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char lead = byte(i);
    if (lead < 0x80) return 1;
    std::size_t length;
    unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > s.size()) return 0;
    if (byte(i + 1) < low || byte(i + 1) > high) return 0;
    for (std::size_t k = 2; k < length; ++k) {
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
    }
    return length;
}

// A JSON string: quotes, backslashes and control characters escaped, valid
// UTF-8 copied as it is, and each byte that is not valid UTF-8 replaced by
// U+FFFD so the document always parses.
void appendString(std::string& out, std::string_view s) {
    out += '"';
    for (std::size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c == '"') {
            out += "\\\"";
        } else if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\b') {
            out += "\\b";
        } else if (c == '\f') {
            out += "\\f";
        } else if (c < 0x20) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
            out += buffer;
        } else if (std::size_t length = utf8Length(s, i); length > 0) {
            out.append(s.substr(i, length));
            i += length;
            continue;
        } else {
            out += "\xEF\xBF\xBD";
        }
        ++i;
    }
    out += '"';
}

void appendKey(std::string& out, std::string_view key) {
    out += ',';
    appendString(out, key);
    out += ':';
}

void appendNumbers(std::string& out, std::initializer_list<double> values) {
    out += '[';
    bool first = true;
    for (double v : values) {
        if (!first) out += ',';
        first = false;
        appendNumber(out, v);
    }
    out += ']';
}

void appendRect(std::string& out, const Rect& r) {
    appendNumbers(out, {r.x, r.y, r.width, r.height});
}

void appendColor(std::string& out, const Color& c) {
    appendNumbers(out, {c.r, c.g, c.b, c.a});
}

void appendStyle(std::string& out, const Style& style) {
    if (const auto* color = std::get_if<Color>(&style)) {
        appendColor(out, *color);
        return;
    }
    const auto& gradient = std::get<LinearGradient>(style);
    out += "{\"gradient\":[";
    for (std::size_t i = 0; i < gradient.colors.size(); ++i) {
        if (i > 0) out += ',';
        appendColor(out, gradient.colors[i]);
    }
    out += "],\"startPoint\":";
    appendNumbers(out, {gradient.startPoint.x, gradient.startPoint.y});
    out += ",\"endPoint\":";
    appendNumbers(out, {gradient.endPoint.x, gradient.endPoint.y});
    out += '}';
}

// The JSON's name of each entry kind, in the order of `EntryKind`. A kind
// added there without a name here stops the build.
constexpr std::array<std::string_view, 17> kKindNames = {
    "Text",    "Image",         "Label",        "RoundedRectangle", "Rectangle",
    "Divider", "Button",        "VStack",       "HStack",           "ZStack",
    "ScrollView", "Grid",       "Spacer",       "LinearGradient",   "NavigationStack",
    "NavigationBar", "ScrollIndicator"};
static_assert(kKindNames.size() == static_cast<std::size_t>(EntryKind::scrollIndicator) + 1,
              "every entry kind needs its JSON name");
static_assert(std::ranges::none_of(kKindNames, [](std::string_view n) { return n.empty(); }),
              "every entry kind needs its JSON name");

// How the entry is painted: styles, font, corners and opacity.
void appendPaint(std::string& out, const LaidOutView& v) {
    if (v.foreground) {
        appendKey(out, "foreground");
        appendStyle(out, *v.foreground);
    }
    if (v.fill) {
        appendKey(out, "fill");
        appendStyle(out, *v.fill);
    }
    if (v.stroke) {
        appendKey(out, "stroke");
        appendStyle(out, *v.stroke);
        appendKey(out, "lineWidth");
        appendNumber(out, v.lineWidth);
    }
    if (v.font) {
        out += ",\"font\":{\"size\":";
        appendNumber(out, v.font->pointSize());
        out += ",\"weight\":";
        appendString(out, weightName(v.font->resolvedWeight()));
        out += ",\"design\":";
        appendString(out, v.font->design == Font::Design::monospaced ? "monospaced" : "default");
        out += '}';
    }
    if (v.fontScale < 1) {
        appendKey(out, "fontScale");
        appendNumber(out, v.fontScale);
    }
    if (v.shapeKind == ShapeNode::Kind::roundedRectangle && v.cornerRadius > 0) {
        appendKey(out, "cornerRadius");
        appendNumber(out, v.cornerRadius);
        appendKey(out, "cornerStyle");
        appendString(out, v.cornerStyle == CornerStyle::continuous ? "continuous" : "circular");
    }
    if (v.opacity < 1) {
        appendKey(out, "opacity");
        appendNumber(out, v.opacity);
    }
}

void appendView(std::string& out, const LaidOutView& v, bool ringShown) {
    out += "{\"kind\":";
    appendString(out, jsonName(v.kind));
    appendKey(out, "parent");
    out += std::to_string(v.parent);
    appendKey(out, "frame");
    appendRect(out, v.frame);
    if (v.outerFrame != v.frame) {
        appendKey(out, "outerFrame");
        appendRect(out, v.outerFrame);
    }
    if (v.text) {
        appendKey(out, "text");
        appendString(out, *v.text);
    }
    if (v.truncated) out += ",\"truncated\":true";
    if (v.symbol) {
        appendKey(out, "symbol");
        appendString(out, *v.symbol);
    }
    appendPaint(out, v);
    if (v.accessibilityLabel) {
        appendKey(out, "accessibilityLabel");
        appendString(out, *v.accessibilityLabel);
    }
    if (v.accessibilityHint) {
        appendKey(out, "accessibilityHint");
        appendString(out, *v.accessibilityHint);
    }
    if (v.selectable) out += ",\"selectable\":true";
    // Focus is written only where its ring shows, so trees of sessions
    // without keyboard use read exactly as before.
    if (ringShown && v.focused) out += ",\"focused\":true";
    if (v.layer.kind != LayerKind::screen) {
        appendKey(out, "layer");
        appendString(out, v.layer.name());
    }
    // Unclipped entries carry a huge stand-in rectangle; only real clips are
    // worth writing.
    const Rect unclipped = Rect::infinite();
    if (v.clip.minX() > unclipped.minX() || v.clip.minY() > unclipped.minY() ||
        v.clip.maxX() < unclipped.maxX() || v.clip.maxY() < unclipped.maxY()) {
        appendKey(out, "clip");
        appendRect(out, v.clip);
    }
    out += '}';
}

}  // namespace

std::string_view jsonName(EntryKind kind) {
    return kKindNames[static_cast<std::size_t>(kind)];
}

std::string treeJson(const LayoutTree& tree, bool alertPresented, bool sheetPresented) {
    std::string out;
    out.reserve(256 + tree.views.size() * 200);
    out += "{\"size\":";
    appendNumbers(out, {tree.size.width, tree.size.height});
    out += ",\"scale\":";
    appendNumber(out, tree.scale);
    out += ",\"presentations\":{\"alert\":";
    out += alertPresented ? "true" : "false";
    out += ",\"sheet\":";
    out += sheetPresented ? "true" : "false";
    out += "},\"views\":[";
    for (std::size_t i = 0; i < tree.views.size(); ++i) {
        if (i > 0) out += ',';
        appendView(out, tree.views[i], tree.focusRingShown);
    }
    out += "]}\n";
    return out;
}

}  // namespace ui
