#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstddef>
#include <string>
#include <string_view>

namespace testsupport {

// A parameterised case's name from any text: the case's index, then the
// text's letters and digits with every other run of characters as one
// '_', at most 40 of them. The index keeps two cases that read alike
// apart; the text says which case it is. A minus sign before a digit
// reads "minus", so -5 and 5 stay apart to the eye too.
inline std::string caseName(std::size_t index, std::string_view text) {
    std::string name = std::to_string(index);
    bool gap = true;
    for (std::size_t i = 0; i < text.size() && name.size() < 48; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const bool digitFollows =
            i + 1 < text.size() && std::isdigit(static_cast<unsigned char>(text[i + 1]));
        if (std::isalnum(c) && c < 0x80) {
            if (gap) name += '_';
            name += static_cast<char>(c);
            gap = false;
        } else if (c == '-' && digitFollows) {
            name += "_minus";
            gap = true;
        } else {
            gap = true;
        }
    }
    return name;
}

// A name generator for INSTANTIATE_TEST_SUITE_P: names each case from the
// text `describe` gives for its parameter.
template <class Describe>
auto namedBy(Describe describe) {
    return [describe](const auto& info) { return caseName(info.index, describe(info.param)); };
}

// Names each case from how GoogleTest prints its parameter, for parameter
// types with a PrintTo or an operator<<.
inline constexpr auto printedName = [](const auto& info) {
    return caseName(info.index, ::testing::PrintToString(info.param));
};

}  // namespace testsupport
