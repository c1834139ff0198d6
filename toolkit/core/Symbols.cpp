#include "toolkit/core/Symbols.hpp"

#include <array>
#include <utility>

namespace ui {
namespace {

// Each system name maps to the Material Icons glyph that reads most like it;
// the icon's own name is in the comment so the choice can be checked
// against the font's name list. Where the system symbol is an outline
// ("heart"), the outlined icon is used; ".fill" names take filled icons.
constexpr std::array<std::pair<std::string_view, char32_t>, 7> kSymbols{{
    {"cross.case.fill", 0xF109},         // medical_services
    {"heart", 0xE87E},                   // favorite_border
    {"heart.text.square.fill", 0xEAA2},  // monitor_heart
    {"drop.fill", 0xE798},               // water_drop
    {"calendar", 0xE935},                // calendar_today
    {"photo", 0xE410},                   // photo
    {"plus.magnifyingglass", 0xE8FF},    // zoom_in
}};

}  // namespace

std::optional<char32_t> symbolCodepoint(std::string_view systemName) {
    for (const auto& [name, codepoint] : kSymbols) {
        if (name == systemName) return codepoint;
    }
    return std::nullopt;
}

}  // namespace ui
