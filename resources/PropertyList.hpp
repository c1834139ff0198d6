#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "foundation/Clock.hpp"

namespace resources {

// A property-list date, as an instant (milliseconds since 1970, UTC).
struct PlistDate {
    foundation::Instant instant = 0;

    friend bool operator==(const PlistDate&, const PlistDate&) = default;
};

// One value of a property list, with its type kept: the Info dictionary can
// hold any of these under a key, and callers decide what they accept.
//
// Integers are signed 64-bit. libplist hands every integer back as unsigned
// 64-bit, so a negative number written in the file (-5) arrives as 2^64 - 5;
// it is read back as the two's-complement signed value, which restores -5.
// The price is that unsigned values above 2^63 - 1, which the platform's own
// property lists cannot express as signed numbers either, read as negative.
class PlistValue {
  public:
    using Data = std::vector<std::uint8_t>;
    using Array = std::vector<PlistValue>;
    using Dictionary = std::map<std::string, PlistValue, std::less<>>;
    using Storage =
        std::variant<std::string, std::int64_t, double, bool, PlistDate, Data, Array, Dictionary>;

    PlistValue(std::string value) : storage_(std::move(value)) {}
    PlistValue(const char* value) : storage_(std::string(value)) {}
    PlistValue(std::int64_t value) : storage_(value) {}
    PlistValue(double value) : storage_(value) {}
    PlistValue(bool value) : storage_(value) {}
    PlistValue(PlistDate value) : storage_(value) {}
    PlistValue(Data value) : storage_(std::move(value)) {}
    PlistValue(Array value) : storage_(std::move(value)) {}
    PlistValue(Dictionary value) : storage_(std::move(value)) {}

    template <typename T>
    bool is() const {
        return std::holds_alternative<T>(storage_);
    }

    // The value as a T, or null when it holds another type: the conditional
    // cast callers use to accept only the type they expect.
    template <typename T>
    const T* getIf() const {
        return std::get_if<T>(&storage_);
    }

    template <typename T>
    T* getIf() {
        return std::get_if<T>(&storage_);
    }

    const Storage& storage() const { return storage_; }

    friend bool operator==(const PlistValue&, const PlistValue&) = default;

  private:
    Storage storage_;
};

// Parses a property list in XML or binary form. Returns no value when the
// bytes do not parse, when the list nests deeper than kMaxPlistDepth, or
// when a binary list would expand to more than kMaxPlistNodes values.
std::optional<PlistValue> parsePropertyList(std::span<const std::uint8_t> bytes);

// Reads an Info dictionary from property-list bytes. Anything that is not a
// property list with a dictionary at its root counts as an empty dictionary,
// the way a missing or broken Info.plist is treated.
PlistValue::Dictionary parseInfoDictionary(std::span<const std::uint8_t> bytes);

// No Info dictionary anyone writes comes near these bounds. They keep the
// parser (libplist recurses, and expands shared objects of binary lists
// once per reference) and the conversion below off the end of the stack and
// out of exponential work.
inline constexpr int kMaxPlistDepth = 256;
inline constexpr std::size_t kMaxPlistNodes = 100'000;

}  // namespace resources
