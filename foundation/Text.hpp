#pragma once

#include <string>
#include <string_view>

namespace foundation {

// Full Unicode upper-casing of UTF-8 text, the same in every locale (ICU's
// root locale): "ß" becomes "SS", "ﬁ" becomes "FI", and a Turkish user still
// sees "I" for "i". Invalid UTF-8 sequences come out as U+FFFD. Text of 2 GiB or more
// throws std::length_error, since ICU cannot hold it.
std::string uppercased(std::string_view text);

}  // namespace foundation
