#pragma once

// Resolving turns a view tree into one without components: each component
// gets its state bound to the cells kept for its place in the tree, then
// its body stands in its place. Presentation modifiers met on the way are
// collected, so the runtime knows which alerts and sheets the screen has.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <typeindex>
#include <vector>

#include "toolkit/core/State.hpp"
#include "toolkit/core/View.hpp"

namespace ui {

// The state cells of every component, by place. A place is the path of
// child positions (or ForEach ids) from the root to the component, plus the
// component's type, so a different view at the same position starts fresh.
class StateStore {
public:
    // Called whenever any kept cell changes value.
    void setOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

    std::shared_ptr<StateCellBase> cell(const std::string& place, std::size_t slot,
                                        std::type_index type, std::shared_ptr<StateCellBase> fresh);

    // Cells are dropped when their place was not built during a pass, as a
    // closed sheet's view state is gone when it opens again.
    void beginPass();
    void endPass();
    std::size_t size() const { return cells_.size(); }

private:
    struct Entry {
        std::type_index type;
        std::shared_ptr<StateCellBase> cell;
        bool visited = true;
    };
    std::map<std::pair<std::string, std::size_t>, Entry> cells_;
    std::function<void()> onChange_;
};

struct FoundPresentation {
    std::string key;  // the path of the modifier: stable across rebuilds
    const AlertModifier* alert = nullptr;
    const SheetModifier* sheet = nullptr;
};

class Resolver {
public:
    explicit Resolver(StateStore& store) : store_(store) {}

    // `dismiss` is what the environment's dismiss action does for views
    // built in this pass (closing the presentation that shows them).
    View resolve(const View& view, const std::string& path, std::function<void()> dismiss = {});

    // Presentations found by the passes since the last clear, in tree order.
    const std::vector<FoundPresentation>& presentations() const { return found_; }
    void clearPresentations() { found_.clear(); }

private:
    View resolveNode(const View& view, const std::string& path);
    View resolveModified(const View& view, const ModifiedNode& node, const std::string& path);
    // Resolves the views a modifier holds (backgrounds, overlays, toolbar
    // items) in place; whether any changed.
    bool resolveModifierViews(Modifier& modifier, const std::string& path);
    std::vector<View> resolveChildren(const std::vector<View>& children, const std::string& path,
                                      const std::vector<std::string>& ids, bool& changed);

    StateStore& store_;
    std::function<void()> dismiss_;
    std::vector<FoundPresentation> found_;
};

}  // namespace ui
