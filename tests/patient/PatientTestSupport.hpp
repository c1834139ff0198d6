#pragma once

#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <tuple>

#include "patient/PatientBootstrap.hpp"

namespace testsupport {

// The record as comparable, printable values; the record itself has no
// equality because the app never compares records.
using Fields = std::tuple<std::string, std::string, std::string>;

inline Fields fieldsOf(const patient::PatientBootstrap& record) {
    return {record.patientName(), record.dateOfBirth(), record.clinic()};
}

inline const Fields kFallback{"John Doe", "2001-01-01", "Norvel Test"};

inline std::span<const std::uint8_t> bytesOf(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// Standard base64 with padding, written for the tests.
inline std::string base64(std::string_view bytes) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t group = 0;
        for (std::size_t k = 0; k < 3; ++k) {
            group = (group << 8) | (k < n ? static_cast<std::uint8_t>(bytes[i + k]) : 0);
        }
        for (std::size_t k = 0; k < 4; ++k)
            out += k <= n ? kAlphabet[(group >> (18 - 6 * k)) & 63] : '=';
    }
    return out;
}

inline std::string deeplyNested(int depth, std::string_view inner = "") {
    return std::string(static_cast<std::size_t>(depth), '[') + std::string(inner) +
           std::string(static_cast<std::size_t>(depth), ']');
}

}  // namespace testsupport
