#include "model/Item.hpp"

#include <stdexcept>

namespace model {

Item::Item(std::shared_ptr<BackingData> backingData) : backingData_(createBackingData()) {
    setPersistentBackingData(std::move(backingData));
}

Item::Item(foundation::Instant timestamp) : backingData_(createBackingData()) {
    setTimestamp(timestamp);
}

foundation::Instant Item::timestamp() const {
    registrar_.access(kTimestampKey);
    const auto value = backingData_->getValue(kTimestampKey);
    const Date* date = value ? std::get_if<Date>(&*value) : nullptr;
    if (!date) throw MissingAttributeError(std::string(kTimestampKey));
    return date->millisecondsSince1970;
}

void Item::setTimestamp(foundation::Instant timestamp) {
    registrar_.withMutation(kTimestampKey,
                            [&] { backingData_->setValue(kTimestampKey, Date{timestamp}); });
}

void Item::setPersistentBackingData(std::shared_ptr<BackingData> backingData) {
    if (!backingData) throw std::invalid_argument("Item needs backing data");
    backingData_ = std::move(backingData);
}

const std::vector<SchemaProperty>& Item::schemaMetadata() {
    static const std::vector<SchemaProperty> schema = {
        {std::string(kTimestampKey), std::string(kTimestampKey), std::nullopt},
    };
    return schema;
}

std::shared_ptr<BackingData> Item::createBackingData() {
    return std::make_shared<DefaultBackingData>(std::string(kEntityName));
}

}  // namespace model
