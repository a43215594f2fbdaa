#pragma once
// The base class of every audio unit. A plug-in derives from it and overrides what it needs;
// a host drives it in this order:
//   1. construct it (may throw PlatformError); the plug-in's factory then sets parameterTree;
//   2. set fullState to restore a project, get it to save one: any time after construction;
//   3. set MIDIOutputEventBlock (when the host takes MIDI output) and maximumFramesToRender,
//      then allocateRenderResources (may throw PlatformError);
//   4. read internalRenderBlock and call the block on the render thread while allocated;
//   5. deallocateRenderResources; steps 3 to 5 may repeat any number of times;
//   6. release its last reference. Render blocks hold the unit weakly and may outlive it.
// Units are always held by std::shared_ptr.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/audiounit/AUAudioUnitBus.h"
#include "platform/audiounit/AUParameterTree.h"
#include "platform/audiounit/AURenderBlock.h"
#include "platform/audiounit/AudioComponentDescription.h"
#include "platform/core/Status.h"
#include "platform/core/Value.h"

namespace platform {

inline constexpr OSStatus kAudioUnitErr_FormatNotSupported = -10868;
inline constexpr OSStatus kAudioUnitErr_FailedInitialization = -10875;

// Keeps a handler registered while it lives; destroying it (or invalidate()) ends the
// observation. It may be destroyed inside its own handler and may outlive the unit.
class KeyValueObservation {
public:
    ~KeyValueObservation() { invalidate(); }
    KeyValueObservation(const KeyValueObservation&) = delete;
    KeyValueObservation& operator=(const KeyValueObservation&) = delete;
    void invalidate(); // [any]

private:
    friend class AUAudioUnit;
    struct Registry;
    struct Record;
    KeyValueObservation(std::weak_ptr<Registry> registry, std::shared_ptr<Record> record)
        : registry_(std::move(registry)), record_(std::move(record)) {}

    std::weak_ptr<Registry> registry_;
    std::shared_ptr<Record> record_;
};

class AUAudioUnit : public std::enable_shared_from_this<AUAudioUnit> {
public:
    // Throws PlatformError when the platform refuses the unit (arranged through
    // AudioUnitFaults::failNextBaseConstruction). [host]
    AUAudioUnit(const AudioComponentDescription& componentDescription,
                AudioComponentInstantiationOptions options);
    virtual ~AUAudioUnit();
    AUAudioUnit(const AUAudioUnit&) = delete;
    AUAudioUnit& operator=(const AUAudioUnit&) = delete;

    const AudioComponentDescription& componentDescription() const { return componentDescription_; }

    // The saved state: "type", "subtype" and "manufacturer" (the component codes as numbers) and
    // "data", an object from each parameter's address in decimal to its value. Subclasses add
    // their own keys to it. [host]
    virtual std::optional<Dictionary> fullState() const;
    // Restores the parameter values found under "data" (other keys and values that are not
    // numbers are ignored) without reporting them to parameter observers, then tells the
    // allParameterValues observers, on this thread. An absent state changes nothing. [host]
    virtual void setFullState(const std::optional<Dictionary>& state);

    // Throws PlatformError when the platform cannot allocate (arranged through
    // AudioUnitFaults::failNextAllocate); the unit then stays as it was. [host]
    virtual void allocateRenderResources();
    virtual void deallocateRenderResources(); // [host]
    bool renderResourcesAllocated() const { return renderResourcesAllocated_.load(); }

    // The host's MIDI output for the unit's render block; empty when the host gives none. [host]
    AUMIDIOutputEventBlock MIDIOutputEventBlock() const;
    void setMIDIOutputEventBlock(AUMIDIOutputEventBlock block);

    // The base publishes empty arrays. [host]
    virtual std::shared_ptr<AUAudioUnitBusArray> inputBusses();
    virtual std::shared_ptr<AUAudioUnitBusArray> outputBusses();
    // A new render block; the base has none (an empty function). [host]
    virtual AUInternalRenderBlock internalRenderBlock();
    // Pairs of input and output channel counts the unit supports; none: any. [host]
    virtual std::optional<std::vector<int>> channelCapabilities() const;
    virtual bool shouldBypassEffect() const;         // [any]
    virtual void setShouldBypassEffect(bool bypass); // [host]

    AUAudioFrameCount maximumFramesToRender() const { return maximumFramesToRender_.load(); } // [any]
    void setMaximumFramesToRender(AUAudioFrameCount frames) { maximumFramesToRender_.store(frames); }

    // The unit's parameters; none until the plug-in sets a tree. [any but render]
    std::shared_ptr<AUParameterTree> parameterTree() const;
    void setParameterTree(std::shared_ptr<AUParameterTree> tree);

    // Calls `handler` with this unit whenever all parameter values may have changed at once (a
    // restored fullState), on the thread that changed them, until the returned observation ends.
    // [any but render]
    [[nodiscard]] std::unique_ptr<KeyValueObservation>
    observeAllParameterValues(std::function<void(AUAudioUnit&)> handler);

protected:
    // This unit, held weakly, as its most derived type `Unit`. Only once a shared_ptr holds the
    // unit, so never in a constructor. [host]
    template <typename Unit> std::weak_ptr<Unit> weakThis() {
        return std::static_pointer_cast<Unit>(shared_from_this());
    }

private:
    AudioComponentDescription componentDescription_;
    std::shared_ptr<AUAudioUnitBusArray> inputBusses_;
    std::shared_ptr<AUAudioUnitBusArray> outputBusses_;
    std::atomic<bool> renderResourcesAllocated_{false};
    std::atomic<bool> shouldBypassEffect_{false};
    std::atomic<AUAudioFrameCount> maximumFramesToRender_{512};
    mutable std::mutex mutex_; // guards the two fields below
    AUMIDIOutputEventBlock midiOutputEventBlock_;
    std::shared_ptr<AUParameterTree> parameterTree_;
    std::shared_ptr<KeyValueObservation::Registry> allParameterValuesObservers_;
};

} // namespace platform
