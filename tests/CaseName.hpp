#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstddef>
#include <string>
#include <string_view>

namespace testsupport {

// A parameterised case's name from any text: the case's index, then the
// text's letters and digits with every other run of characters as one
// '_', cut at `maxLength` characters so that a ctest line stays short. The
// index keeps two cases that read alike apart; the text says which case it
// is. A minus sign that starts a number reads "minus", so -5 and 5 differ
// to the eye too.
inline std::string caseName(std::size_t index, std::string_view text, std::size_t maxLength = 14) {
    std::string name = std::to_string(index);
    const std::size_t limit = name.size() + maxLength;
    bool gap = true;
    for (std::size_t i = 0; i < text.size() && name.size() < limit; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const bool startsNumber =
            (i == 0 || !std::isalnum(static_cast<unsigned char>(text[i - 1]))) &&
            i + 1 < text.size() && std::isdigit(static_cast<unsigned char>(text[i + 1]));
        if (std::isalnum(c) && c < 0x80) {
            if (gap) name += '_';
            name += static_cast<char>(c);
            gap = false;
        } else if (c == '-' && startsNumber) {
            name += "_minus";
            gap = true;
        } else {
            gap = true;
        }
    }
    return name.substr(0, limit);
}

// A name generator for INSTANTIATE_TEST_SUITE_P: names each case from the
// text `describe` gives for its parameter.
template <class Describe>
auto namedBy(Describe describe, std::size_t maxLength = 14) {
    return [describe, maxLength](const auto& info) {
        return caseName(info.index, describe(info.param), maxLength);
    };
}

// Names each case from how GoogleTest prints its parameter, for parameter
// types with a PrintTo or an operator<<.
inline auto printedName(std::size_t maxLength = 14) {
    return [maxLength](const auto& info) {
        return caseName(info.index, ::testing::PrintToString(info.param), maxLength);
    };
}

}  // namespace testsupport
