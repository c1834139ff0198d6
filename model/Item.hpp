#pragma once

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "foundation/Clock.hpp"
#include "model/ObservationRegistrar.hpp"
#include "model/Persistence.hpp"

namespace model {

// The app's one persistent record type: a timestamp. Nothing in the app
// creates, stores or shows one, but the product requires the type with its
// full persistent interface (so a store can be attached later): it is kept,
// and tested, on purpose.
//
// Item is a reference type: objects are shared, not copied, and two Items
// are equal exactly when their persistent identifiers are.
class Item {
  public:
    static constexpr std::string_view kEntityName = "Item";
    // The key path of the one attribute, shared by the schema and the
    // accessors.
    static constexpr std::string_view kTimestampKey = "timestamp";

    // The framework's constructor: starts from a fresh default backing data,
    // then takes the one given. A null backing data is refused with
    // std::invalid_argument; an object without one could not hold a value.
    explicit Item(std::shared_ptr<BackingData> backingData);

    // A new object with the given timestamp in fresh backing data.
    explicit Item(foundation::Instant timestamp);

    Item(const Item&) = delete;
    Item& operator=(const Item&) = delete;

    // Registers the read with the observation registrar, then returns what
    // the backing data holds. Throws MissingAttributeError when it holds no
    // timestamp.
    foundation::Instant timestamp() const;

    // Stores the value in the backing data inside the registrar's mutation,
    // so observers hear about it before and after.
    void setTimestamp(foundation::Instant timestamp);

    const std::shared_ptr<BackingData>& persistentBackingData() const { return backingData_; }
    void setPersistentBackingData(std::shared_ptr<BackingData> backingData);

    const PersistentIdentifier& id() const { return backingData_->persistentModelID(); }

    ObservationRegistrar& observationRegistrar() const { return registrar_; }

    static const std::vector<SchemaProperty>& schemaMetadata();
    static std::shared_ptr<BackingData> createBackingData();

    friend bool operator==(const Item& a, const Item& b) { return a.id() == b.id(); }

  private:
    std::shared_ptr<BackingData> backingData_;
    mutable ObservationRegistrar registrar_;
};

}  // namespace model

template <>
struct std::hash<model::Item> {
    std::size_t operator()(const model::Item& item) const noexcept {
        return std::hash<model::PersistentIdentifier>()(item.id());
    }
};
