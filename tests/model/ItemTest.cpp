#include <gtest/gtest.h>

#include <string>
#include <unordered_set>
#include <vector>

#include "model/Item.hpp"

namespace {

using model::Item;
using Event = model::ObservationRegistrar::Event;

// Records every observation event as text, e.g. "willSet timestamp".
struct EventLog {
    std::vector<std::string> events;

    model::ObservationRegistrar::Observer observer() {
        return [this](Event event, std::string_view keyPath) {
            const char* name = event == Event::access    ? "access"
                               : event == Event::willSet ? "willSet"
                                                         : "didSet";
            events.push_back(std::string(name) + " " + std::string(keyPath));
        };
    }
};

// Backing data that records what the model asks of it.
class RecordingBackingData final : public model::BackingData {
  public:
    const model::PersistentIdentifier& persistentModelID() const override { return id_; }
    std::optional<model::AttributeValue> getValue(std::string_view key) const override {
        log.push_back("get " + std::string(key));
        return inner_.getValue(key);
    }
    void setValue(std::string_view key, model::AttributeValue value) override {
        log.push_back("set " + std::string(key));
        inner_.setValue(key, std::move(value));
    }

    mutable std::vector<std::string> log;

  private:
    model::PersistentIdentifier id_{"Item", foundation::UUID()};
    model::DefaultBackingData inner_{"Item"};
};

TEST(ItemTest, TimestampLivesInTheBackingData) {
    Item item(1'000.0);
    EXPECT_EQ(item.timestamp(), 1'000.0);
    EXPECT_EQ(item.persistentBackingData()->getValue("timestamp"),
              model::AttributeValue(model::Date{1'000.0}));
    item.setTimestamp(2'500.5);
    EXPECT_EQ(item.persistentBackingData()->getValue("timestamp"),
              model::AttributeValue(model::Date{2'500.5}));
}

TEST(ItemTest, ReadsRegisterAnAccessBeforeTheValueIsFetched) {
    auto backing = std::make_shared<RecordingBackingData>();
    backing->setValue("timestamp", model::Date{7.0});
    backing->log.clear();
    Item item(backing);
    EventLog log;
    item.observationRegistrar().addObserver([&](Event event, std::string_view keyPath) {
        log.observer()(event, keyPath);
        backing->log.push_back("observed");
    });

    EXPECT_EQ(item.timestamp(), 7.0);
    EXPECT_EQ(log.events, std::vector<std::string>{"access timestamp"});
    EXPECT_EQ(backing->log, (std::vector<std::string>{"observed", "get timestamp"}));
}

TEST(ItemTest, WritesHappenBetweenWillSetAndDidSet) {
    auto backing = std::make_shared<RecordingBackingData>();
    Item item(backing);
    std::vector<std::string> order;
    item.observationRegistrar().addObserver([&](Event event, std::string_view keyPath) {
        order.push_back(std::string(event == Event::willSet  ? "willSet "
                                    : event == Event::didSet ? "didSet "
                                                             : "access ") +
                        std::string(keyPath) + " (" + std::to_string(backing->log.size()) +
                        " writes)");
    });
    item.setTimestamp(42.0);
    EXPECT_EQ(order, (std::vector<std::string>{"willSet timestamp (0 writes)",
                                               "didSet timestamp (1 writes)"}));
    EXPECT_EQ(backing->log, std::vector<std::string>{"set timestamp"});
}

TEST(ItemTest, DidSetIsAnnouncedEvenWhenTheWriteFails) {
    class FailingBackingData final : public model::BackingData {
      public:
        const model::PersistentIdentifier& persistentModelID() const override { return id_; }
        std::optional<model::AttributeValue> getValue(std::string_view) const override {
            return std::nullopt;
        }
        void setValue(std::string_view, model::AttributeValue) override {
            throw std::runtime_error("store is read-only");
        }

      private:
        model::PersistentIdentifier id_{"Item", foundation::UUID()};
    };
    Item item(std::make_shared<FailingBackingData>());
    EventLog log;
    item.observationRegistrar().addObserver(log.observer());
    EXPECT_THROW(item.setTimestamp(1.0), std::runtime_error);
    EXPECT_EQ(log.events, (std::vector<std::string>{"willSet timestamp", "didSet timestamp"}));
}

TEST(ItemTest, RemovedObserversHearNothing) {
    Item item(0.0);
    EventLog kept;
    EventLog removed;
    item.observationRegistrar().addObserver(kept.observer());
    const auto token = item.observationRegistrar().addObserver(removed.observer());
    item.observationRegistrar().removeObserver(token);
    item.setTimestamp(1.0);
    (void)item.timestamp();
    EXPECT_EQ(kept.events.size(), 3u);
    EXPECT_TRUE(removed.events.empty());
}

TEST(ItemTest, BackingDataConstructorTakesTheGivenData) {
    auto backing = std::make_shared<model::DefaultBackingData>("Item");
    Item item(backing);
    EXPECT_EQ(item.persistentBackingData(), backing);
    EXPECT_EQ(item.id(), backing->persistentModelID());
    // Fresh backing data holds no timestamp yet: reading is an error, not
    // an invented value.
    EXPECT_THROW((void)item.timestamp(), model::MissingAttributeError);
    EXPECT_THROW(Item(std::shared_ptr<model::BackingData>()), std::invalid_argument);
}

TEST(ItemTest, ReplacingBackingDataChangesIdentityAndValues) {
    Item item(5.0);
    const model::PersistentIdentifier before = item.id();
    auto other = std::make_shared<model::DefaultBackingData>("Item");
    other->setValue("timestamp", model::Date{9.0});
    item.setPersistentBackingData(other);
    EXPECT_EQ(item.timestamp(), 9.0);
    EXPECT_NE(item.id(), before);
    EXPECT_THROW(item.setPersistentBackingData(nullptr), std::invalid_argument);
    EXPECT_EQ(item.persistentBackingData(), other);
}

TEST(ItemTest, AValueOfAnotherTypeIsNoTimestamp) {
    auto backing = std::make_shared<model::DefaultBackingData>("Item");
    backing->setValue("timestamp", std::string("yesterday"));
    EXPECT_THROW((void)Item(backing).timestamp(), model::MissingAttributeError);
}

TEST(ItemTest, IdentityIsThePersistentIdentifier) {
    auto shared = std::make_shared<model::DefaultBackingData>("Item");
    Item a(shared);
    Item b(shared);
    Item c(0.0);
    EXPECT_TRUE(a == b);
    EXPECT_FALSE(a == c);
    EXPECT_EQ(std::hash<Item>()(a), std::hash<Item>()(b));
    EXPECT_EQ(a.id().entityName, "Item");

    std::unordered_set<model::PersistentIdentifier> ids;
    for (int i = 0; i < 100; ++i) ids.insert(Item(0.0).id());
    EXPECT_EQ(ids.size(), 100u);
}

TEST(ItemTest, SchemaHasTheOneTimestampAttribute) {
    const auto& schema = Item::schemaMetadata();
    ASSERT_EQ(schema.size(), 1u);
    EXPECT_EQ(schema[0].name, "timestamp");
    EXPECT_EQ(schema[0].keyPath, Item::kTimestampKey);
    EXPECT_EQ(schema[0].defaultValue, std::nullopt);
}

}  // namespace
