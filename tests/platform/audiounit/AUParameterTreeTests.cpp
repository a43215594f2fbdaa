#include "platform/audiounit/AUParameterTree.h"

#include <stdexcept>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace platform {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Nodes = std::vector<std::shared_ptr<AUParameterNode>>;

std::shared_ptr<AUParameter> makeParameter(const std::string& identifier, AUParameterAddress address) {
    return AUParameterTree::createParameter(identifier, identifier, address, 0, 1,
                                            kAudioUnitParameterUnit_Generic, std::nullopt,
                                            kAudioUnitParameterFlag_IsWritable, std::nullopt, std::nullopt);
}

std::vector<std::string> identifiers(const std::vector<std::shared_ptr<AUParameter>>& parameters) {
    std::vector<std::string> result;
    for (const auto& parameter : parameters)
        result.push_back(parameter->identifier());
    return result;
}

TEST(AUParameterTree, AllParametersAreInTreeOrderDepthFirst) {
    const auto tree = AUParameterTree::createTree(
        {makeParameter("p0", 0),
         AUParameterTree::createGroup(
             "a", "A",
             {makeParameter("p1", 1), AUParameterTree::createGroup("b", "B", {makeParameter("p2", 2)}),
              AUParameterTree::createGroup("empty", "Empty", {}), makeParameter("p3", 3)}),
         std::make_shared<AUParameterNode>(), makeParameter("p4", 4)});
    EXPECT_THAT(identifiers(tree->allParameters()), ElementsAre("p0", "p1", "p2", "p3", "p4"));
    const auto& group = dynamic_cast<const AUParameterGroup&>(*tree->children()[1]);
    EXPECT_THAT(identifiers(group.allParameters()), ElementsAre("p1", "p2", "p3"));
}

TEST(AUParameterTree, LookupByAddressTakesTheFirstInTreeOrder) {
    const auto tree = AUParameterTree::createTree(
        {AUParameterTree::createGroup("g", "G", {makeParameter("first", 9)}), makeParameter("second", 9)});
    EXPECT_EQ(tree->parameterWithAddress(9)->identifier(), "first");
    EXPECT_EQ(tree->parameterWithAddress(10), nullptr);
}

TEST(AUParameterTree, ANodeBelongsToOneGroupOnly) {
    const auto shared = makeParameter("shared", 1);
    const auto group = AUParameterTree::createGroup("g", "G", {shared});
    const auto other = makeParameter("other", 2);
    EXPECT_THROW(AUParameterTree::createTree({other, shared}), std::invalid_argument);
    EXPECT_THROW(AUParameterTree::createTree({other, other}), std::invalid_argument);
    EXPECT_THROW(AUParameterTree::createTree({nullptr}), std::invalid_argument);
    // The refused calls adopted nothing: `other` can still join a tree.
    EXPECT_NO_THROW(AUParameterTree::createTree({other}));
    EXPECT_THAT(identifiers(group->allParameters()), ElementsAre("shared"));
}

struct Recorded {
    std::string who;
    AUParameterAddress address;
    AUValue value;
    friend bool operator==(const Recorded&, const Recorded&) = default;
};

class ParameterObservers : public ::testing::Test {
protected:
    AUParameterObserverToken record(AUParameterNode& node, std::string who) {
        return node.tokenByAddingParameterObserver([this, who](AUParameterAddress address, AUValue value) {
            calls.push_back({who, address, value});
        });
    }

    std::shared_ptr<AUParameter> gain = makeParameter("gain", 1);
    std::shared_ptr<AUParameter> pan = makeParameter("pan", 2);
    std::shared_ptr<AUParameterGroup> group = AUParameterTree::createGroup("global", "Global", {gain});
    std::shared_ptr<AUParameterTree> tree = AUParameterTree::createTree({group, pan});
    std::vector<Recorded> calls;
};

TEST_F(ParameterObservers, EveryObserverHearsAChangeExceptTheOriginatorWhereverItIsRegistered) {
    const auto wrapper = record(*gain, "wrapper");
    record(*gain, "view");
    const auto host = record(*tree, "host");
    gain->setValue(0.5f, wrapper, 0, AUParameterAutomationEventType::value);
    gain->setValue(0.25f, host, 0, AUParameterAutomationEventType::value);
    EXPECT_THAT(calls, ElementsAre(Recorded{"view", 1, 0.5f}, Recorded{"host", 1, 0.5f},
                                   Recorded{"wrapper", 1, 0.25f}, Recorded{"view", 1, 0.25f}));
}

TEST_F(ParameterObservers, AGroupOrTreeObserverHearsEveryParameterBelowIt) {
    record(*tree, "tree");
    record(*group, "group");
    record(*gain, "gain");
    gain->setValue(0.5f);
    pan->setValue(0.75f);
    EXPECT_THAT(calls, ElementsAre(Recorded{"gain", 1, 0.5f}, Recorded{"group", 1, 0.5f},
                                   Recorded{"tree", 1, 0.5f}, Recorded{"tree", 2, 0.75f}));
}

TEST_F(ParameterObservers, AutomationObserversHearHostTimeAndEventType) {
    std::vector<AUParameterAutomationEvent> events;
    tree->tokenByAddingParameterAutomationObserver(
        [&events](const AUParameterAutomationEvent& event) { events.push_back(event); });
    gain->setValue(0.1f, nullptr, 0, AUParameterAutomationEventType::touch);
    gain->setValue(0.2f, nullptr, 77, AUParameterAutomationEventType::release);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].eventType, AUParameterAutomationEventType::touch);
    EXPECT_EQ(events[1].eventType, AUParameterAutomationEventType::release);
    EXPECT_EQ(events[1].hostTime, 77u);
    EXPECT_EQ(events[1].address, 1u);
    EXPECT_EQ(events[1].value, 0.2f);
}

TEST_F(ParameterObservers, RemovedObserversAreNotCalledAndUnknownTokensAreIgnored) {
    const auto token = record(*gain, "gone");
    record(*pan, "pan");
    gain->removeParameterObserver(token);
    pan->removeParameterObserver(token); // registered elsewhere: nothing happens
    tree->removeParameterObserver(AUParameterObserverToken{});
    gain->setValue(1);
    pan->setValue(1);
    EXPECT_THAT(calls, ElementsAre(Recorded{"pan", 2, 1}));
}

TEST_F(ParameterObservers, AnObserverAddedDuringANotificationHearsOnlyLaterChanges) {
    gain->tokenByAddingParameterObserver([this](AUParameterAddress, AUValue value) {
        if (value == 1) record(*gain, "late");
    });
    gain->setValue(1);
    EXPECT_THAT(calls, IsEmpty());
    gain->setValue(2);
    EXPECT_THAT(calls, ElementsAre(Recorded{"late", 1, 2}));
}

TEST_F(ParameterObservers, AnObserverRemovedDuringANotificationIsNotCalledAgain) {
    AUParameterObserverToken second;
    AUParameterObserverToken self;
    self = gain->tokenByAddingParameterObserver([&](AUParameterAddress, AUValue) {
        gain->removeParameterObserver(second);
        gain->removeParameterObserver(self); // its own registration, from inside its own call
    });
    second = record(*gain, "second");
    gain->setValue(1);
    gain->setValue(2);
    EXPECT_THAT(calls, IsEmpty());
}

TEST_F(ParameterObservers, AParameterOutlivingItsTreeStillWorks) {
    record(*tree, "tree");
    record(*gain, "gain");
    group.reset();
    tree.reset();
    gain->setValue(1);
    EXPECT_THAT(calls, ElementsAre(Recorded{"gain", 1, 1}));
}

TEST_F(ParameterObservers, EmptyObserversAreRefused) {
    EXPECT_THROW(gain->tokenByAddingParameterObserver({}), std::invalid_argument);
    EXPECT_THROW(gain->tokenByAddingParameterAutomationObserver({}), std::invalid_argument);
}

} // namespace
} // namespace platform
