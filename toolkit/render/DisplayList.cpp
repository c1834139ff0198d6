#include "toolkit/render/DisplayList.hpp"

#include <algorithm>

#include "toolkit/render/Symbols.hpp"

namespace ui {
namespace {

bool hasArea(const Rect& r) {
    return r.width > 0 || r.height > 0;
}

Rect inflated(const Rect& r, double dx, double dy) {
    return {r.x - dx, r.y - dy, r.width + 2 * dx, r.height + 2 * dy};
}

bool isShapeKind(EntryKind kind) {
    return kind == EntryKind::roundedRectangle || kind == EntryKind::rectangle;
}

ShapeOutline outlineOf(const LaidOutView& v) {
    ShapeOutline s;
    s.rect = v.frame;
    s.cornerRadius = v.shapeKind == ShapeNode::Kind::roundedRectangle ? v.cornerRadius : 0;
    s.cornerStyle = v.cornerStyle;
    s.topCornersOnly = v.topCornersOnly;
    return s;
}

// The operations one entry paints, in the order it paints them: its fill
// (a background shape, a button's tinted body, a divider, a gradient), its
// outline, its text and its symbol.
void appendEntryOps(const LaidOutView& v, std::vector<DisplayOp>& out) {
    ShapeOutline shape = outlineOf(v);
    if (v.fill) {
        out.push_back(FillPath{shape, *v.fill, v.opacity});
    } else if (isShapeKind(v.kind) && !v.stroke && v.foreground) {
        // A bare shape is filled with the foreground style, as on the platform.
        out.push_back(FillPath{shape, *v.foreground, v.opacity});
    }
    if (v.stroke && v.lineWidth > 0) {
        out.push_back(StrokePath{shape, *v.stroke, v.lineWidth, v.opacity});
    }
    Color color = textColor(v.foreground);
    if (v.text && !v.text->empty()) {
        DrawText t;
        t.text = *v.text;
        t.font = v.resolvedFont;
        t.rect = hasArea(v.textFrame) ? v.textFrame : v.frame;
        t.color = color;
        t.wrapWidth = v.wrapWidth;
        // A text cut short on one line still needs a width for the "…".
        if (!t.wrapWidth && v.truncated) t.wrapWidth = t.rect.width;
        t.lineLimit = v.lineLimit;
        t.opacity = v.opacity;
        out.push_back(std::move(t));
    }
    if (v.symbol) {
        if (std::optional<char32_t> codepoint = symbolCodepoint(*v.symbol)) {
            Rect rect = hasArea(v.symbolFrame) ? v.symbolFrame : v.frame;
            out.push_back(DrawSymbol{*codepoint, v.resolvedFont.size, rect, color, v.opacity});
        }
    }
}

// A ring around the focused view that follows its shape: the view's own
// outline (continuous corners on a bordered button, the frame of a text)
// grown by the gap and half the line, so the whole line lies outside it.
// It takes the accent colour made opaque, so that a translucent tint still
// gives a ring that can be seen.
StrokePath focusRing(const LaidOutView& v) {
    const double grow = kFocusRingGap + kFocusRingWidth / 2;
    ShapeOutline shape = outlineOf(v);
    shape.rect = inflated(shape.rect, grow, grow);
    if (shape.cornerRadius > 0) shape.cornerRadius += grow;
    Color color = v.accent;
    color.a = 1;
    return StrokePath{shape, color, kFocusRingWidth, v.opacity};
}

// The focused entry when its ring shows, or null.
const LaidOutView* ringedEntry(const LayoutTree& tree) {
    if (!tree.focusRingShown) return nullptr;
    auto focused = std::find_if(tree.views.begin(), tree.views.end(),
                                [](const LaidOutView& v) { return v.focused; });
    return focused == tree.views.end() ? nullptr : &*focused;
}

// The ring is drawn after the last entry of the focused view's layer, so
// that nothing of its own layer covers it and every layer above still does.
int lastOfLayer(const LayoutTree& tree, const Layer& layer) {
    int last = -1;
    for (int i = 0; i < static_cast<int>(tree.views.size()); ++i) {
        if (tree.views[i].layer == layer) last = i;
    }
    return last;
}

}  // namespace

Color textColor(const std::optional<Style>& foreground) {
    if (!foreground) return Color::white;
    if (const Color* c = std::get_if<Color>(&*foreground)) return *c;
    const auto& gradient = std::get<LinearGradient>(*foreground);
    return gradient.colors.empty() ? Color::white : gradient.colors.front();
}

Rect paintedBounds(const DisplayOp& op) {
    // One point of slack covers antialiased edges at any display scale.
    constexpr double kSlack = 1;
    if (const auto* fill = std::get_if<FillPath>(&op)) {
        return inflated(fill->shape.rect, kSlack, kSlack);
    }
    if (const auto* stroke = std::get_if<StrokePath>(&op)) {
        // Miter joins at square corners reach half the line times √2 out;
        // a whole line width is a safe bound.
        double d = stroke->lineWidth + kSlack;
        return inflated(stroke->shape.rect, d, d);
    }
    if (const auto* text = std::get_if<DrawText>(&op)) {
        // Glyphs may overhang their advance box and a font's natural line
        // may be taller than the style's line height; half the font size
        // on every side covers both.
        Rect r = text->rect;
        if (text->wrapWidth) r.width = std::max(r.width, *text->wrapWidth);
        double d = text->font.size / 2 + kSlack;
        return inflated(r, d, d);
    }
    if (const auto* symbol = std::get_if<DrawSymbol>(&op)) {
        Rect em{symbol->rect.midX() - symbol->size / 2, symbol->rect.midY() - symbol->size / 2,
                symbol->size, symbol->size};
        return inflated(unionOf(symbol->rect, em), kSlack, kSlack);
    }
    return {};
}

DisplayList buildDisplayList(const LayoutTree& tree) {
    DisplayList list;
    list.size = tree.size;
    list.scale = tree.scale;
    const Rect window{0, 0, tree.size.width, tree.size.height};

    std::optional<Rect> currentClip;
    // Appends the operations of one entry painted inside `entryClip`.
    auto append = [&](std::vector<DisplayOp>& ops, const Rect& entryClip) {
        // A clip that holds the whole window clips nothing and is left out.
        std::optional<Rect> clip;
        if (!covers(entryClip, window)) clip = entryClip;
        Rect visible = clip ? clip->intersection(window) : window;
        for (DisplayOp& op : ops) {
            if (!paintedBounds(op).intersects(visible)) continue;
            if (clip != currentClip) {
                if (currentClip) list.ops.push_back(PopClip{});
                if (clip) list.ops.push_back(PushClip{*clip});
                currentClip = clip;
            }
            list.ops.push_back(std::move(op));
        }
    };
    const LaidOutView* ringed = ringedEntry(tree);
    const int ringAfter = ringed ? lastOfLayer(tree, ringed->layer) : -1;
    std::vector<DisplayOp> entryOps;
    for (int i = 0; i < static_cast<int>(tree.views.size()); ++i) {
        const LaidOutView& v = tree.views[i];
        entryOps.clear();
        if (v.opacity > 0) appendEntryOps(v, entryOps);
        append(entryOps, v.clip);
        if (i != ringAfter || ringed->opacity <= 0) continue;
        entryOps.assign(1, focusRing(*ringed));
        append(entryOps, ringed->clip);
    }
    if (currentClip) list.ops.push_back(PopClip{});
    return list;
}

}  // namespace ui
