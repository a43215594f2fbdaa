#include "frame/common/parameters/ParameterSpecBase.h"

namespace vantrel {

namespace {

std::shared_ptr<platform::AUParameterNode> createParameter(const ParameterSpec& spec) {
    auto parameter = platform::AUParameterTree::createParameter(
        spec.identifier, spec.name, spec.address, spec.minValue, spec.maxValue, spec.units, spec.unitName,
        spec.flags, spec.valueStrings, spec.dependentParameters);
    parameter->setValue(spec.defaultValue);
    return parameter;
}

std::shared_ptr<platform::AUParameterNode> createNode(const NodeSpec& spec) {
    if (const auto* parameter = std::get_if<ParameterSpec>(&spec)) return createParameter(*parameter);
    if (const auto* group = std::get_if<ParameterGroupSpec>(&spec)) {
        return platform::AUParameterTree::createGroup(group->identifier, group->name,
                                                      createAUParameterNodes(group->children));
    }
    return std::make_shared<platform::AUParameterNode>();
}

} // namespace

std::vector<std::shared_ptr<platform::AUParameterNode>>
createAUParameterNodes(const std::vector<NodeSpec>& specs) {
    std::vector<std::shared_ptr<platform::AUParameterNode>> nodes;
    nodes.reserve(specs.size());
    for (const auto& spec : specs)
        nodes.push_back(createNode(spec));
    return nodes;
}

std::shared_ptr<platform::AUParameterTree> createAUParameterTree(const ParameterTreeSpec& spec) {
    return platform::AUParameterTree::createTree(createAUParameterNodes(spec.children));
}

} // namespace vantrel
