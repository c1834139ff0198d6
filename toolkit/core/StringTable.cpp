#include "toolkit/core/StringTable.hpp"

namespace ui {
namespace {

StringTable& table() {
    static StringTable t;
    return t;
}

}  // namespace

void setStringTable(StringTable t) { table() = std::move(t); }

std::string localized(const LocalizedString& string) {
    if (string.verbatim) return string.key;
    std::string text = table() ? table()(string.key) : string.key;
    if (string.argument) {
        auto at = text.find("%@");
        if (at != std::string::npos) text.replace(at, 2, *string.argument);
    }
    return text;
}

}  // namespace ui
