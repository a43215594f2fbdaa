#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/common/ui/ObservationRegistrar.h"

namespace {

using vantrel::ObservationPhase;
using vantrel::ObservationRegistrar;

std::string describe(ObservationPhase phase, std::string_view field) {
    return std::string(phase == ObservationPhase::willChange ? "will " : "did ") + std::string(field);
}

TEST(ObservationRegistrar, BracketsAChangeAndStaysSilentOnAnEqualStore) {
    ObservationRegistrar registrar;
    std::vector<std::string> heard;
    int field = 1;
    registrar.addObserver([&](ObservationPhase phase, std::string_view name) {
        heard.push_back(describe(phase, name) + "=" + std::to_string(field));
    });
    registrar.store("field", field, 1);
    registrar.store("field", field, 2);
    EXPECT_EQ(field, 2);
    EXPECT_EQ(heard, (std::vector<std::string>{"will field=1", "did field=2"}));
}

TEST(ObservationRegistrar, ObserverRemovedDuringANotificationIsNotCalledAgain) {
    ObservationRegistrar registrar;
    int field = 0;
    int secondCalls = 0;
    ObservationRegistrar::Token second = 0;
    registrar.addObserver([&](ObservationPhase, std::string_view) { registrar.removeObserver(second); });
    second = registrar.addObserver([&](ObservationPhase, std::string_view) { ++secondCalls; });
    registrar.store("field", field, 1);
    EXPECT_EQ(secondCalls, 0);
}

TEST(ObservationRegistrar, ObserverAddedDuringANotificationHearsTheNextChangeOnly) {
    ObservationRegistrar registrar;
    int field = 0;
    std::vector<std::string> late;
    bool added = false;
    registrar.addObserver([&](ObservationPhase, std::string_view) {
        if (added) return;
        added = true;
        registrar.addObserver(
            [&](ObservationPhase phase, std::string_view name) { late.push_back(describe(phase, name)); });
    });
    registrar.store("field", field, 1);
    EXPECT_TRUE(late.empty());
    registrar.store("field", field, 2);
    EXPECT_EQ(late, (std::vector<std::string>{"will field", "did field"}));
}

} // namespace
