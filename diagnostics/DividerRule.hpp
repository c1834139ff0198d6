#pragma once

namespace diagnostics {

// Lists of rows put a divider after a row exactly when the row's id differs
// from the id of the list's last element; an empty list has no last id,
// and an absent id differs from every present one.
template <class Item, class List>
bool dividerFollows(const Item& item, const List& list) {
    return list.empty() || item.id != list.back().id;
}

}  // namespace diagnostics
