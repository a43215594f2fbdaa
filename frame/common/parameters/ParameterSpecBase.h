#pragma once
// How a plug-in declares its parameters: a tree of plain, immutable value records, turned into
// fresh platform parameter nodes for each audio unit.

#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/audiounit/AUParameterTree.h"

namespace vantrel {

struct NodeSpec;

struct ParameterSpec {
    std::string identifier;
    std::string name;
    platform::AUParameterAddress address = 0;
    platform::AUValue minValue = 0;
    platform::AUValue maxValue = 0;
    platform::AUValue defaultValue = 0; // the value the new parameter is given
    platform::AudioUnitParameterUnit units = platform::kAudioUnitParameterUnit_Generic;
    std::optional<std::string> unitName;
    platform::AudioUnitParameterOptions flags = 0;
    std::optional<std::vector<std::string>> valueStrings;
    std::optional<std::vector<platform::AUParameterAddress>> dependentParameters;
};

struct ParameterGroupSpec {
    std::string identifier;
    std::string name;
    std::vector<NodeSpec> children;
};

// The root of a declaration.
struct ParameterTreeSpec {
    std::vector<NodeSpec> children;
};

// Any entry of a child list; the set of kinds is closed.
struct NodeSpec : std::variant<ParameterSpec, ParameterGroupSpec, ParameterTreeSpec> {
    using variant::variant;
};

// One new platform node per entry, in order: a parameter holding its default value, a group
// with its children built the same way, and a bare node for anything else (a tree declared
// inside a child list is not built). Nothing is validated or shared between calls. [any]
std::vector<std::shared_ptr<platform::AUParameterNode>>
createAUParameterNodes(const std::vector<NodeSpec>& declarations);

// A new platform tree of `tree`'s children. [any]
std::shared_ptr<platform::AUParameterTree> createAUParameterTree(const ParameterTreeSpec& tree);

} // namespace vantrel
