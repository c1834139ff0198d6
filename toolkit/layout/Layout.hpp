#pragma once

// Layout: a parent proposes a size, the child answers with its size, the
// parent places the child. A proposal has, per axis, a number (0 and
// infinity included) or nothing, which asks for the child's ideal size.
// Children never see their own position.
//
// The engine lays out a view tree that holds no components (the runtime
// evaluates their bodies first) and appends one entry per view, in
// painting order, to a LayoutTree.

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "toolkit/core/View.hpp"
#include "toolkit/layout/LayoutTree.hpp"
#include "toolkit/layout/TextMeasurer.hpp"

namespace ui {

struct ProposedSize {
    std::optional<double> width;
    std::optional<double> height;
    static ProposedSize unspecified() { return {}; }
    friend bool operator==(const ProposedSize&, const ProposedSize&) = default;
};

struct LayoutStats {
    std::size_t sizeQueries = 0;  // (node, proposal) questions asked
    std::size_t cacheHits = 0;    // answered from the pass's cache
};

class LayoutEngine {
public:
    explicit LayoutEngine(TextMeasurer& measurer);
    ~LayoutEngine();

    // Display scale in pixels per point: a Divider is one pixel thick.
    void setScale(double scale);
    // Current offset of the scroll view named `key`; the engine clamps it to
    // the content and records what it used in the ScrollView's entry.
    void setScrollOffsets(std::function<double(const std::string& key)> offsets);

    // Lays `root` out in `bounds` (window points). `safeArea` insets the
    // content from the bounds' edges; backgrounds that ignore the safe area
    // extend back over it. Entries are appended with `layer` set and their
    // parent indices relative to the whole tree; the root entry's parent is
    // `parent`.
    void layout(const View& root, Rect bounds, EdgeInsets safeArea, LayoutTree& tree,
                const Layer& layer = {}, int parent = -1);

    // The size `view` answers for `proposal`, for tests and for presentations
    // that need to size their content before placing it.
    Size sizeThatFits(const View& view, ProposedSize proposal);

    const LayoutStats& stats() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace ui
