#include "platform/audiounit/AUParameterTree.h"

namespace platform {

std::shared_ptr<AUParameter>
AUParameterTree::createParameter(std::string identifier, std::string name, AUParameterAddress address,
                                 AUValue min, AUValue max, AudioUnitParameterUnit unit,
                                 std::optional<std::string> unitName, AudioUnitParameterOptions flags,
                                 std::optional<std::vector<std::string>> valueStrings,
                                 std::optional<std::vector<AUParameterAddress>> dependentParameters) {
    return std::shared_ptr<AUParameter>(
        new AUParameter(std::move(identifier), std::move(name), address, min, max, unit, std::move(unitName),
                        flags, std::move(valueStrings), std::move(dependentParameters)));
}

std::shared_ptr<AUParameterGroup>
AUParameterTree::createGroup(std::string identifier, std::string name,
                             std::vector<std::shared_ptr<AUParameterNode>> children) {
    std::shared_ptr<AUParameterGroup> group(
        new AUParameterGroup(std::move(identifier), std::move(name), std::move(children)));
    adoptChildren(group, group->children());
    return group;
}

std::shared_ptr<AUParameterTree>
AUParameterTree::createTree(std::vector<std::shared_ptr<AUParameterNode>> children) {
    std::shared_ptr<AUParameterTree> tree(new AUParameterTree(std::move(children)));
    adoptChildren(tree, tree->children());
    return tree;
}

std::shared_ptr<AUParameter> AUParameterTree::parameterWithAddress(AUParameterAddress address) const {
    for (auto& parameter : allParameters())
        if (parameter->address() == address) return parameter;
    return nullptr;
}

} // namespace platform
