#include "foundation/Text.hpp"

#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <cstdint>
#include <limits>
#include <stdexcept>

namespace foundation {

std::string uppercased(std::string_view text) {
    // ICU strings are indexed with 32-bit integers; refuse rather than cut.
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        throw std::length_error("foundation::uppercased: text longer than 2 GiB");
    }
    icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(
        icu::StringPiece(text.data(), static_cast<std::int32_t>(text.size())));
    unicode.toUpper(icu::Locale::getRoot());
    std::string result;
    unicode.toUTF8String(result);
    return result;
}

}  // namespace foundation
