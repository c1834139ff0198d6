#include "toolkit/runtime/Resolve.hpp"

#include <string_view>
#include <type_traits>

namespace ui {

std::shared_ptr<StateCellBase> StateStore::cell(const std::string& place, std::size_t slot,
                                                std::type_index type,
                                                std::shared_ptr<StateCellBase> fresh) {
    auto key = std::make_pair(place, slot);
    auto it = cells_.find(key);
    if (it != cells_.end() && it->second.type == type) {
        it->second.visited = true;
        return it->second.cell;
    }
    // A new place (or a new type there) adopts the cell the view was
    // constructed with, so the view's initial value is kept.
    fresh->onChange = [this] {
        if (onChange_) onChange_();
    };
    cells_.insert_or_assign(key, Entry{type, fresh, true});
    return fresh;
}

void StateStore::beginPass() {
    for (auto& [key, entry] : cells_) entry.visited = false;
}

void StateStore::endPass() {
    std::erase_if(cells_, [](const auto& item) { return !item.second.visited; });
}

namespace {

class PlaceContext : public ComponentContext {
public:
    PlaceContext(StateStore& store, std::string place, const std::function<void()>& dismiss)
        : store_(store), place_(std::move(place)), dismiss_(dismiss) {}

protected:
    std::shared_ptr<StateCellBase> slot(std::size_t index, std::type_index type,
                                        std::shared_ptr<StateCellBase> fresh) override {
        return store_.cell(place_, index, type, std::move(fresh));
    }
    std::function<void()> dismissAction() override { return dismiss_; }

private:
    StateStore& store_;
    std::string place_;
    const std::function<void()>& dismiss_;
};

// A path one step deeper, built with one allocation: paths grow with the
// depth of the tree, and one is made for every child on every pass.
std::string joined(const std::string& path, std::string_view separator, std::string_view name) {
    std::string out;
    out.reserve(path.size() + separator.size() + name.size());
    out.append(path).append(separator).append(name);
    return out;
}

template <class N>
View rebuilt(N node) {
    return makeView(std::move(node));
}

}  // namespace

View Resolver::resolve(const View& view, const std::string& path, std::function<void()> dismiss) {
    dismiss_ = std::move(dismiss);
    return resolveNode(view, path);
}

std::vector<View> Resolver::resolveChildren(const std::vector<View>& children,
                                            const std::string& path,
                                            const std::vector<std::string>& ids, bool& changed) {
    std::vector<View> out;
    out.reserve(children.size());
    for (std::size_t i = 0; i < children.size(); ++i) {
        std::string childPath =
            i < ids.size() ? joined(path, "/", ids[i]) : joined(path, "/", std::to_string(i));
        out.push_back(resolveNode(children[i], childPath));
        if (out.back().nodePtr() != children[i].nodePtr()) changed = true;
    }
    return out;
}

View Resolver::resolveNode(const View& view, const std::string& path) {
    return visitKind(
        view.node().value,
        Overloaded{
            [&](const ComponentNode& n) {
                std::string place = joined(path, "#", n.type.name());
                PlaceContext context(store_, place, dismiss_);
                View body = n.evaluate(context);
                return resolveNode(body, place);
            },
            [&]<class T>(const T& n) -> View
                requires OneOf<T, StackNode, ZStackNode, GridNode, GroupNode>
            {
                // ForEach names its children; other containers number them.
                static const std::vector<std::string> kNumbered;
                const std::vector<std::string>* ids = &kNumbered;
                if constexpr (std::is_same_v<T, GroupNode>) ids = &n.ids;
                bool changed = false;
                auto children = resolveChildren(n.children, path, *ids, changed);
                if (!changed) return view;
                T copy = n;
                copy.children = std::move(children);
                return rebuilt(std::move(copy));
            },
            [&](const ButtonNode& n) {
                View label = resolveNode(n.label, path + "/label");
                if (label.nodePtr() == n.label.nodePtr()) return view;
                ButtonNode copy = n;
                copy.label = label;
                return rebuilt(std::move(copy));
            },
            [&](const ScrollViewNode& n) {
                View content = resolveNode(n.content, path + "/0");
                if (content.nodePtr() == n.content.nodePtr()) return view;
                ScrollViewNode copy = n;
                copy.content = content;
                return rebuilt(std::move(copy));
            },
            [&](const NavigationStackNode& n) {
                View root = resolveNode(n.root, path + "/0");
                if (root.nodePtr() == n.root.nodePtr()) return view;
                return rebuilt(NavigationStackNode{root});
            },
            [&](const ModifiedNode& n) { return resolveModified(view, n, path); },
            [&](const OneOf<EmptyNode, TextNode, ImageNode, LabelNode, ShapeNode, DividerNode,
                            SpacerNode, GradientNode> auto&) { return view; }});
}

bool Resolver::resolveModifierViews(Modifier& modifier, const std::string& path) {
    auto resolveInPlace = [&](View& v, const std::string& at) {
        View resolved = resolveNode(v, at);
        bool changed = resolved.nodePtr() != v.nodePtr();
        v = resolved;
        return changed;
    };
    return visitKind(
        modifier,
        Overloaded{
            [&](BackgroundModifier& m) { return resolveInPlace(m.view, path + "/background"); },
            [&](OverlayModifier& m) { return resolveInPlace(m.view, path + "/overlay"); },
            [&](ToolbarModifier& m) {
                bool changed = false;
                for (std::size_t i = 0; i < m.items.size(); ++i) {
                    changed |= resolveInPlace(m.items[i].content, path + "/toolbar" + std::to_string(i));
                }
                return changed;
            },
            // An alert's actions and message and a sheet's content are
            // resolved when they are shown, as views of their own layer.
            [&](OneOf<PaddingModifier, FrameModifier, FixedSizeModifier, FontModifier,
                      ForegroundStyleModifier, LineLimitModifier, MinimumScaleFactorModifier,
                      TintModifier, ButtonStyleModifier, TextSelectionModifier,
                      ContentShapeModifier, LongPressModifier, AccessibilityHintModifier,
                      AccessibilityLabelModifier, AlertModifier, SheetModifier> auto&) {
                return false;
            }});
}

View Resolver::resolveModified(const View& view, const ModifiedNode& n, const std::string& path) {
    View content = resolveNode(n.content, path);
    Modifier modifier = n.modifier;
    bool changed = content.nodePtr() != n.content.nodePtr();
    changed |= resolveModifierViews(modifier, path);
    View result = changed ? rebuilt(ModifiedNode{content, std::move(modifier)}) : view;
    // Point at the modifier inside the tree we hand out, which the caller
    // keeps alive for as long as it uses the list.
    const auto& kept = std::get<ModifiedNode>(result.node().value).modifier;
    if (const auto* alert = std::get_if<AlertModifier>(&kept)) {
        found_.push_back({path + "!alert", alert, nullptr});
    } else if (const auto* sheet = std::get_if<SheetModifier>(&kept)) {
        found_.push_back({path + "!sheet", nullptr, sheet});
    }
    return result;
}

}  // namespace ui
