#include <limits>

#include "patient/PatientBootstrap.hpp"

namespace patient {
namespace {

// One number of the date: an optional "+" and at least one ASCII digit,
// nothing else, fitting a signed 64-bit integer. Leading zeros are fine.
std::optional<std::int64_t> parsePiece(std::string_view piece) {
    if (!piece.empty() && piece.front() == '+') piece.remove_prefix(1);
    if (piece.empty()) return std::nullopt;
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    std::int64_t value = 0;
    for (const char c : piece) {
        if (c < '0' || c > '9') return std::nullopt;
        const int digit = c - '0';
        if (value > (kMax - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

}  // namespace

std::optional<foundation::DateComponents> PatientBootstrap::dateComponents() const {
    // Every "-" separates, so leading, trailing and doubled ones only make
    // empty pieces, which are dropped; a number can never be negative.
    std::int64_t numbers[3];
    std::size_t count = 0;
    std::string_view rest = dateOfBirth_;
    while (true) {
        const std::size_t dash = rest.find('-');
        const std::string_view piece = rest.substr(0, dash);
        if (!piece.empty()) {
            if (count == 3) return std::nullopt;
            const auto number = parsePiece(piece);
            if (!number) return std::nullopt;
            numbers[count++] = *number;
        }
        if (dash == std::string_view::npos) break;
        rest.remove_prefix(dash + 1);
    }
    if (count != 3) return std::nullopt;
    return foundation::DateComponents{numbers[0], numbers[1], numbers[2]};
}

std::string PatientBootstrap::ageText(const foundation::Clock& clock) const {
    static const std::string kUnknown = "Unknown";
    const auto date = dateComponents();
    if (!date) return kUnknown;
    const auto years = foundation::wholeYearsSinceStartOfDay(*date, clock.now());
    if (!years) return kUnknown;
    return std::to_string(*years);
}

std::string PatientBootstrap::ageText() const {
    return ageText(foundation::SystemClock::shared());
}

std::string PatientBootstrap::displayDateOfBirth() const {
    const auto date = dateComponents();
    if (!date) return dateOfBirth_;
    return std::to_string(date->month) + "/" + std::to_string(date->day) + "/" +
           std::to_string(date->year);
}

}  // namespace patient
