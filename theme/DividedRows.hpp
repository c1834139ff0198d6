#pragma once

// A list shown as the rows of one card, with a rule between rows. Both
// screens draw their lists this way, inside a VStack of spacing 0, so the
// rule touches the rows on either side.

#include "toolkit/core/View.hpp"

namespace theme {

// A divider follows a row exactly when the row's id differs from the id of
// the list's last element. An empty list has no last id, and an absent id
// differs from every present one. With fresh random ids this puts a rule
// between every two rows and none after the last; a row that happens to
// share the last row's id gets none either.
template <class Item, class List>
bool dividerFollows(const Item& item, const List& list) {
    return list.empty() || item.id != list.back().id;
}

// The rule between two rows: the standard divider with the hairline laid
// over it, keeping the divider's own thickness.
ui::View rowDivider();

// One row per element of `list`, in order and identified by its id, each
// followed by a rule where `dividerFollows` says so. `row` turns an element
// into its row view.
template <class List, class Row>
ui::View dividedRows(const List& list, Row row) {
    return ui::ForEach(list, [&list, &row](const auto& item) {
        ui::View view = row(item);
        if (!dividerFollows(item, list)) return view;
        return ui::View(ui::Group({view, rowDivider()}));
    });
}

}  // namespace theme
