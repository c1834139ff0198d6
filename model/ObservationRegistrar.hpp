#pragma once

#include <cstddef>
#include <functional>
#include <mutex>
#include <string_view>
#include <vector>

namespace model {

// Tracks reads and announces writes of an object's properties. The object
// calls access() on every read and wraps every write in withMutation(), which
// tells observers before and after the change. Observers are plain callbacks;
// they run on the thread that touched the property.
class ObservationRegistrar {
  public:
    enum class Event { access, willSet, didSet };
    using Observer = std::function<void(Event, std::string_view keyPath)>;
    using Token = std::size_t;

    ObservationRegistrar() = default;
    ObservationRegistrar(const ObservationRegistrar&) = delete;
    ObservationRegistrar& operator=(const ObservationRegistrar&) = delete;

    Token addObserver(Observer observer);
    void removeObserver(Token token);

    void access(std::string_view keyPath) const { notify(Event::access, keyPath); }

    // Runs `mutation` between willSet and didSet. didSet is announced even
    // when the mutation throws, so observers never see a change begin
    // without it ending.
    template <typename Mutation>
    void withMutation(std::string_view keyPath, Mutation&& mutation) const {
        notify(Event::willSet, keyPath);
        struct DidSet {
            const ObservationRegistrar& registrar;
            std::string_view keyPath;
            ~DidSet() { registrar.notify(Event::didSet, keyPath); }
        } didSet{*this, keyPath};
        std::forward<Mutation>(mutation)();
    }

  private:
    // Observers are copied out before they run, so one may add or remove
    // observers without deadlocking.
    void notify(Event event, std::string_view keyPath) const;

    mutable std::mutex mutex_;
    std::vector<std::pair<Token, Observer>> observers_;
    Token nextToken_ = 0;
};

}  // namespace model
