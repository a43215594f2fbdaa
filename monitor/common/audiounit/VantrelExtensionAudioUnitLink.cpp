// The CoreMIDI link to the receiver application's destination: client and port, the search by
// unique ID, and finding the destination again after a setup change.

#include <string>

#include "monitor/common/audiounit/PluginLog.h"
#include "monitor/common/audiounit/VantrelExtensionAudioUnit.h"
#include "platform/dispatch/DispatchQueue.h"

namespace vantrel::monitor {

namespace {

constexpr platform::Duration researchDelay = platform::seconds(1.0);

} // namespace

void VantrelExtensionAudioUnit::setupCoreMIDI() {
    platform::MIDIClientRef client = 0;
    const auto notify =
        [unit = weakThis<VantrelExtensionAudioUnit>()](const platform::MIDINotification& notification) {
            handleMIDINotification(unit, notification);
        };
    // Failures are silent: the instance then passes MIDI through without reporting.
    if (platform::MIDIClientCreateWithBlock("Vantrel", &client, notify) != platform::noErr) return;
    midiClient = client;
    platform::MIDIPortRef port = 0;
    if (platform::MIDIOutputPortCreate(client, "Vantrel Out", &port) != platform::noErr) return;
    outputPort = port;
    findTargetDestination();
}

void VantrelExtensionAudioUnit::findTargetDestination() {
    targetDestination = 0;
    const platform::ItemCount count = platform::MIDIGetNumberOfDestinations();
    for (platform::ItemCount index = 0; index < count; ++index) {
        const platform::MIDIEndpointRef destination = platform::MIDIGetDestination(index);
        std::int32_t destinationUniqueID = 0; // stays 0 when the read fails
        platform::MIDIObjectGetIntegerProperty(destination, platform::kMIDIPropertyUniqueID,
                                               &destinationUniqueID);
        if (destinationUniqueID == targetUniqueID) {
            targetDestination = destination;
            return;
        }
    }
}

void VantrelExtensionAudioUnit::handleMIDINotification(const std::weak_ptr<VantrelExtensionAudioUnit>& unit,
                                                       const platform::MIDINotification& notification) {
    if (notification.messageID != platform::kMIDIMsgSetupChanged) return;
    ccLog("⚠️ msgSetupChanged");
    if (const auto self = unit.lock()) {
        self->renderState->sendingEnabled = false;
        // The old handle may name a destination that is gone; it is never used again.
        self->targetDestination = 0;
    }
    platform::DispatchQueue::main().asyncAfter(researchDelay, [unit] {
        if (const auto self = unit.lock()) self->searchAfterSetupChange();
    });
}

void VantrelExtensionAudioUnit::searchAfterSetupChange() {
    ccLog("🔍 Suche neue Destination...");
    findTargetDestination();
    if (targetDestination != 0) {
        renderState->sendingEnabled = true;
        ccLog("✅ Destination wiederhergestellt");
    } else {
        ccLog("❌ Keine Destination gefunden");
    }
}

void VantrelExtensionAudioUnit::checkDestination() {
    if (targetDestination != 0 && outputPort != 0 && renderState->sendingEnabled) return;
    findTargetDestination();
    const platform::MIDIEndpointRef found = targetDestination;
    if (found != 0 && !renderState->sendingEnabled.exchange(true)) {
        ccLog("🔄 Destination selbstheilend wiederhergestellt (dest=" + std::to_string(found) + ")");
    }
}

void VantrelExtensionAudioUnit::disposeCoreMIDI() {
    if (const platform::MIDIPortRef port = outputPort.exchange(0); port != 0) platform::MIDIPortDispose(port);
    if (const platform::MIDIClientRef client = midiClient.exchange(0); client != 0) {
        platform::MIDIClientDispose(client);
    }
}

} // namespace vantrel::monitor
