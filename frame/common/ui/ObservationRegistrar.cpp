#include "frame/common/ui/ObservationRegistrar.h"

#include <algorithm>

namespace vantrel {

ObservationRegistrar::Token ObservationRegistrar::addObserver(Observer observer) {
    registrations_.push_back(
        std::make_shared<Registration>(Registration{++lastToken_, std::move(observer), lastChange_ + 1}));
    return lastToken_;
}

void ObservationRegistrar::removeObserver(Token token) {
    const auto found = std::ranges::find_if(
        registrations_, [token](const auto& registration) { return registration->token == token; });
    if (found == registrations_.end()) return;
    (*found)->active = false;
    registrations_.erase(found);
}

void ObservationRegistrar::notify(ObservationPhase phase, std::string_view field, std::uint64_t change) {
    // A snapshot, as observers may add or remove observers while they are called.
    const auto round = registrations_;
    for (const auto& registration : round)
        if (registration->active && registration->firstChange <= change) registration->observer(phase, field);
}

} // namespace vantrel
