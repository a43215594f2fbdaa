#pragma once
// The change-notification bookkeeping of an observable object: views register interest and hear
// of each change of an observable field, once before and once after the new value is stored.
// Storing a value equal to the current one tells no one.

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace vantrel {

enum class ObservationPhase { willChange, didChange };

class ObservationRegistrar {
public:
    // Hears the phase and the field's name (its name as a literal, such as "value").
    using Observer = std::function<void(ObservationPhase phase, std::string_view field)>;
    using Token = std::uint64_t;

    // [main] An observer added during a notification hears from the next change on; one
    // removed during a notification is not called again, not even later in the same round.
    Token addObserver(Observer observer);
    void removeObserver(Token token); // [main] Unknown tokens are ignored.

    // [main] Stores `next` in `field`, bracketed by notifications only if it differs.
    template <typename T> void store(std::string_view name, T& field, T next) {
        if (field == next) {
            field = std::move(next);
            return;
        }
        const auto change = ++lastChange_;
        notify(ObservationPhase::willChange, name, change);
        field = std::move(next);
        notify(ObservationPhase::didChange, name, change);
    }

private:
    struct Registration {
        Token token;
        Observer observer;
        std::uint64_t firstChange; // the first change it hears of
        bool active = true;
    };

    void notify(ObservationPhase phase, std::string_view field, std::uint64_t change);

    Token lastToken_ = 0;
    std::uint64_t lastChange_ = 0;
    std::vector<std::shared_ptr<Registration>> registrations_;
};

} // namespace vantrel
