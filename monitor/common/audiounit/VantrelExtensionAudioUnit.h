#pragma once
// The controller monitor's audio unit, a MIDI effect: passes the track's MIDI through, keeps the
// values its view shows, and reports changes to the receiver application under its 32-bit
// identity, with a Heartbeat once a second from a 10 ms timer.
//
// Everything that can outlive an instance (render blocks, the timer, notification and MIDI
// handlers, delayed main-queue work) holds it weakly and does nothing once it is gone; render
// blocks hold only the render state (see VantrelExtensionRenderState).

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "monitor/common/audiounit/VantrelExtensionRenderState.h"
#include "platform/audiounit/AUAudioUnit.h"
#include "platform/audiounit/AVAudioFormat.h"
#include "platform/core/Published.h"
#include "platform/dispatch/DispatchSourceTimer.h"
#include "platform/midi/MIDIServices.h"
#include "platform/notify/NotificationCenter.h"
#include "protocol/ReceiverMessages.h"

namespace vantrel::monitor {

class VantrelExtensionAudioUnit final : public platform::AUAudioUnit {
    struct ConstructionKey {
        explicit ConstructionKey() = default;
    };

public:
    // A running instance: identity drawn, MIDI link set up, observers registered, heartbeat timer
    // started, start decision scheduled 300 ms ahead. Throws the base class's or the output
    // bus's PlatformError unchanged. [host]
    static std::shared_ptr<VantrelExtensionAudioUnit>
    create(const platform::AudioComponentDescription& componentDescription,
           platform::AudioComponentInstantiationOptions options = 0);

    // Only through create(), which finishes what needs the instance to be shared.
    VantrelExtensionAudioUnit(ConstructionKey,
                              const platform::AudioComponentDescription& componentDescription,
                              platform::AudioComponentInstantiationOptions options);
    // Stops the timer, disposes of the MIDI port and client and ends the observers. [host]
    ~VantrelExtensionAudioUnit() override;

    // Host side. [host]
    std::shared_ptr<platform::AUAudioUnitBusArray> outputBusses() override;
    // A new block on every read; it holds the render state, never the instance. Logs.
    platform::AUInternalRenderBlock internalRenderBlock() override;
    void allocateRenderResources() override; // throws the base class's error, changing nothing
    void deallocateRenderResources() override;
    std::optional<platform::Dictionary> fullState() const override;
    void setFullState(const std::optional<platform::Dictionary>& state) override; // logs

    // View side.
    std::uint32_t uniqueID() const { return _uniqueID.load(); }          // [any]
    bool isConnected() const { return renderState->isConnected.load(); } // [any]
    // Copies of the published values. [any but render]
    std::string connectedTrackName() const { return _connectedTrackName.copy(); }
    std::vector<std::string> articulationNames() const { return _articulationNames.copy(); }
    std::vector<std::int64_t> articulationNotes() const { return renderState->articulationNotes.copy(); }
    // The lock the render thread stores the monitor values under, and the values it guards:
    // read monitorValues() only while holding monitorLock(), and only for a copy. [any]
    platform::UnfairLock& monitorLock() const { return renderState->monitorLock; }
    const MonitorValues& monitorValues() const { return renderState->monitor; }
    // The monitor values copied under monitorLock(). [any but render]
    MonitorSnapshot monitorSnapshot() const { return renderState->monitorSnapshot(); }
    // Sends a ConnectRequest (marker 1) or DisconnectRequest (marker 2); the marker goes out as
    // the type byte unchanged. [main] Logs the outcome.
    void sendConnectRequest(std::uint8_t marker);

private:
    static constexpr std::int32_t targetUniqueID = protocol::KVRT;

    // Construction (create()); after the instance is shared.
    void start();
    void decideStart(); // [main] 300 ms after construction
    void updateSysExPrefix();

    // Receiver link.
    void setupCoreMIDI();
    void findTargetDestination(); // [any but render]
    static void handleMIDINotification(const std::weak_ptr<VantrelExtensionAudioUnit>& unit,
                                       const platform::MIDINotification& notification); // [midi-notify]
    void searchAfterSetupChange();                                                      // [main]
    void checkDestination();                                                            // [timer]
    void disposeCoreMIDI();

    // Heartbeat and handshake.
    void startHeartbeat();
    void sendHeartbeat(); // [timer]
    void sendImmediateHeartbeat();
    // The 9-byte monitor message of `type` for the current identity on checked, non-zero handles.
    platform::OSStatus sendMonitorMessage(platform::MIDIPortRef port, platform::MIDIEndpointRef destination,
                                          std::uint8_t type) const;
    void setupConnectionListener();
    bool matchesInstance(const platform::Notification& notification) const;
    void handleConnect(const platform::Notification& notification);       // [main]
    void handleDisconnect(const platform::Notification& notification);    // [main]
    void handleArticulations(const platform::Notification& notification); // [main]

    // What a heartbeat tick reads, together: with hundreds of instances each tick finds it out of
    // the cache.
    std::shared_ptr<VantrelExtensionRenderState> renderState;
    std::atomic<platform::MIDIPortRef> outputPort{0};
    std::atomic<platform::MIDIEndpointRef> targetDestination{0};
    int heartbeatCounter = 0; // timer queue only
    std::atomic<bool> heartbeatReady{false};

    std::shared_ptr<const platform::AVAudioFormat> format;
    std::shared_ptr<platform::AUAudioUnitBus> outputBus;
    std::shared_ptr<platform::AUAudioUnitBusArray> _outputBusses;

    std::atomic<std::uint32_t> _uniqueID{0};
    std::atomic<bool> fullStateRestored{false};
    platform::Published<std::string> _connectedTrackName;
    platform::Published<std::vector<std::string>> _articulationNames;

    std::atomic<platform::MIDIClientRef> midiClient{0};

    std::shared_ptr<platform::DispatchSourceTimer> heartbeatTimer;

    std::array<platform::NotificationCenter::ObserverToken, 3> connectionObservers{};
};

} // namespace vantrel::monitor
