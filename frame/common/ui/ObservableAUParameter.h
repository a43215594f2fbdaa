#pragma once
// Observable wrappers of an audio unit's parameter tree, for views. A view holds a tree of
// wrappers mirroring the platform tree: it reads, observes and sets each parameter's value on the
// main thread; the wrapper writes the view's edits back as a gesture (touch, value, release) and
// takes over changes made elsewhere, without echoing its own writes and without letting them
// disturb a drag in progress.
//
// A wrapper listens to its parameter only while something holds it: when the view that owns the
// tree goes away, the wrappers go and end their registrations.

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "frame/common/ui/ObservationRegistrar.h"
#include "platform/audiounit/AUParameterGroup.h"

namespace vantrel {

// What both wrappers are; member lookup steps from a group wrapper to one of its children.
class ObservableAUParameterNode {
public:
    virtual ~ObservableAUParameterNode() = default;
    ObservableAUParameterNode(const ObservableAUParameterNode&) = delete;
    ObservableAUParameterNode& operator=(const ObservableAUParameterNode&) = delete;

    // [main] The child named `identifier` of this group wrapper as a `Node` (by default any
    // wrapper), shared. A lookup that cannot succeed is a programming error of the view and stops
    // the process: on a wrapper that is no group, on an empty group, for a name no child has, and
    // for a child that is no `Node`.
    template <typename Node = ObservableAUParameterNode>
    std::shared_ptr<Node> member(const std::string& identifier) const {
        auto typed = std::dynamic_pointer_cast<Node>(child(identifier));
        if (!typed) failConversion(identifier);
        return typed;
    }

    // The runtime's name of this wrapper's class, such as "vantrel::ObservableAUParameterGroup".
    std::string typeName() const;

protected:
    ObservableAUParameterNode() = default;

private:
    std::shared_ptr<ObservableAUParameterNode> child(const std::string& identifier) const;
    [[noreturn]] static void failConversion(const std::string& identifier);
};

class ObservableAUParameterGroup final : public ObservableAUParameterNode {
public:
    using Children = std::map<std::string, std::shared_ptr<ObservableAUParameterNode>>;

    // [main] Wraps `group` (or a whole tree) and, recursively, its children; of children with the
    // same identifier the last one stays. A child that is neither a parameter nor a group stops
    // the process.
    explicit ObservableAUParameterGroup(const platform::AUParameterGroup& group);

    const Children& children() const { return children_; }

private:
    Children children_;
};

// Where a user's edit of a parameter stands.
enum class EditingState : std::uint8_t { inactive, began, active, ended, hostUpdate };

class ObservableAUParameter final : public ObservableAUParameterNode {
public:
    // [main] Wraps `parameter`, taking its current value silently, and registers for changes
    // made by others; the registration ends with the wrapper.
    static std::shared_ptr<ObservableAUParameter>
    make(const std::shared_ptr<platform::AUParameter>& parameter);
    ~ObservableAUParameter() override;

    platform::AUValue value() const { return value_; } // [main]
    // [main] Stores `value` (views hear of it only if it differs) and, unless a change from
    // elsewhere is being applied, writes it to the parameter with the event type the edit has
    // reached and prints "Param was set VALUE"; an equal value is written and printed too.
    void setValue(platform::AUValue value);
    // [main] Called by a control when the user starts (true) or ends (false) a drag: the first
    // write of a drag is a touch, its end writes the current value again as a release.
    void onEditingChanged(bool editing);

    // Copied from the parameter at construction; the default value is always 0.
    platform::AUValue min() const { return min_; }
    platform::AUValue max() const { return max_; }
    const std::string& displayName() const { return displayName_; }
    platform::AUValue defaultValue() const { return defaultValue_; }
    platform::AudioUnitParameterUnit unit() const { return unit_; }

    // [main] Views register here for changes of "value" and "editingState".
    ObservationRegistrar& observationRegistrar() { return registrar_; }

private:
    friend struct ObservableAUParameterTestPeer; // reports changes the platform never would

    explicit ObservableAUParameter(const std::shared_ptr<platform::AUParameter>& parameter);

    // [main] A change of the parameter made by someone else, reported for `address`.
    void applyHostChange(platform::AUParameterAddress address, platform::AUValue value);
    // [main] The event type of the next write; advances the edit past its first and last write.
    platform::AUParameterAutomationEventType resolveEventType();
    void setEditingState(EditingState state) { registrar_.store("editingState", editingState_, state); }

    std::weak_ptr<platform::AUParameter> parameter_;
    platform::AUParameterObserverToken observerToken_; // also the originator of this wrapper's writes
    EditingState editingState_ = EditingState::inactive;
    platform::AUValue min_;
    platform::AUValue max_;
    std::string displayName_;
    platform::AUValue defaultValue_ = 0;
    platform::AudioUnitParameterUnit unit_;
    platform::AUValue value_;
    ObservationRegistrar registrar_;
};

} // namespace vantrel
