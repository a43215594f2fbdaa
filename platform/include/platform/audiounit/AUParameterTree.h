#pragma once
// The root of an audio unit's parameters, and the factory of every parameter node. A plug-in
// builds its tree once per audio unit and hands it to the unit's parameterTree.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/audiounit/AUParameter.h"
#include "platform/audiounit/AUParameterGroup.h"

namespace platform {

class AUParameterTree final : public AUParameterGroup {
public:
    // A new parameter holding the value 0; absent optionals mean none. [any]
    static std::shared_ptr<AUParameter>
    createParameter(std::string identifier, std::string name, AUParameterAddress address, AUValue min,
                    AUValue max, AudioUnitParameterUnit unit, std::optional<std::string> unitName,
                    AudioUnitParameterOptions flags, std::optional<std::vector<std::string>> valueStrings,
                    std::optional<std::vector<AUParameterAddress>> dependentParameters);
    // A new group owning `children`, none of which may belong to a group yet (else
    // std::invalid_argument). [any]
    static std::shared_ptr<AUParameterGroup>
    createGroup(std::string identifier, std::string name,
                std::vector<std::shared_ptr<AUParameterNode>> children);
    // A new tree owning `children`, under the same rule. [any]
    static std::shared_ptr<AUParameterTree>
    createTree(std::vector<std::shared_ptr<AUParameterNode>> children);

    // The first parameter in allParameters() order with `address`; null when there is none. [any]
    std::shared_ptr<AUParameter> parameterWithAddress(AUParameterAddress address) const;

private:
    explicit AUParameterTree(std::vector<std::shared_ptr<AUParameterNode>> children)
        : AUParameterGroup("", "", std::move(children)) {}
};

} // namespace platform
