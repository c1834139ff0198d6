#pragma once

// The view values our screens are written in. A `View` is an immutable,
// type-erased handle to a node; modifiers wrap it in a new node, in the
// order written. Screens are small structs with `ui::View body() const`;
// they convert to `View` implicitly and are evaluated by the runtime, which
// binds their state before it asks for their body.

//
// The pieces live in their own headers: the handle and the values
// modifiers take (ViewValue.hpp), the nodes (Nodes.hpp) and the platform's
// names for views (ViewNames.hpp). This header brings them all.

#include <concepts>
#include <tuple>
#include <typeindex>

#include "toolkit/core/Nodes.hpp"
#include "toolkit/core/ViewNames.hpp"
#include "toolkit/core/ViewValue.hpp"

namespace ui {

// A component may list the state and environment it reads, in
// declaration order, so the runtime can bind them before `body` runs:
//     auto dynamicProperties() { return std::tie(isShowingA, isShowingB); }
template <class C>
concept HasDynamicProperties = requires(C& c) { c.dynamicProperties(); };

template <class C>
    requires requires(const C& c) {
        { c.body() } -> std::same_as<View>;
    }
View::View(C component)
    : View(makeView(ComponentNode{
          typeid(C), [component = std::move(component)](ComponentContext& context) {
              C live = component;
              if constexpr (HasDynamicProperties<C>) {
                  std::apply([&context](auto&... property) { (context.bind(property), ...); },
                             live.dynamicProperties());
              }
              return live.body();
          }})) {}

}  // namespace ui
