#include <gtest/gtest.h>

#include "FrameTestSupport.h"

namespace {

using namespace frame_test;
using vantrel::createAUParameterNodes;
using vantrel::NodeSpec;
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
    for (const auto& parameter : vantrel::createAUParameterTree({GetParam().declarations})->allParameters())
        identifiers.push_back(parameter->identifier());
    EXPECT_EQ(identifiers, GetParam().treeParameters);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, Building,
    testing::Values(
        BuildCase{"Empty", {}, "", {}},
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
                  {"a"}},
        // Nothing is validated: duplicates are passed on as they are.
        BuildCase{"Duplicates",
                  {declaredParameter("same", 4, 1), declaredParameter("same", 4, 2)},
                  "P(same=1.000000) P(same=2.000000)",
                  {"same", "same"}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
