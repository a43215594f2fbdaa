#include "platform/audiounit/AUParameterGroup.h"

namespace platform {

namespace {
void collectParameters(const AUParameterGroup& group, std::vector<std::shared_ptr<AUParameter>>& parameters) {
    for (const auto& child : group.children()) {
        if (auto parameter = std::dynamic_pointer_cast<AUParameter>(child))
            parameters.push_back(std::move(parameter));
        else if (const auto* subgroup = dynamic_cast<const AUParameterGroup*>(child.get()))
            collectParameters(*subgroup, parameters);
    }
}
} // namespace

std::vector<std::shared_ptr<AUParameter>> AUParameterGroup::allParameters() const {
    std::vector<std::shared_ptr<AUParameter>> parameters;
    collectParameters(*this, parameters);
    return parameters;
}

} // namespace platform
