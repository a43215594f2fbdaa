#pragma once
// A named group of parameter nodes, in the order the plug-in declared them.

#include <memory>
#include <string>
#include <vector>

#include "platform/audiounit/AUParameter.h"
#include "platform/audiounit/AUParameterNode.h"

namespace platform {

class AUParameterGroup : public AUParameterNode {
public:
    const std::vector<std::shared_ptr<AUParameterNode>>& children() const { return children_; }
    // Every parameter at or below this group, depth first in child order. [any]
    std::vector<std::shared_ptr<AUParameter>> allParameters() const;

protected:
    friend class AUParameterTree; // creates groups

    AUParameterGroup(std::string identifier, std::string name,
                     std::vector<std::shared_ptr<AUParameterNode>> children)
        : AUParameterNode(std::move(identifier), std::move(name)), children_(std::move(children)) {}

private:
    std::vector<std::shared_ptr<AUParameterNode>> children_;
};

} // namespace platform
