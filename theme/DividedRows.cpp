#include "theme/DividedRows.hpp"

#include "theme/Surfaces.hpp"

namespace theme {

ui::View rowDivider() {
    return ui::Divider().overlay(kHairline);
}

}  // namespace theme
