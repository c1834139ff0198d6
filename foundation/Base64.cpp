#include "foundation/Base64.hpp"

#include <array>

namespace foundation {
namespace {

constexpr std::int8_t kInvalid = -1;

constexpr std::array<std::int8_t, 256> makeDecodeTable() {
    std::array<std::int8_t, 256> table{};
    for (auto& entry : table) entry = kInvalid;
    constexpr std::string_view alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::size_t i = 0; i < alphabet.size(); ++i) {
        table[static_cast<unsigned char>(alphabet[i])] = static_cast<std::int8_t>(i);
    }
    return table;
}

constexpr auto kDecodeTable = makeDecodeTable();

}  // namespace

std::optional<std::vector<std::uint8_t>> base64Decode(std::string_view text) {
    if (text.size() % 4 != 0) return std::nullopt;

    // Padding may only close the final group, as one or two "=".
    std::size_t padding = 0;
    if (!text.empty() && text.back() == '=') {
        padding = 1;
        if (text[text.size() - 2] == '=') padding = 2;
    }
    const std::size_t significant = text.size() - padding;

    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() / 4 * 3);

    std::uint32_t accumulator = 0;
    int bits = 0;
    for (std::size_t i = 0; i < significant; ++i) {
        const std::int8_t value = kDecodeTable[static_cast<unsigned char>(text[i])];
        if (value == kInvalid) return std::nullopt;  // "=" too lands here
        accumulator = (accumulator << 6) | static_cast<std::uint32_t>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes.push_back(static_cast<std::uint8_t>(accumulator >> bits));
            accumulator &= (1u << bits) - 1;
        }
    }

    // What remains in the accumulator are the low bits of the last character
    // that padding left unused: four after "xx==", two after "xxx=". A strict
    // decoder insists they are zero, which keeps one spelling per byte string.
    if (accumulator != 0) return std::nullopt;
    return bytes;
}

}  // namespace foundation
