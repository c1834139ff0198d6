#include <gtest/gtest.h>
#include <pango/pangocairo.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "toolkit/render/PangoText.hpp"
#include "toolkit/render/Symbols.hpp"

namespace ui {
namespace {

// The icon font's own name list, from the Debian package's stylesheet.
const std::map<std::string, char32_t>& materialNames() {
    static const std::map<std::string, char32_t> names = [] {
        std::map<std::string, char32_t> result;
        std::ifstream in("/usr/share/fonts-material-design-icons-iconfont/scss/_variables.scss");
        std::stringstream text;
        text << in.rdbuf();
        std::string s = text.str();
        std::regex entry("\"([a-z0-9_]+)\":\\s*([0-9a-fA-F]+)");
        for (auto it = std::sregex_iterator(s.begin(), s.end(), entry);
             it != std::sregex_iterator(); ++it) {
            result[(*it)[1]] = static_cast<char32_t>(std::stoul((*it)[2], nullptr, 16));
        }
        return result;
    }();
    return names;
}

struct SymbolCase {
    const char* systemName;
    const char* iconName;
};

class SymbolTable : public testing::TestWithParam<SymbolCase> {};

TEST_P(SymbolTable, MapsToAGlyphTheFontHas) {
    std::optional<char32_t> codepoint = symbolCodepoint(GetParam().systemName);
    ASSERT_TRUE(codepoint.has_value());
    if (materialNames().empty()) GTEST_SKIP() << "icon font name list not installed";
    auto it = materialNames().find(GetParam().iconName);
    ASSERT_NE(it, materialNames().end());
    EXPECT_EQ(*codepoint, it->second);

    PangoFontDescription* description =
        pango_font_description_from_string(text::symbolFontDescriptionString(24).c_str());
    PangoFont* font = pango_context_load_font(text::sharedContext(), description);
    ASSERT_NE(font, nullptr);
    PangoFontDescription* loaded = pango_font_describe(font);
    // Fontconfig substitutes silently when a family is missing; make sure
    // the glyph really comes from the icon font.
    EXPECT_STREQ(pango_font_description_get_family(loaded), kSymbolFontFamily);
    EXPECT_TRUE(pango_font_has_char(font, static_cast<gunichar>(*codepoint)));
    pango_font_description_free(loaded);
    g_object_unref(font);
    pango_font_description_free(description);
}

INSTANTIATE_TEST_SUITE_P(AppSymbols, SymbolTable,
                         testing::Values(SymbolCase{"cross.case.fill", "medical_services"},
                                         SymbolCase{"heart", "favorite_border"},
                                         SymbolCase{"heart.text.square.fill", "monitor_heart"},
                                         SymbolCase{"drop.fill", "water_drop"},
                                         SymbolCase{"calendar", "calendar_today"},
                                         SymbolCase{"photo", "photo"},
                                         SymbolCase{"plus.magnifyingglass", "zoom_in"}),
                         [](const auto& info) {
                             std::string name = info.param.systemName;
                             for (char& c : name) c = c == '.' ? '_' : c;
                             return name;
                         });

TEST(SymbolTable, UnknownNamesHaveNoGlyph) {
    for (const char* name : {"", "heart.slash", "Heart", "photo ", "not.a.symbol"}) {
        EXPECT_FALSE(symbolCodepoint(name).has_value()) << '"' << name << '"';
    }
}

}  // namespace
}  // namespace ui
