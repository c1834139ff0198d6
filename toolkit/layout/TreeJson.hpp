#pragma once

// The laid-out tree as JSON, for `norvel-snapshot --tree` and for tests:
//   {"size": [w, h], "scale": s,
//    "presentations": {"alert": bool, "sheet": bool},
//    "views": [ {"kind": ..., "parent": i, "frame": [x, y, w, h], ...}, ... ]}
// One object per entry, in painting order. Optional fields appear only where
// they apply: "text" (with "truncated": true when cut), "symbol",
// "foreground"/"fill"/"stroke" as [r, g, b, a] or {"gradient": [[r, g, b, a],
// ...]}, "lineWidth", "font" {"size", "weight", "design"}, "fontScale" when
// shrunk, "accessibilityLabel", "accessibilityHint", "selectable": true.
// Beyond those it writes "outerFrame" when it differs from "frame",
// "cornerRadius" and "cornerStyle" for rounded shapes, "opacity" below 1,
// "layer" for presentation layers and "clip" when the entry is clipped.

#include <string>
#include <string_view>

#include "toolkit/layout/LayoutTree.hpp"

namespace ui {

std::string treeJson(const LayoutTree& tree, bool alertPresented, bool sheetPresented);

// The name an entry kind has in the JSON ("Text", "ScrollView", ...).
std::string_view jsonName(EntryKind kind);

}  // namespace ui
