#include "platform/audiounit/AUAudioUnit.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/sim/SimulatedPlatform.h"

namespace platform {
namespace {

using ::testing::ElementsAre;

std::shared_ptr<AUParameter> makeParameter(const std::string& identifier, AUParameterAddress address) {
    return AUParameterTree::createParameter(identifier, identifier, address, 0, 127,
                                            kAudioUnitParameterUnit_Generic, std::nullopt,
                                            kAudioUnitParameterFlag_IsWritable, std::nullopt, std::nullopt);
}

std::vector<std::string> identifiers(const std::vector<std::shared_ptr<AUParameter>>& parameters) {
    std::vector<std::string> result;
    for (const auto& parameter : parameters)
        result.push_back(parameter->identifier());
    return result;
}

TEST(AUParameterTree, ListsAndFindsParametersDepthFirstInTreeOrderAndRefusesNodesThatHaveAGroup) {
    const auto tree = AUParameterTree::createTree(
        {makeParameter("p0", 0),
         AUParameterTree::createGroup(
             "a", "A",
             {makeParameter("p1", 9), AUParameterTree::createGroup("b", "B", {makeParameter("p2", 2)}),
              AUParameterTree::createGroup("empty", "Empty", {}), makeParameter("p3", 3)}),
         std::make_shared<AUParameterNode>(), makeParameter("p4", 9)});
    EXPECT_THAT(identifiers(tree->allParameters()), ElementsAre("p0", "p1", "p2", "p3", "p4"));
    EXPECT_EQ(tree->parameterWithAddress(9)->identifier(), "p1");
    EXPECT_EQ(tree->parameterWithAddress(10), nullptr);
    // A node belongs to one group only, and a refused tree adopts nothing.
    const auto shared = makeParameter("shared", 1);
    const auto group = AUParameterTree::createGroup("g", "G", {shared});
    const auto other = makeParameter("other", 2);
    EXPECT_THROW(AUParameterTree::createTree({other, shared}), std::invalid_argument);
    EXPECT_THROW(AUParameterTree::createTree({other, other}), std::invalid_argument);
    EXPECT_THROW(AUParameterTree::createTree({nullptr}), std::invalid_argument);
    EXPECT_NO_THROW(AUParameterTree::createTree({other}));
    EXPECT_THAT(identifiers(group->allParameters()), ElementsAre("shared"));
}

struct Heard {
    std::string who;
    AUParameterAddress address;
    AUValue value;
    friend bool operator==(const Heard&, const Heard&) = default;
};

class ParameterObservers : public ::testing::Test {
protected:
    AUParameterObserverToken record(AUParameterNode& node, std::string who) {
        return node.tokenByAddingParameterObserver([this, who](AUParameterAddress address, AUValue value) {
            heard.push_back({who, address, value});
        });
    }

    std::shared_ptr<AUParameter> gain = makeParameter("gain", 1);
    std::shared_ptr<AUParameter> pan = makeParameter("pan", 2);
    std::shared_ptr<AUParameterGroup> group = AUParameterTree::createGroup("global", "Global", {gain});
    std::shared_ptr<AUParameterTree> tree = AUParameterTree::createTree({group, pan});
    std::vector<Heard> heard;
};

TEST_F(ParameterObservers, EveryObserverAtOrAboveTheParameterHearsItExceptTheOriginator) {
    const auto wrapper = record(*gain, "wrapper");
    record(*group, "group");
    const auto host = record(*tree, "host");
    gain->setValue(0.5f, wrapper, 0, AUParameterAutomationEventType::value);
    gain->setValue(0.25f, host, 0, AUParameterAutomationEventType::value);
    pan->setValue(0.75f);
    EXPECT_THAT(heard,
                ElementsAre(Heard{"group", 1, 0.5f}, Heard{"host", 1, 0.5f}, Heard{"wrapper", 1, 0.25f},
                            Heard{"group", 1, 0.25f}, Heard{"host", 2, 0.75f}));
}

TEST_F(ParameterObservers, RemovalTakesOnlyTheTokensOwnRegistrationAndEmptyObserversAreRefused) {
    const auto token = record(*gain, "gone");
    record(*pan, "pan");
    pan->removeParameterObserver(token); // registered elsewhere: nothing happens
    gain->removeParameterObserver(token);
    tree->removeParameterObserver(AUParameterObserverToken{});
    gain->setValue(1);
    pan->setValue(1);
    EXPECT_THAT(heard, ElementsAre(Heard{"pan", 2, 1}));
    EXPECT_THROW(gain->tokenByAddingParameterObserver({}), std::invalid_argument);
    EXPECT_THROW(gain->tokenByAddingParameterAutomationObserver({}), std::invalid_argument);
}

TEST_F(ParameterObservers, ObserversAddedOrRemovedDuringANotificationTakeEffectFromTheNextChange) {
    AUParameterObserverToken self, removed;
    self = gain->tokenByAddingParameterObserver([&](AUParameterAddress, AUValue value) {
        if (value != 1) return;
        record(*gain, "late");
        gain->removeParameterObserver(removed);
        gain->removeParameterObserver(self);
    });
    removed = record(*gain, "removed");
    gain->setValue(1);
    gain->setValue(2);
    EXPECT_THAT(heard, ElementsAre(Heard{"late", 1, 2}));
}

TEST_F(ParameterObservers, AParameterOutlivingItsTreeStillWorks) {
    record(*tree, "tree");
    record(*gain, "gain");
    group.reset();
    tree.reset();
    gain->setValue(1);
    EXPECT_THAT(heard, ElementsAre(Heard{"gain", 1, 1}));
}

// A plug-in in miniature, for the base's weakThis.
class PlugIn : public AUAudioUnit {
public:
    using AUAudioUnit::AUAudioUnit;
    std::weak_ptr<PlugIn> weak() { return weakThis<PlugIn>(); }
};

class AudioUnitTest : public ::testing::Test {
protected:
    AudioUnitTest() {
        unit->setParameterTree(AUParameterTree::createTree(
            {AUParameterTree::createGroup("global", "Global",
                                          {makeParameter("gain", 0), makeParameter("note", 1)}),
             makeParameter("pan", 7)}));
    }
    AUParameter& parameter(AUParameterAddress address) {
        return *unit->parameterTree()->parameterWithAddress(address);
    }

    SimulatedPlatform sim;
    std::shared_ptr<PlugIn> unit = std::make_shared<PlugIn>(
        AudioComponentDescription{kAudioUnitType_Effect, fourCharCode("tvam"), fourCharCode("Tlvn"), 0, 0},
        0);
};

TEST_F(AudioUnitTest, RestoringSkipsWhatIsNotANumberAndUnknownAddresses) {
    parameter(0).setValue(1);
    parameter(1).setValue(2);
    unit->setFullState(Dictionary{{"data", {{"0", "5"}, {"1", true}, {"99", 4}}}});
    EXPECT_EQ(parameter(0).value(), 1);
    EXPECT_EQ(parameter(1).value(), 1); // a boolean is a number
}

TEST_F(AudioUnitTest, ObservationsEndedBeforeOrDuringANotificationAreNotCalled) {
    int calls = 0;
    auto reset = unit->observeAllParameterValues([&](AUAudioUnit&) { ++calls; });
    auto invalidated = unit->observeAllParameterValues([&](AUAudioUnit&) { ++calls; });
    reset.reset();
    invalidated->invalidate();
    std::unique_ptr<KeyValueObservation> self, other;
    self = unit->observeAllParameterValues([&](AUAudioUnit&) {
        other.reset();
        self.reset();
    });
    other = unit->observeAllParameterValues([&](AUAudioUnit&) { ++calls; });
    unit->setFullState(Dictionary::object());
    unit->setFullState(Dictionary::object());
    EXPECT_EQ(calls, 0);
}

TEST_F(AudioUnitTest, NeitherObservationsNorWeakThisKeepTheUnitLonger) {
    const std::weak_ptr<PlugIn> weak = unit->weak();
    auto holding = unit->observeAllParameterValues([held = unit](AUAudioUnit&) {});
    auto outliving = unit->observeAllParameterValues([](AUAudioUnit&) {});
    unit.reset();
    EXPECT_FALSE(weak.expired());
    holding.reset();
    EXPECT_TRUE(weak.expired());
    EXPECT_NO_THROW(outliving->invalidate());
}

} // namespace
} // namespace platform
