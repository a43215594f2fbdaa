#include "monitor/common/audiounit/VantrelExtensionAudioUnit.h"

#include <string>
#include <utility>

#include "monitor/common/audiounit/PluginLog.h"
#include "platform/Platform.h"
#include "platform/core/Random.h"
#include "platform/dispatch/DispatchQueue.h"

namespace vantrel::monitor {

namespace {

constexpr double sampleRate = 44100;
constexpr platform::AVAudioChannelCount channelCount = 2;
constexpr platform::Duration startDecisionDelay = platform::milliseconds(300);

} // namespace

std::shared_ptr<VantrelExtensionAudioUnit>
VantrelExtensionAudioUnit::create(const platform::AudioComponentDescription& componentDescription,
                                  platform::AudioComponentInstantiationOptions options) {
    auto unit = std::make_shared<VantrelExtensionAudioUnit>(ConstructionKey{}, componentDescription, options);
    unit->start();
    return unit;
}

VantrelExtensionAudioUnit::VantrelExtensionAudioUnit(
    ConstructionKey, const platform::AudioComponentDescription& componentDescription,
    platform::AudioComponentInstantiationOptions options)
    : AUAudioUnit(componentDescription, options),
      renderState(std::make_shared<VantrelExtensionRenderState>()),
      format(platform::AVAudioFormat::standardFormat(sampleRate, channelCount)),
      outputBus(std::make_shared<platform::AUAudioUnitBus>(format)),
      _outputBusses(std::make_shared<platform::AUAudioUnitBusArray>(
          this, platform::AUAudioUnitBusType::output,
          std::vector<std::shared_ptr<platform::AUAudioUnitBus>>{outputBus})) {
    // 1 ... 4294967295: zero never occurs.
    _uniqueID = platform::Platform::current().random->next(0xFFFFFFFFu) + 1;
    updateSysExPrefix();
}

// The steps that hand out weak references to the instance, which exist only once it is shared.
void VantrelExtensionAudioUnit::start() {
    setupCoreMIDI();
    setupConnectionListener();
    startHeartbeat();
    ccLog("Plugin 3.7.5 loaded, uid=" + std::to_string(uniqueID()) + " (warte auf fullState)");
    platform::DispatchQueue::main().asyncAfter(startDecisionDelay,
                                               [unit = weakThis<VantrelExtensionAudioUnit>()] {
                                                   if (const auto self = unit.lock()) self->decideStart();
                                               });
}

VantrelExtensionAudioUnit::~VantrelExtensionAudioUnit() {
    renderState->alive = false;
    if (heartbeatTimer) {
        heartbeatTimer->cancel();
        heartbeatTimer.reset();
    }
    disposeCoreMIDI();
    // Their handlers would do nothing now; removing them keeps the center from collecting dead ones.
    for (const auto token : connectionObservers) {
        if (token != 0) platform::NotificationCenter::defaultCenter().removeObserver(token);
    }
}

void VantrelExtensionAudioUnit::decideStart() {
    // A restore within the wait has already announced the saved identity.
    if (fullStateRestored) return;
    heartbeatReady = true;
    sendImmediateHeartbeat();
    ccLog("⏱️ Kein fullState nach 300ms → neue Instanz, Heartbeat mit uid=" +
          std::to_string(uniqueID()));
}

void VantrelExtensionAudioUnit::updateSysExPrefix() {
    renderState->sysExPrefix.publish(protocol::makeInstanceTag(uniqueID()));
}

std::shared_ptr<platform::AUAudioUnitBusArray> VantrelExtensionAudioUnit::outputBusses() {
    return _outputBusses;
}

platform::AUInternalRenderBlock VantrelExtensionAudioUnit::internalRenderBlock() {
    ccLog("internalRenderBlock created, port=" + std::to_string(outputPort.load()) +
          " dest=" + std::to_string(targetDestination.load()));
    return [state = renderState](platform::AudioUnitRenderActionFlags*, const platform::AudioTimeStamp*,
                                 platform::AUAudioFrameCount, platform::NSInteger, platform::AudioBufferList*,
                                 const platform::AURenderEvent* realtimeEventListHead,
                                 const platform::AURenderPullInputBlock&) {
        return state->render(realtimeEventListHead);
    };
}

void VantrelExtensionAudioUnit::allocateRenderResources() {
    AUAudioUnit::allocateRenderResources();
    renderState->cachedMIDIOutputEventBlock.publish(MIDIOutputEventBlock());
}

void VantrelExtensionAudioUnit::deallocateRenderResources() {
    renderState->cachedMIDIOutputEventBlock.publish({});
    AUAudioUnit::deallocateRenderResources();
}

} // namespace vantrel::monitor
