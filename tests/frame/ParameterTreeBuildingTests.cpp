#include <gtest/gtest.h>

#include "FrameTestSupport.h"

namespace {

using namespace frame_test;
using vantrel::createAUParameterNodes;
using vantrel::createAUParameterTree;
using vantrel::NodeSpec;
using vantrel::ParameterGroupSpec;
using vantrel::ParameterSpec;
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
    std::string expected;
};

class ChildListBuilding : public testing::TestWithParam<BuildCase> {};

TEST_P(ChildListBuilding, MakesOneNodePerEntryInOrder) {
    const auto nodes = createAUParameterNodes(GetParam().declarations);
    EXPECT_EQ(nodes.size(), GetParam().declarations.size());
    EXPECT_EQ(shape(nodes), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, ChildListBuilding,
    testing::Values(
        BuildCase{"Empty", {}, ""}, BuildCase{"EmptyGroup", {ParameterGroupSpec{"g", "G", {}}}, "G(g:[])"},
        BuildCase{
            "Nested",
            {ParameterGroupSpec{
                "outer", "Outer", {ParameterGroupSpec{"inner", "Inner", {declaredParameter("deep", 3, 2)}}}}},
            "G(outer:[G(inner:[P(deep=2.000000)])])"},
        BuildCase{"Mixed",
                  {declaredParameter("a", 0, 1),
                   ParameterGroupSpec{"g", "G", {declaredParameter("b", 1, 0.25f)}},
                   declaredParameter("c", 2, 0.5f), ParameterGroupSpec{"h", "H", {}}},
                  "P(a=1.000000) G(g:[P(b=0.250000)]) P(c=0.500000) G(h:[])"},
        // A tree declared inside a child list is not built: a bare node stands in its place.
        BuildCase{"NestedTree",
                  {declaredParameter("a", 0), ParameterTreeSpec{{declaredParameter("hidden", 9, 1)}},
                   ParameterGroupSpec{"g", "G", {ParameterTreeSpec{}}}},
                  "P(a=0.000000) N G(g:[N])"},
        // Nothing is validated: duplicates are passed on as they are.
        BuildCase{"DuplicateIdentifiersAndAddresses",
                  {declaredParameter("same", 4, 1), declaredParameter("same", 4, 2)},
                  "P(same=1.000000) P(same=2.000000)"}),
    [](const testing::TestParamInfo<BuildCase>& info) { return std::string(info.param.name); });

TEST(ParameterTreeBuilding, EmptyTreeYieldsTreeWithoutChildren) {
    const auto tree = createAUParameterTree(ParameterTreeSpec{});
    ASSERT_NE(tree, nullptr);
    EXPECT_TRUE(tree->children().empty());
    EXPECT_TRUE(tree->allParameters().empty());
}

TEST(ParameterTreeBuilding, NestedTreeContributesNoParameters) {
    const auto tree = createAUParameterTree(
        {{declaredParameter("a", 0), ParameterTreeSpec{{declaredParameter("hidden", 9)}},
          declaredParameter("b", 1)}});
    std::vector<std::string> identifiers;
    for (const auto& parameter : tree->allParameters())
        identifiers.push_back(parameter->identifier());
    EXPECT_EQ(identifiers, (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(tree->children()[1]->identifier().empty());
}

TEST(ParameterTreeBuilding, ParameterCarriesEveryDeclaredFieldUnchecked) {
    // The default lies outside a range whose minimum is above its maximum: all passed on as given.
    const ParameterSpec declaration{
        .identifier = "mode",
        .name = "Mode",
        .address = 42,
        .minValue = 5,
        .maxValue = 2,
        .defaultValue = 9,
        .units = kAudioUnitParameterUnit_MIDINoteNumber,
        .unitName = "steps",
        .flags = kAudioUnitParameterFlag_IsWritable,
        .valueStrings = std::vector<std::string>{"Off", "On"},
        .dependentParameters = std::vector<AUParameterAddress>{3, 1},
    };
    const auto nodes = createAUParameterNodes({declaration});
    const auto parameter = std::dynamic_pointer_cast<AUParameter>(nodes.at(0));
    ASSERT_NE(parameter, nullptr);
    EXPECT_EQ(parameter->identifier(), "mode");
    EXPECT_EQ(parameter->displayName(), "Mode");
    EXPECT_EQ(parameter->address(), 42u);
    EXPECT_EQ(parameter->minValue(), 5);
    EXPECT_EQ(parameter->maxValue(), 2);
    EXPECT_EQ(parameter->value(), 9);
    EXPECT_EQ(parameter->unit(), kAudioUnitParameterUnit_MIDINoteNumber);
    EXPECT_EQ(parameter->unitName(), "steps");
    EXPECT_EQ(parameter->flags(), kAudioUnitParameterFlag_IsWritable);
    EXPECT_EQ(parameter->valueStrings(), declaration.valueStrings);
    EXPECT_EQ(parameter->dependentParameters(), declaration.dependentParameters);
}

TEST(ParameterTreeBuilding, AbsentOptionalsStayAbsent) {
    const auto parameter =
        std::dynamic_pointer_cast<AUParameter>(createAUParameterNodes({declaredParameter("p", 0)})[0]);
    ASSERT_NE(parameter, nullptr);
    EXPECT_FALSE(parameter->unitName().has_value());
    EXPECT_FALSE(parameter->valueStrings().has_value());
    EXPECT_FALSE(parameter->dependentParameters().has_value());
}

TEST(ParameterTreeBuilding, EveryBuildMakesItsOwnParameters) {
    const ParameterTreeSpec tree{{ParameterGroupSpec{"g", "G", {declaredParameter("p", 0, 0.5f)}}}};
    const auto first = createAUParameterTree(tree);
    const auto second = createAUParameterTree(tree);
    first->allParameters()[0]->setValue(0.75f);
    EXPECT_NE(first->allParameters()[0], second->allParameters()[0]);
    EXPECT_EQ(second->allParameters()[0]->value(), 0.5f);
}

} // namespace
