// Observers that change the observer list while they are being notified.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "frame/common/ui/ObservationRegistrar.h"

namespace {

using vantrel::ObservationPhase;
using vantrel::ObservationRegistrar;
using Lines = std::vector<std::string>;

class Registrar : public testing::Test {
protected:
    // Records what an observer hears, with the field's value at that moment.
    ObservationRegistrar::Token listen(Lines& heard) {
        return registrar.addObserver([&](ObservationPhase phase, std::string_view name) {
            heard.push_back((phase == ObservationPhase::willChange ? "will " : "did ") + std::string(name) +
                            "=" + std::to_string(field));
        });
    }

    ObservationRegistrar registrar;
    int field = 0;
};

TEST_F(Registrar, ObserverRemovedDuringANotificationIsNotCalledAgain) {
    ObservationRegistrar::Token second = 0;
    registrar.addObserver([&](ObservationPhase, std::string_view) { registrar.removeObserver(second); });
    Lines heard;
    second = listen(heard);
    registrar.store("field", field, 1);
    EXPECT_TRUE(heard.empty());
}

TEST_F(Registrar, ObserverAddedDuringANotificationHearsTheNextChangeOnly) {
    Lines late;
    bool added = false;
    registrar.addObserver([&](ObservationPhase, std::string_view) {
        if (!std::exchange(added, true)) listen(late);
    });
    registrar.store("field", field, 1);
    EXPECT_TRUE(late.empty());
    registrar.store("field", field, 2);
    EXPECT_EQ(late, (Lines{"will field=1", "did field=2"}));
}

} // namespace
