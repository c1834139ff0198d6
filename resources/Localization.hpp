#pragma once

#include <string>

namespace resources {

// Localisable keys of the main bundle. The string table is the gettext
// domain "norvel-health" in <bundle>/locale; the language comes from the
// usual LANGUAGE / LC_ALL / LC_MESSAGES / LANG variables. A key without a
// translation is shown as written.
std::string localizedString(const std::string& key);

}  // namespace resources
