// The XSETTINGS reader: what a daemon publishes, in either byte order, and
// every way another process's bytes can be wrong.

#include <gtest/gtest.h>

#include "tests/CaseName.hpp"
#include "tests/support/XSettingsWriter.hpp"
#include "toolkit/host/XSettings.hpp"

using namespace ui;
using testsupport::XSettingsWriter;

namespace {

// What xsettingsd publishes for a 2x GNOME-like session, plus a colour.
XSettingsWriter desktop(bool msbFirst) {
    XSettingsWriter w(msbFirst);
    w.header(7, 4)
        .setting("Gdk/WindowScalingFactor", 2)
        .setting("Xft/DPI", 196608)
        .setting("Net/ThemeName", std::string("Adwaita"))
        .setting("Gtk/Colour", XSettingsColour{0x1111, 0x2222, 0x3333, 0xffff});
    return w;
}

class ByteOrder : public ::testing::TestWithParam<bool> {};

TEST_P(ByteOrder, ADaemonsSettingsReadTheSameInEitherOrder) {
    auto bytes = desktop(GetParam()).bytes();
    bytes.insert(bytes.end(), {9, 9, 9, 9});  // what follows the last setting is not read
    auto parsed = parseXSettings(bytes);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->serial, 7u);
    ASSERT_EQ(parsed->values.size(), 4u);
    EXPECT_EQ(parsed->values.at("Gdk/WindowScalingFactor"), XSettingValue(2));
    EXPECT_EQ(parsed->values.at("Xft/DPI"), XSettingValue(196608));
    EXPECT_EQ(parsed->values.at("Net/ThemeName"), XSettingValue(std::string("Adwaita")));
    EXPECT_EQ(parsed->values.at("Gtk/Colour"),
              XSettingValue(XSettingsColour{0x1111, 0x2222, 0x3333, 0xffff}));
}

INSTANTIATE_TEST_SUITE_P(XSettings, ByteOrder, ::testing::Bool(), [](const auto& info) {
    return info.param ? "MostSignificantFirst" : "LeastSignificantFirst";
});

TEST(XSettings, EveryTruncationIsRefusedWhole) {
    const auto whole = desktop(false).bytes();
    for (std::size_t size = 0; size < whole.size(); ++size) {
        EXPECT_FALSE(parseXSettings(std::span(whole.data(), size))) << "cut at " << size;
    }
}

struct Malformed {
    const char* what;
    std::vector<std::uint8_t> bytes;
};

std::vector<Malformed> malformed() {
    std::vector<Malformed> cases;
    auto add = [&](const char* what, const XSettingsWriter& w) {
        cases.push_back({what, w.bytes()});
    };
    auto bad = desktop(false).bytes();
    bad[0] = 2;
    cases.push_back({"unknown byte order", bad});
    add("more settings claimed than given", XSettingsWriter().header(1, 2).setting("A", 1));
    add("a count no property could hold", XSettingsWriter().header(1, 0xffffffff).setting("A", 1));
    add("a name longer than the property",
        XSettingsWriter().header(1, 1).name(0, "A", 0xffff).card32(1));
    add("a string longer than the property",
        XSettingsWriter().header(1, 1).name(1, "A", 1).card32(0xfffffffc).padded("abcd"));
    add("an unknown type", XSettingsWriter().header(1, 1).name(3, "A", 1).card32(1));
    add("an empty name", XSettingsWriter().header(1, 1).setting("", 1));
    add("a name given twice", XSettingsWriter().header(1, 2).setting("A", 1).setting("A", 2));
    XSettingsWriter huge;
    huge.header(1, 1).setting("A", std::string(kMaxXSettingsBytes, 'x'));
    add("more than a daemon ever publishes", huge);
    return cases;
}

class MalformedXSettings : public ::testing::TestWithParam<Malformed> {};

TEST_P(MalformedXSettings, AreRefusedWhole) {
    EXPECT_FALSE(parseXSettings(GetParam().bytes)) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(XSettings, MalformedXSettings, ::testing::ValuesIn(malformed()),
                         [](const auto& info) {
                             return testsupport::caseName(info.index, info.param.what);
                         });

}  // namespace
