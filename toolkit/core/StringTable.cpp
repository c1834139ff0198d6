#include "toolkit/core/StringTable.hpp"

#include <string_view>

namespace ui {
namespace {

StringTable& table() {
    static StringTable t;
    return t;
}

}  // namespace

void setStringTable(StringTable t) { table() = std::move(t); }

std::string localized(const LocalizedString& string) {
    if (string.verbatim) return withVisibleNuls(string.key);
    std::string text = table() ? table()(string.key) : string.key;
    if (string.argument) {
        auto at = text.find("%@");
        if (at != std::string::npos) text.replace(at, 2, *string.argument);
    }
    return withVisibleNuls(std::move(text));
}

std::string withVisibleNuls(std::string text) {
    static constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8
    for (auto at = text.find('\0'); at != std::string::npos; at = text.find('\0', at)) {
        text.replace(at, 1, kReplacement);
        at += kReplacement.size();
    }
    return text;
}

}  // namespace ui
