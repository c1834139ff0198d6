#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "foundation/Clock.hpp"
#include "foundation/UUID.hpp"

// A stand-in for a persistence framework, as small as the one model type
// needs: an identifier, a place where attribute values live, and a schema
// description. There is no store; nothing is ever saved.
namespace model {

// A point in time, kept apart from plain numbers so attribute values carry
// their type.
struct Date {
    foundation::Instant millisecondsSince1970 = 0;

    friend auto operator<=>(const Date&, const Date&) = default;
};

// The value of one persisted attribute.
using AttributeValue = std::variant<Date, std::string, std::int64_t, double, bool>;

// Identity of a persistent object: the entity it belongs to and a unique id
// drawn when its backing data is created. Equality and hashing of models go
// through it.
struct PersistentIdentifier {
    std::string entityName;
    foundation::UUID uuid;

    friend bool operator==(const PersistentIdentifier&, const PersistentIdentifier&) = default;
};

// Where a model object's attribute values live, keyed by attribute name.
class BackingData {
  public:
    virtual ~BackingData() = default;

    virtual const PersistentIdentifier& persistentModelID() const = 0;
    virtual std::optional<AttributeValue> getValue(std::string_view key) const = 0;
    virtual void setValue(std::string_view key, AttributeValue value) = 0;
};

// Backing data held in memory, as a new object gets before any store knows
// it. Starts empty: attributes have no values until set.
class DefaultBackingData final : public BackingData {
  public:
    explicit DefaultBackingData(std::string entityName);

    const PersistentIdentifier& persistentModelID() const override { return id_; }
    std::optional<AttributeValue> getValue(std::string_view key) const override;
    void setValue(std::string_view key, AttributeValue value) override;

  private:
    PersistentIdentifier id_;
    std::map<std::string, AttributeValue, std::less<>> values_;
};

// One persisted attribute in a model's schema.
struct SchemaProperty {
    std::string name;
    // The accessor the attribute is read and written through; for our one
    // model the same text as the name.
    std::string keyPath;
    std::optional<AttributeValue> defaultValue;

    friend bool operator==(const SchemaProperty&, const SchemaProperty&) = default;
};

// Reading an attribute that the backing data holds no value for (or a value
// of another type). A fresh default backing data has no values at all.
class MissingAttributeError : public std::logic_error {
  public:
    explicit MissingAttributeError(const std::string& key)
        : std::logic_error("no value of the expected type for attribute \"" + key + "\"") {}
};

}  // namespace model

template <>
struct std::hash<model::PersistentIdentifier> {
    std::size_t operator()(const model::PersistentIdentifier& id) const noexcept {
        return std::hash<std::string>()(id.entityName) ^
               (std::hash<foundation::UUID>()(id.uuid) << 1);
    }
};
