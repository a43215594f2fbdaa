#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "FrameTestSupport.h"
#include "frame/common/ui/ObservableAUParameter.h"
#include "platform/sim/SimulatedPlatform.h"

namespace {

using namespace frame_test;
using testing::HasSubstr;
using vantrel::createAUParameterTree;
using vantrel::ObservableAUParameter;
using vantrel::ObservableAUParameterGroup;
using vantrel::ObservableAUParameterNode;

class MemberLookup : public testing::Test {
protected:
    void SetUp() override {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        // Standard output lines are captured by the platform; a dying child shows them on stderr.
        platform.log().setListener([](const LogRecord& record) {
            if (record.kind == LogKind::standardOutput) std::fprintf(stderr, "%s\n", record.text.c_str());
        });
    }

    SimulatedPlatform platform;
    std::shared_ptr<AUParameterTree> tree = makeGlobalTree();
    std::shared_ptr<ObservableAUParameterGroup> wrappers =
        std::make_shared<ObservableAUParameterGroup>(*tree);
};

TEST_F(MemberLookup, StepsIntoAGroupThenReachesAParameterShared) {
    const auto global = wrappers->member("global");
    const auto gain = global->member<ObservableAUParameter>("gain");
    ASSERT_NE(gain, nullptr);
    EXPECT_EQ(gain->displayName(), "gain name");
    EXPECT_EQ(gain, std::dynamic_pointer_cast<ObservableAUParameterGroup>(global)->children().at("gain"));
    // The untyped lookup reaches a parameter as well.
    EXPECT_EQ(global->member("mix"), global->member<ObservableAUParameter>("mix"));
}

TEST_F(MemberLookup, LaterChildWithTheSameIdentifierWins) {
    const auto doubled =
        createAUParameterTree({{declaredParameter("twin", 1, 0.25f), declaredParameter("twin", 2, 0.75f)}});
    const ObservableAUParameterGroup group(*doubled);
    EXPECT_EQ(group.children().size(), 1u);
    EXPECT_EQ(group.member<ObservableAUParameter>("twin")->value(), 0.75f);
}

TEST_F(MemberLookup, TypedLookupOfAGroupAsParameterStops) {
    EXPECT_DEATH(wrappers->member<ObservableAUParameter>("global"),
                 HasSubstr("Parameter node named global cannot be converted to the requested type"));
}

TEST_F(MemberLookup, LookupOnAParameterWrapperStops) {
    const auto gain = wrappers->member("global")->member("gain");
    EXPECT_DEATH(
        gain->member("anything"),
        HasSubstr("Calling subscript is only supported on ObservableAUParameterGroups, you called it on "
                  "vantrel::ObservableAUParameter\n"));
}

TEST_F(MemberLookup, LookupOnAnEmptyGroupStopsWhateverTheName) {
    const auto empty = createAUParameterTree({{vantrel::ParameterGroupSpec{"global", "Global", {}}}});
    const auto group = std::make_shared<ObservableAUParameterGroup>(*empty);
    const auto global = group->member("global");
    EXPECT_DEATH(global->member("gain"), HasSubstr("This group has no children"));
    EXPECT_DEATH(global->member<ObservableAUParameter>(""), HasSubstr("This group has no children"));
}

TEST_F(MemberLookup, UnknownNamePrintsTheChoicesThenStopsWithoutMessage) {
    const auto global = wrappers->member("global");
    EXPECT_DEATH(
        global->member("gian"),
        HasSubstr("Parameter Group vantrel::ObservableAUParameterGroup doesn't have a child node named "
                  "gian, did you mean one of: \n gain\nmix\nFatal error\n"));
}

TEST_F(MemberLookup, WrappingABareNodeStops) {
    const auto withBareNode =
        createAUParameterTree({{declaredParameter("a", 0), vantrel::ParameterTreeSpec{}}});
    EXPECT_DEATH(ObservableAUParameterGroup{*withBareNode}, HasSubstr("Unexpected AUParameterNode subclass"));
}

} // namespace
