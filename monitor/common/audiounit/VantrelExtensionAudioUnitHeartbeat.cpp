// The 10 ms heartbeat timer, which sends the queued EventReports and, every 100th tick, a
// Heartbeat; the immediate Heartbeat; and the connect and disconnect requests.

#include <string>

#include "monitor/common/SafeMIDISend.h"
#include "monitor/common/audiounit/PluginLog.h"
#include "monitor/common/audiounit/VantrelExtensionAudioUnit.h"
#include "protocol/WireSender.h"

namespace vantrel::monitor {

namespace {

constexpr platform::Duration firstTick = platform::seconds(0.5);
constexpr platform::Duration tickInterval = platform::milliseconds(10);
constexpr int ticksPerHeartbeat = 100;

} // namespace

void VantrelExtensionAudioUnit::startHeartbeat() {
    if (heartbeatTimer) heartbeatTimer->cancel();
    auto timer = platform::DispatchSourceTimer::make(
        platform::DispatchQueue::global(platform::QualityOfService::utility));
    timer->schedule(firstTick, tickInterval, platform::Duration::zero());
    timer->setEventHandler<&VantrelExtensionAudioUnit::sendHeartbeat>(weakThis<VantrelExtensionAudioUnit>());
    heartbeatTimer = std::move(timer);
    heartbeatTimer->resume();
}

void VantrelExtensionAudioUnit::sendHeartbeat() {
    checkDestination();
    const platform::MIDIPortRef port = outputPort;
    const platform::MIDIEndpointRef destination = targetDestination;
    // Without a link the tick is not counted: the Heartbeat count resumes where it stopped.
    if (port == 0 || destination == 0 || !renderState->sendingEnabled) return;

    std::span<const protocol::EventReport> reports;
    {
        platform::UnfairLockGuard guard(renderState->outBufferLock);
        reports = renderState->outBuffer.takeAll();
    }
    for (const protocol::EventReport& report : reports)
        protocol::sendEventReport(port, destination, report, SafeMIDISend);

    if (++heartbeatCounter < ticksPerHeartbeat) return;
    heartbeatCounter = 0;
    if (!heartbeatReady) return;
    if (const platform::OSStatus result = sendMonitorMessage(port, destination, protocol::heartbeatType);
        result != platform::noErr) {
        ccLog("❌ Heartbeat send failed (err=" + std::to_string(result) + "), dest reset");
        targetDestination = 0;
    }
}

void VantrelExtensionAudioUnit::sendImmediateHeartbeat() {
    const platform::MIDIPortRef port = outputPort;
    const platform::MIDIEndpointRef destination = targetDestination;
    if (port != 0 && destination != 0) sendMonitorMessage(port, destination, protocol::heartbeatType);
}

void VantrelExtensionAudioUnit::sendConnectRequest(std::uint8_t marker) {
    if (outputPort == 0 || targetDestination == 0) findTargetDestination();
    const platform::MIDIPortRef port = outputPort;
    const platform::MIDIEndpointRef destination = targetDestination;
    std::int32_t destinationUniqueID = 0;
    if (port == 0 || destination == 0 ||
        platform::MIDIObjectGetIntegerProperty(destination, platform::kMIDIPropertyUniqueID,
                                               &destinationUniqueID) != platform::noErr ||
        destinationUniqueID != targetUniqueID) {
        ccLog("⚠️ sendConnectRequest: keine Destination");
        return;
    }
    if (const platform::OSStatus result = sendMonitorMessage(port, destination, marker);
        result != platform::noErr) {
        targetDestination = 0;
        ccLog("Connect request failed (err=" + std::to_string(result) + "), will retry");
    } else {
        ccLog("Connect request sent, uid=" + std::to_string(uniqueID()));
    }
}

platform::OSStatus VantrelExtensionAudioUnit::sendMonitorMessage(platform::MIDIPortRef port,
                                                                 platform::MIDIEndpointRef destination,
                                                                 std::uint8_t type) const {
    const protocol::MonitorMessage message = protocol::makeMonitorMessage(uniqueID(), type);
    // Nothing goes unsent with non-zero handles and a 9-byte message; were it so, it would count
    // as a failed send.
    return protocol::sendMessage(port, destination, message, SafeMIDISend)
        .value_or(platform::kMIDIUnknownError);
}

} // namespace vantrel::monitor
