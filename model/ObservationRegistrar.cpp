#include "model/ObservationRegistrar.hpp"

#include <algorithm>

namespace model {

ObservationRegistrar::Token ObservationRegistrar::addObserver(Observer observer) {
    std::lock_guard lock(mutex_);
    const Token token = nextToken_++;
    observers_.emplace_back(token, std::move(observer));
    return token;
}

void ObservationRegistrar::removeObserver(Token token) {
    std::lock_guard lock(mutex_);
    std::erase_if(observers_, [token](const auto& entry) { return entry.first == token; });
}

void ObservationRegistrar::notify(Event event, std::string_view keyPath) const {
    std::vector<Observer> snapshot;
    {
        std::lock_guard lock(mutex_);
        snapshot.reserve(observers_.size());
        for (const auto& entry : observers_) snapshot.push_back(entry.second);
    }
    for (const auto& observer : snapshot) observer(event, keyPath);
}

}  // namespace model
