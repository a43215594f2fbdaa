#include <cxxabi.h>

#include <cstdlib>
#include <typeinfo>

#include "frame/common/FatalError.h"
#include "frame/common/ui/ObservableAUParameter.h"
#include "platform/log/Logger.h"

namespace vantrel {

ObservableAUParameterGroup::ObservableAUParameterGroup(const platform::AUParameterGroup& group) {
    for (const auto& child : group.children()) {
        std::shared_ptr<ObservableAUParameterNode> wrapper;
        if (const auto parameter = std::dynamic_pointer_cast<platform::AUParameter>(child))
            wrapper = ObservableAUParameter::make(parameter);
        else if (const auto* subgroup = dynamic_cast<const platform::AUParameterGroup*>(child.get()))
            wrapper = std::make_shared<ObservableAUParameterGroup>(*subgroup);
        else
            fatalError("Unexpected AUParameterNode subclass");
        children_.insert_or_assign(child->identifier(), std::move(wrapper));
    }
}

std::string ObservableAUParameterNode::typeName() const {
    const char* mangled = typeid(*this).name();
    int status = 0;
    char* demangled = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    std::string name = status == 0 ? demangled : mangled;
    std::free(demangled);
    return name;
}

std::shared_ptr<ObservableAUParameterNode>
ObservableAUParameterNode::child(const std::string& identifier) const {
    const auto* group = dynamic_cast<const ObservableAUParameterGroup*>(this);
    if (group == nullptr) {
        fatalError("Calling subscript is only supported on ObservableAUParameterGroups, you called it on " +
                   typeName());
    }
    const auto& children = group->children();
    if (children.empty()) fatalError("This group has no children");
    const auto found = children.find(identifier);
    if (found == children.end()) {
        std::string known;
        for (auto each = children.begin(); each != children.end(); ++each)
            known += (each == children.begin() ? "" : "\n") + each->first;
        platform::printLine("Parameter Group " + typeName() + " doesn't have a child node named " +
                            identifier + ", did you mean one of: \n " + known);
        fatalError();
    }
    return found->second;
}

void ObservableAUParameterNode::failConversion(const std::string& identifier) {
    fatalError("Parameter node named " + identifier + " cannot be converted to the requested type");
}

} // namespace vantrel
