#pragma once

// The XSETTINGS wire format: how a desktop's settings daemon publishes its
// settings to X clients, as the bytes of one property on the window that
// owns the `_XSETTINGS_S<screen>` selection. Debian has no client library
// for it, so this is our own reader; it knows nothing of X and takes the
// property's bytes as they came.
//
// The layout, every number in the byte order the first byte names:
//   1 byte   byte order: 0 least significant byte first, 1 most
//   3 bytes  unused
//   4 bytes  the serial of this set of settings
//   4 bytes  how many settings follow
// and per setting:
//   1 byte   type: 0 integer, 1 string, 2 colour
//   1 byte   unused
//   2 bytes  length of the name, then the name, padded to a multiple of 4
//   4 bytes  the serial of the setting's last change
//   then the value: an integer is 4 bytes (signed); a string is 4 bytes of
//   length, then the bytes, padded to a multiple of 4; a colour is four
//   16-bit channels in the order red, blue, green, alpha.
//
// The bytes come from another process, so any of this may be wrong. A
// property that is not exactly well formed is refused whole, as GTK does:
// half a set of settings is worse than none, since the reader then falls
// back to the resource database as if no daemon ran.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <variant>

namespace ui {

struct XSettingsColour {
    std::uint16_t red = 0;
    std::uint16_t green = 0;
    std::uint16_t blue = 0;
    std::uint16_t alpha = 0;
    bool operator==(const XSettingsColour&) const = default;
};

using XSettingValue = std::variant<std::int32_t, std::string, XSettingsColour>;

struct XSettings {
    std::uint32_t serial = 0;
    std::map<std::string, XSettingValue> values;
};

// More than any daemon publishes (GNOME's is about 2 KB): a property this
// large is refused rather than held in memory.
constexpr std::size_t kMaxXSettingsBytes = 1 << 20;

// The settings in `bytes`, or nothing when they are not well formed: an
// unknown byte order or type, a count or length that runs past the end, a
// name that is empty or given twice, or more than kMaxXSettingsBytes.
// Bytes after the last setting are ignored.
std::optional<XSettings> parseXSettings(std::span<const std::uint8_t> bytes);

}  // namespace ui
