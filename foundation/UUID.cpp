#include "foundation/UUID.hpp"

#include <uuid/uuid.h>

#include <cstring>

namespace foundation {

UUID::UUID() {
    uuid_t raw;
    uuid_generate_random(raw);
    std::memcpy(bytes_.data(), raw, bytes_.size());
}

std::string UUID::uuidString() const {
    uuid_t raw;
    std::memcpy(raw, bytes_.data(), bytes_.size());
    char buffer[37];
    uuid_unparse_upper(raw, buffer);
    return std::string(buffer, 36);
}

}  // namespace foundation

std::size_t std::hash<foundation::UUID>::operator()(const foundation::UUID& uuid) const noexcept {
    // The bytes are random already, so folding them is a good enough hash.
    std::uint64_t high = 0;
    std::uint64_t low = 0;
    std::memcpy(&high, uuid.bytes().data(), 8);
    std::memcpy(&low, uuid.bytes().data() + 8, 8);
    return static_cast<std::size_t>(high ^ (low * 0x9E3779B97F4A7C15ull));
}
