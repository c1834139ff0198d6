#include "toolkit/host/XSettings.hpp"

namespace ui {

namespace {

enum : std::uint8_t { kInteger = 0, kString = 1, kColour = 2 };

// Reads the property front to back; every read first checks that the bytes
// are there, and once one fails the reader stays failed.
class Reader {
  public:
    explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    void setMostSignificantFirst(bool value) { msbFirst_ = value; }
    bool ok() const { return ok_; }
    std::size_t remaining() const { return ok_ ? bytes_.size() - at_ : 0; }

    std::uint8_t byte() { return static_cast<std::uint8_t>(number(1)); }
    std::uint16_t card16() { return static_cast<std::uint16_t>(number(2)); }
    std::uint32_t card32() { return static_cast<std::uint32_t>(number(4)); }

    void skip(std::size_t count) {
        if (!take(count)) return;
        at_ += count;
    }

    // `length` bytes as text, then the padding to the next multiple of 4.
    std::string paddedText(std::size_t length) {
        std::size_t padded = (length + 3) / 4 * 4;
        if (padded < length || !take(padded)) return {};
        std::string text(reinterpret_cast<const char*>(bytes_.data() + at_), length);
        at_ += padded;
        return text;
    }

  private:
    bool take(std::size_t count) {
        if (ok_ && count > bytes_.size() - at_) ok_ = false;
        return ok_;
    }

    std::uint32_t number(std::size_t size) {
        if (!take(size)) return 0;
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < size; ++i) {
            std::size_t index = msbFirst_ ? i : size - 1 - i;
            value = (value << 8) | bytes_[at_ + index];
        }
        at_ += size;
        return value;
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
    bool msbFirst_ = false;
    bool ok_ = true;
};

// The fewest bytes a setting can take: type, pad, name length, a name of
// one byte padded to four, the serial and a four-byte value.
constexpr std::size_t kSmallestSetting = 16;

}  // namespace

std::optional<XSettings> parseXSettings(std::span<const std::uint8_t> bytes) {
    if (bytes.size() > kMaxXSettingsBytes) return std::nullopt;
    Reader in(bytes);
    std::uint8_t order = in.byte();
    if (!in.ok() || order > 1) return std::nullopt;
    in.setMostSignificantFirst(order == 1);
    in.skip(3);
    XSettings settings;
    settings.serial = in.card32();
    std::uint32_t count = in.card32();
    if (!in.ok()) return std::nullopt;
    // A count the bytes cannot hold is refused before anything is read, so
    // that a lying header costs nothing.
    if (count > in.remaining() / kSmallestSetting) return std::nullopt;

    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint8_t type = in.byte();
        in.skip(1);
        std::uint16_t nameLength = in.card16();
        std::string name = in.paddedText(nameLength);
        in.card32();  // when this setting last changed: of no use to a reader
        if (!in.ok() || name.empty()) return std::nullopt;

        XSettingValue value;
        switch (type) {
            case kInteger:
                value = static_cast<std::int32_t>(in.card32());
                break;
            case kString: {
                std::uint32_t length = in.card32();
                if (length > in.remaining()) return std::nullopt;
                value = in.paddedText(length);
                break;
            }
            case kColour: {
                XSettingsColour colour;
                colour.red = in.card16();
                colour.blue = in.card16();
                colour.green = in.card16();
                colour.alpha = in.card16();
                value = colour;
                break;
            }
            default:
                return std::nullopt;
        }
        if (!in.ok()) return std::nullopt;
        if (!settings.values.emplace(std::move(name), std::move(value)).second) return std::nullopt;
    }
    return settings;
}

}  // namespace ui
