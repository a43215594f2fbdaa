#include "frame/common/parameters/ParameterSpecBase.h"

namespace vantrel {

namespace {

std::shared_ptr<platform::AUParameterNode> createParameter(const ParameterSpec& declaration) {
    auto parameter = platform::AUParameterTree::createParameter(
        declaration.identifier, declaration.name, declaration.address, declaration.minValue,
        declaration.maxValue, declaration.units, declaration.unitName, declaration.flags,
        declaration.valueStrings, declaration.dependentParameters);
    parameter->setValue(declaration.defaultValue);
    return parameter;
}

std::shared_ptr<platform::AUParameterNode> createNode(const NodeSpec& declaration) {
    if (const auto* parameter = std::get_if<ParameterSpec>(&declaration)) return createParameter(*parameter);
    if (const auto* group = std::get_if<ParameterGroupSpec>(&declaration)) {
        return platform::AUParameterTree::createGroup(group->identifier, group->name,
                                                      createAUParameterNodes(group->children));
    }
    return std::make_shared<platform::AUParameterNode>();
}

} // namespace

std::vector<std::shared_ptr<platform::AUParameterNode>>
createAUParameterNodes(const std::vector<NodeSpec>& declarations) {
    std::vector<std::shared_ptr<platform::AUParameterNode>> nodes;
    nodes.reserve(declarations.size());
    for (const auto& declaration : declarations)
        nodes.push_back(createNode(declaration));
    return nodes;
}

std::shared_ptr<platform::AUParameterTree> createAUParameterTree(const ParameterTreeSpec& tree) {
    return platform::AUParameterTree::createTree(createAUParameterNodes(tree.children));
}

} // namespace vantrel
