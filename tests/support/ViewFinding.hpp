#pragma once

// Finding views in a laid-out tree, for every suite that looks at one: by
// kind, by the text shown, or by any condition. Helpers that return a
// reference fail the test when there is nothing to find; the others answer
// nullptr or -1 and leave that to the caller.

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/layout/LayoutTree.hpp"
#include "toolkit/layout/TreeJson.hpp"

namespace ui {
// Failure messages name kinds as the tree JSON does.
inline void PrintTo(EntryKind kind, std::ostream* os) {
    *os << jsonName(kind);
}
}  // namespace ui

namespace ui::testing {

// The first entry, in painting order, that `match` accepts; nullptr if none.
inline const LaidOutView* findView(const LayoutTree& tree,
                                   const std::function<bool(const LaidOutView&)>& match) {
    for (const LaidOutView& v : tree.views) {
        if (match(v)) return &v;
    }
    return nullptr;
}

// The first entry showing exactly `text`; nullptr if none.
inline const LaidOutView* findText(const LayoutTree& tree, std::string_view text) {
    return findView(tree, [&](const LaidOutView& v) { return v.text && *v.text == text; });
}

// The entry showing exactly `text`; fails the test when there is none.
inline const LaidOutView& withText(const LayoutTree& tree, std::string_view text) {
    if (const LaidOutView* v = findText(tree, text)) return *v;
    ADD_FAILURE() << "no entry shows \"" << text << "\"";
    static const LaidOutView none;
    return none;
}

// The index of an entry of `tree`, or of the first entry showing `text`; -1 if none.
inline int indexOf(const LayoutTree& tree, const LaidOutView* v) {
    return v ? static_cast<int>(v - tree.views.data()) : -1;
}
inline int indexOfText(const LayoutTree& tree, std::string_view text) {
    return indexOf(tree, findText(tree, text));
}

// The index of the n-th entry (from 0) of `kind`; -1 if none.
inline int findKind(const LayoutTree& tree, EntryKind kind, int nth = 0) {
    for (std::size_t i = 0; i < tree.views.size(); ++i) {
        if (tree.views[i].kind == kind && nth-- == 0) return static_cast<int>(i);
    }
    return -1;
}

// The n-th entry (from 0) of `kind`; fails the test when there is none.
inline const LaidOutView& nthKind(const LayoutTree& tree, EntryKind kind, int nth = 0) {
    int i = findKind(tree, kind, nth);
    if (i >= 0) return tree.views[static_cast<std::size_t>(i)];
    ADD_FAILURE() << "no entry #" << nth << " of kind " << jsonName(kind);
    static const LaidOutView none;
    return none;
}

// Every entry of `kind`, in painting order.
inline std::vector<const LaidOutView*> allOfKind(const LayoutTree& tree, EntryKind kind) {
    std::vector<const LaidOutView*> out;
    for (const LaidOutView& v : tree.views) {
        if (v.kind == kind) out.push_back(&v);
    }
    return out;
}

// The kinds of all entries, in painting order.
inline std::vector<EntryKind> kinds(const LayoutTree& tree) {
    std::vector<EntryKind> out;
    for (const LaidOutView& v : tree.views) out.push_back(v.kind);
    return out;
}

}  // namespace ui::testing
