#include "meter/common/audiounit/TolvaneAudioMeterExtensionAudioUnit.h"

#include <string>

#include "meter/common/audiounit/TrackNumber.h"
#include "platform/audiounit/AVAudioFormat.h"
#include "platform/log/Logger.h"

namespace vantrel::meter {

using namespace platform;

std::atomic<std::uint8_t> TolvaneAudioMeterExtensionAudioUnit::nextInstanceID{1};

std::uint8_t TolvaneAudioMeterExtensionAudioUnit::takeNextInstanceID() noexcept {
    std::uint8_t taken = nextInstanceID.load(std::memory_order_relaxed);
    while (!nextInstanceID.compare_exchange_weak(
        taken, taken < 127 ? static_cast<std::uint8_t>(taken + 1) : 1, std::memory_order_relaxed)) {
    }
    return taken;
}

TolvaneAudioMeterExtensionAudioUnit::TolvaneAudioMeterExtensionAudioUnit(
    const AudioComponentDescription& componentDescription, AudioComponentInstantiationOptions options)
    : TolvaneAudioMeterExtensionAudioUnit(takeNextInstanceID(), componentDescription, options) {}

TolvaneAudioMeterExtensionAudioUnit::TolvaneAudioMeterExtensionAudioUnit(
    std::uint8_t instanceID, const AudioComponentDescription& componentDescription,
    AudioComponentInstantiationOptions options)
    : AUAudioUnit(componentDescription, options), instanceID_(instanceID) {
    const auto format = AVAudioFormat::standardFormat(44100, 2);
    _outputBus = std::make_shared<AUAudioUnitBus>(format);
    _inputBusArray =
        std::make_shared<AUAudioUnitBusArray>(this, AUAudioUnitBusType::input, std::vector{_outputBus});
    _outputBusArray =
        std::make_shared<AUAudioUnitBusArray>(this, AUAudioUnitBusType::output, std::vector{_outputBus});
    setMaximumFramesToRender(1024);
    setupCoreMIDI();
    NSLog("[AudioMeter] init OK, instance=" + std::to_string(instanceID_) +
          ", trackNr=" + std::to_string(trackNr_.load()) + ", name='" + trackName_.copy() + "'");
}

TolvaneAudioMeterExtensionAudioUnit::~TolvaneAudioMeterExtensionAudioUnit() {
    callbackGate_.close();
    if (const MIDIPortRef port = midiOutputPort_.exchange(0)) MIDIPortDispose(port);
    if (const MIDIClientRef client = midiClient_.exchange(0)) MIDIClientDispose(client);
}

void TolvaneAudioMeterExtensionAudioUnit::setupCoreMIDI() {
    MIDIClientRef client = 0;
    const OSStatus clientStatus = MIDIClientCreateWithBlock(
        "AudioMeter", &client, [gate = callbackGate_.handle()](const MIDINotification& notification) {
            if (notification.messageID != kMIDIMsgSetupChanged) return;
            const auto entry = gate.enter();
            if (TolvaneAudioMeterExtensionAudioUnit* unit = entry.get()) unit->findTargetDestination();
        });
    if (clientStatus != noErr) {
        NSLog("[AudioMeter] MIDIClientCreate failed: " + std::to_string(clientStatus));
        return;
    }
    midiClient_ = client;
    MIDIPortRef port = 0;
    if (MIDIOutputPortCreate(client, "AudioMeter Out", &port) != noErr) {
        NSLog("[AudioMeter] MIDIOutputPortCreate failed");
        return;
    }
    midiOutputPort_ = port;
    findTargetDestination();
}

void TolvaneAudioMeterExtensionAudioUnit::findTargetDestination() noexcept {
    targetDestination_ = 0;
    const ItemCount count = MIDIGetNumberOfDestinations();
    for (ItemCount index = 0; index < count; ++index) {
        const MIDIEndpointRef endpoint = MIDIGetDestination(index);
        std::int32_t uniqueID = 0;
        MIDIObjectGetIntegerProperty(endpoint, kMIDIPropertyUniqueID, &uniqueID);
        if (uniqueID == targetUniqueID) {
            targetDestination_ = endpoint;
            return;
        }
    }
}

std::shared_ptr<AUAudioUnitBusArray> TolvaneAudioMeterExtensionAudioUnit::inputBusses() {
    return _inputBusArray;
}

std::shared_ptr<AUAudioUnitBusArray> TolvaneAudioMeterExtensionAudioUnit::outputBusses() {
    return _outputBusArray;
}

std::optional<std::vector<int>> TolvaneAudioMeterExtensionAudioUnit::channelCapabilities() const {
    return std::vector{2, 2};
}

bool TolvaneAudioMeterExtensionAudioUnit::shouldBypassEffect() const {
    return false;
}

void TolvaneAudioMeterExtensionAudioUnit::setShouldBypassEffect(bool) {}

std::optional<Dictionary> TolvaneAudioMeterExtensionAudioUnit::fullState() const {
    Dictionary state = AUAudioUnit::fullState().value_or(Dictionary::object());
    state["qvTrackNr"] = trackNr_.load();
    state["qvTrackName"] = trackName_.copy();
    return state;
}

void TolvaneAudioMeterExtensionAudioUnit::setFullState(const std::optional<Dictionary>& state) {
    AUAudioUnit::setFullState(state);
    if (state) {
        if (const Value* saved = member(*state, "qvTrackNr"))
            if (const auto number = trackNumberValue(*saved)) trackNr_ = *number;
        if (const Value* saved = member(*state, "qvTrackName"))
            if (auto name = stringValue(*saved)) trackName_.publish(std::move(*name));
    }
    NSLog("[AudioMeter] fullState restored: trackNr=" + std::to_string(trackNr_.load()) + ", name='" +
          trackName_.copy() + "' (instance " + std::to_string(instanceID_) + ")");
}

void TolvaneAudioMeterExtensionAudioUnit::allocateRenderResources() {
    AUAudioUnit::allocateRenderResources();
    NSLog("[AudioMeter] allocateRenderResources, instance=" + std::to_string(instanceID_) +
          ", trackNr=" + std::to_string(trackNr_.load()));
    checkMappingFile();
}

} // namespace vantrel::meter
