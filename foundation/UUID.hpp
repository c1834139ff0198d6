#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace foundation {

// A 128-bit universally unique identifier. Default construction draws a fresh
// random (version 4) identifier, which is what every record of the app uses
// for its identity; two identifiers are equal only when all 16 bytes match.
class UUID {
  public:
    using Bytes = std::array<std::uint8_t, 16>;

    UUID();

    // The canonical text form in upper case, e.g.
    // "E621E1F8-C36C-495A-93FC-0C247A3E6E5F".
    std::string uuidString() const;

    const Bytes& bytes() const { return bytes_; }

    friend bool operator==(const UUID&, const UUID&) = default;

  private:
    Bytes bytes_;
};

}  // namespace foundation

template <>
struct std::hash<foundation::UUID> {
    std::size_t operator()(const foundation::UUID& uuid) const noexcept;
};
