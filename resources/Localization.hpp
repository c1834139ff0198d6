#pragma once

#include <string>

namespace resources {

// Localisable keys of the main bundle. The string table is the gettext
// domain "norvel-health" in <bundle>/locale; the language comes from the
// usual LANGUAGE / LC_ALL / LC_MESSAGES / LANG variables. A key without a
// translation is shown as written.
std::string localizedString(const std::string& key);

// Looks up `key`, then puts `argument` in place of the first "%@" of the
// translation. The argument is inserted verbatim: it is never looked up, and
// a "%@" inside it is not expanded. A translation without "%@" is returned
// as it is.
std::string formatLocalized(const std::string& key, const std::string& argument);

// The "%@" substitution on its own, for callers that looked the key up in
// another bundle.
std::string substituteArgument(const std::string& format, const std::string& argument);

}  // namespace resources
