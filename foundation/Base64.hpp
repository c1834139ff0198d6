#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace foundation {

// Decodes standard base64 (alphabet A-Z, a-z, 0-9, "+", "/") strictly:
//  - the length must be a multiple of four, with the last group completed by
//    one or two "=" and no "=" anywhere else;
//  - every other character, whitespace and line breaks included, is an error;
//  - the bits that padding leaves unused in the last character must be zero,
//    so every byte sequence has exactly one accepted spelling.
// The empty text decodes to no bytes. Returns no value when the text is not
// valid base64.
std::optional<std::vector<std::uint8_t>> base64Decode(std::string_view text);

}  // namespace foundation
