#pragma once
// The nodes of an audio unit's parameter tree. AUParameterNode is what every node is: it has an
// identifier and a name, and observers registered on it hear of changes of every parameter at or
// below it (on a tree: of all its parameters).

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/audiounit/AURenderEvent.h"

namespace platform {

using AudioUnitParameterUnit = std::uint32_t;
inline constexpr AudioUnitParameterUnit kAudioUnitParameterUnit_Generic = 0;
inline constexpr AudioUnitParameterUnit kAudioUnitParameterUnit_Boolean = 2;
inline constexpr AudioUnitParameterUnit kAudioUnitParameterUnit_MIDINoteNumber = 11;
inline constexpr AudioUnitParameterUnit kAudioUnitParameterUnit_Decibels = 13;

using AudioUnitParameterOptions = std::uint32_t;
inline constexpr AudioUnitParameterOptions kAudioUnitParameterFlag_IsReadable = 0x40000000;
inline constexpr AudioUnitParameterOptions kAudioUnitParameterFlag_IsWritable = 0x80000000;

// What a write means within a gesture: a plain value, the first write of a drag, its last.
enum class AUParameterAutomationEventType : std::uint32_t { value = 0, touch = 1, release = 2 };

struct AUParameterAutomationEvent {
    std::uint64_t hostTime; // 0: immediately
    AUParameterAddress address;
    AUValue value;
    AUParameterAutomationEventType eventType;
};

// A registration of an observer; the null token (the default) stands for no observer, as the
// originator of a write that every observer should hear.
class AUParameterObserverToken {
public:
    constexpr AUParameterObserverToken() noexcept = default;
    constexpr AUParameterObserverToken(std::nullptr_t) noexcept {}
    explicit constexpr operator bool() const noexcept { return id_ != 0; }
    friend constexpr bool operator==(AUParameterObserverToken, AUParameterObserverToken) = default;

private:
    friend class AUParameterNode;
    explicit constexpr AUParameterObserverToken(std::uint64_t id) noexcept : id_(id) {}
    std::uint64_t id_ = 0;
};

using AUParameterObserver = std::function<void(AUParameterAddress address, AUValue value)>;
using AUParameterAutomationObserver = std::function<void(const AUParameterAutomationEvent& event)>;

class AUParameterNode {
public:
    // A bare node: no identifier, no name, no parameters below it.
    AUParameterNode() = default;
    virtual ~AUParameterNode() = default;
    AUParameterNode(const AUParameterNode&) = delete;
    AUParameterNode& operator=(const AUParameterNode&) = delete;

    const std::string& identifier() const { return identifier_; }
    const std::string& displayName() const { return displayName_; }

    // Registers `observer` for every change of a parameter at or below this node, except the
    // changes whose originator is the returned token. Observers run on the thread that made the
    // change, never inside a lock of the tree; they may add and remove observers. The node keeps
    // the observer (and what it holds) until it is removed. [any but render] Allocates.
    AUParameterObserverToken tokenByAddingParameterObserver(AUParameterObserver observer);
    // The same, for an observer that also hears the write's host time and event type.
    AUParameterObserverToken tokenByAddingParameterAutomationObserver(AUParameterAutomationObserver observer);
    // Ends a registration made on this node; other tokens are ignored. Once this returns the
    // observer is not called again, except by a report already under way on another thread.
    // [any but render]
    void removeParameterObserver(AUParameterObserverToken token);

protected:
    AUParameterNode(std::string identifier, std::string displayName)
        : identifier_(std::move(identifier)), displayName_(std::move(displayName)) {}

    // Makes `parent` the node whose observers also hear of changes below each of `children`. A
    // node has at most one parent: a null child, a child that already has a parent or one listed
    // twice is a std::invalid_argument, and then no child is adopted. [any]
    static void adoptChildren(const std::shared_ptr<const AUParameterNode>& parent,
                              const std::vector<std::shared_ptr<AUParameterNode>>& children);

    // Reports `event` to the observers of this node and of every node above it, except the
    // originator's. [any but render] Allocates.
    void notifyObservers(const AUParameterAutomationEvent& event, AUParameterObserverToken originator) const;

private:
    struct Registration {
        AUParameterObserverToken token;
        AUParameterAutomationObserver observer;
        std::atomic<bool> active{true}; // false once removed, so a report under way skips it
    };

    std::string identifier_;
    std::string displayName_;
    mutable std::mutex mutex_; // guards parent_ and observers_
    std::weak_ptr<const AUParameterNode> parent_;
    bool adopted_ = false;
    std::vector<std::shared_ptr<Registration>> observers_;
};

} // namespace platform
