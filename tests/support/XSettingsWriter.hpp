#pragma once

// Writes XSETTINGS properties byte by byte, in either byte order, for the
// parser's tests and its fuzz target. It writes whatever it is told, so a
// test can state a length or a count that is a lie.

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "toolkit/host/XSettings.hpp"

namespace testsupport {

class XSettingsWriter {
  public:
    explicit XSettingsWriter(bool mostSignificantFirst = false) : msbFirst_(mostSignificantFirst) {}

    // The header: byte order, serial, and the number of settings claimed.
    XSettingsWriter& header(std::uint32_t serial, std::uint32_t count) {
        card8(msbFirst_ ? 1 : 0).card8(0).card16(0);
        return card32(serial).card32(count);
    }
    // A setting's type, name and serial, with the name's length as given.
    XSettingsWriter& name(std::uint8_t type, const std::string& text, std::uint16_t length) {
        card8(type).card8(0).card16(length).padded(text);
        return card32(0);
    }
    XSettingsWriter& setting(const std::string& key, std::int32_t value) {
        name(0, key, static_cast<std::uint16_t>(key.size()));
        return card32(static_cast<std::uint32_t>(value));
    }
    XSettingsWriter& setting(const std::string& key, const std::string& value) {
        name(1, key, static_cast<std::uint16_t>(key.size()));
        return card32(static_cast<std::uint32_t>(value.size())).padded(value);
    }
    XSettingsWriter& setting(const std::string& key, const ui::XSettingsColour& c) {
        name(2, key, static_cast<std::uint16_t>(key.size()));
        return card16(c.red).card16(c.blue).card16(c.green).card16(c.alpha);
    }
    XSettingsWriter& setting(const std::string& key, const ui::XSettingValue& value) {
        std::visit([&](const auto& v) { setting(key, v); }, value);
        return *this;
    }
    // A whole property: every setting of `settings`, in the map's order.
    XSettingsWriter& all(const ui::XSettings& settings) {
        header(settings.serial, static_cast<std::uint32_t>(settings.values.size()));
        for (const auto& [key, value] : settings.values) setting(key, value);
        return *this;
    }

    XSettingsWriter& card8(std::uint8_t v) { return number(v, 1); }
    XSettingsWriter& card16(std::uint16_t v) { return number(v, 2); }
    XSettingsWriter& card32(std::uint32_t v) { return number(v, 4); }
    XSettingsWriter& padded(const std::string& text) {
        bytes_.insert(bytes_.end(), text.begin(), text.end());
        bytes_.resize(bytes_.size() + (4 - text.size() % 4) % 4, 0);
        return *this;
    }

    const std::vector<std::uint8_t>& bytes() const { return bytes_; }

  private:
    XSettingsWriter& number(std::uint32_t v, int size) {
        for (int i = 0; i < size; ++i) {
            int shift = 8 * (msbFirst_ ? size - 1 - i : i);
            bytes_.push_back(static_cast<std::uint8_t>(v >> shift));
        }
        return *this;
    }

    bool msbFirst_;
    std::vector<std::uint8_t> bytes_;
};

}  // namespace testsupport
