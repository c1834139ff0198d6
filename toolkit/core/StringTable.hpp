#pragma once

#include <functional>
#include <string>

#include "toolkit/core/View.hpp"

namespace ui {

// Looks a localisable key up in the app's string table. The toolkit knows
// no bundle: the app installs the lookup at start-up. Without one, keys
// show as written.
using StringTable = std::function<std::string(const std::string& key)>;

void setStringTable(StringTable table);

// The text a view shows for `string`: verbatim texts as they are; keys
// looked up, then their "%@" replaced by the argument (which itself is
// never looked up).
std::string localized(const LocalizedString& string);

}  // namespace ui
