// Parameter trees built from their declarations, and member lookup in the wrappers of one.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "FrameTestSupport.h"
#include "frame/common/ui/ObservableAUParameter.h"
#include "platform/sim/SimulatedPlatform.h"

namespace {

using namespace frame_test;
using vantrel::createAUParameterNodes;
using vantrel::createAUParameterTree;
using vantrel::NodeSpec;
using vantrel::ObservableAUParameter;
using vantrel::ObservableAUParameterGroup;
using vantrel::ParameterGroupSpec;
using vantrel::ParameterTreeSpec;

// The built nodes in a compact form: P(identifier=value), G(identifier:[...]), N for a bare node.
std::string shape(const std::vector<std::shared_ptr<AUParameterNode>>& nodes) {
    std::string text;
    for (const auto& node : nodes) {
        if (!text.empty()) text += " ";
        if (const auto* parameter = dynamic_cast<const AUParameter*>(node.get()))
            text += "P(" + parameter->identifier() + "=" + std::to_string(parameter->value()) + ")";
        else if (const auto* group = dynamic_cast<const AUParameterGroup*>(node.get()))
            text += "G(" + group->identifier() + ":[" + shape(group->children()) + "])";
        else
            text += "N";
    }
    return text;
}

struct BuildCase {
    const char* name;
    std::vector<NodeSpec> declarations;
    std::string nodes;
    std::vector<std::string> treeParameters; // of a tree built from the same declarations
};

class Building : public testing::TestWithParam<BuildCase> {};

TEST_P(Building, MakesOneNodePerEntryInOrder) {
    EXPECT_EQ(shape(createAUParameterNodes(GetParam().declarations)), GetParam().nodes);
    std::vector<std::string> identifiers;
    for (const auto& parameter : createAUParameterTree({GetParam().declarations})->allParameters())
        identifiers.push_back(parameter->identifier());
    EXPECT_EQ(identifiers, GetParam().treeParameters);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, Building,
    testing::Values(
        BuildCase{"Mixed",
                  {declaredParameter("a", 0, 1),
                   ParameterGroupSpec{
                       "g", "G", {ParameterGroupSpec{"in", "In", {declaredParameter("b", 1, 0.25f)}}}},
                   ParameterGroupSpec{"h", "H", {}}},
                  "P(a=1.000000) G(g:[G(in:[P(b=0.250000)])]) G(h:[])",
                  {"a", "b"}},
        // A tree declared inside a child list is not built: a bare node stands in its place.
        BuildCase{"NestedTree",
                  {declaredParameter("a", 0), ParameterTreeSpec{{declaredParameter("hidden", 9, 1)}},
                   ParameterGroupSpec{"g", "G", {ParameterTreeSpec{}}}},
                  "P(a=0.000000) N G(g:[N])",
                  {"a"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct BadLookup {
    const char* name;
    std::function<void(const ObservableAUParameterGroup&)> lookup;
    const char* message;
};

class MemberLookupStops : public testing::TestWithParam<BadLookup> {};

TEST_P(MemberLookupStops, WithTheSystemsMessage) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    SimulatedPlatform platform;
    // Standard output lines are captured by the platform; the dying child shows them on stderr.
    platform.log().setListener([](const LogRecord& record) {
        if (record.kind == LogKind::standardOutput) std::fprintf(stderr, "%s\n", record.text.c_str());
    });
    // "global" { gain, mix } and an empty group "empty".
    const auto tree = createAUParameterTree(
        {{vantrel::ParameterGroupSpec{
              "global", "Global", {declaredParameter("gain", 7), declaredParameter("mix", 8)}},
          vantrel::ParameterGroupSpec{"empty", "Empty", {}}}});
    const ObservableAUParameterGroup root(*tree);
    EXPECT_DEATH(GetParam().lookup(root), testing::HasSubstr(GetParam().message));
}

INSTANTIATE_TEST_SUITE_P(
    Lookups, MemberLookupStops,
    testing::Values(
        BadLookup{"GroupAsParameter",
                  [](auto& root) { root.template member<ObservableAUParameter>("global"); },
                  "Parameter node named global cannot be converted to the requested type"},
        BadLookup{"IntoAParameter", [](auto& root) { root.member("global")->member("gain")->member("x"); },
                  "Calling subscript is only supported on ObservableAUParameterGroups, you called it on "
                  "vantrel::ObservableAUParameter\n"},
        BadLookup{"InAnEmptyGroup", [](auto& root) { root.member("empty")->member("gain"); },
                  "This group has no children"},
        BadLookup{
            "UnknownNamePrintsTheChoices", [](auto& root) { root.member("global")->member("gian"); },
            "Parameter Group vantrel::ObservableAUParameterGroup doesn't have a child node named gian, did "
            "you mean one of: \n gain\nmix\nFatal error\n"},
        BadLookup{"WrappingABareNode",
                  [](auto&) {
                      const auto bare =
                          createAUParameterTree({{declaredParameter("a", 0), vantrel::ParameterTreeSpec{}}});
                      ObservableAUParameterGroup{*bare};
                  },
                  "Unexpected AUParameterNode subclass"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MemberLookup, LaterChildWithTheSameIdentifierWins) {
    SimulatedPlatform platform;
    const auto twins =
        createAUParameterTree({{declaredParameter("twin", 1, 0.25f), declaredParameter("twin", 2, 0.75f)}});
    const ObservableAUParameterGroup group(*twins);
    EXPECT_EQ(group.children().size(), 1u);
    EXPECT_EQ(group.member<ObservableAUParameter>("twin")->value(), 0.75f);
}

} // namespace
