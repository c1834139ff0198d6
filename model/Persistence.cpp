#include "model/Persistence.hpp"

namespace model {

DefaultBackingData::DefaultBackingData(std::string entityName)
    : id_{std::move(entityName), foundation::UUID()} {}

std::optional<AttributeValue> DefaultBackingData::getValue(std::string_view key) const {
    const auto found = values_.find(key);
    if (found == values_.end()) return std::nullopt;
    return found->second;
}

void DefaultBackingData::setValue(std::string_view key, AttributeValue value) {
    values_.insert_or_assign(std::string(key), std::move(value));
}

}  // namespace model
