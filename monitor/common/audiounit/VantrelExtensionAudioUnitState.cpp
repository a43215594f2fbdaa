// The host-saved state of a monitor instance: its identity, connection and track name.

#include <string>

#include "monitor/common/audiounit/PluginLog.h"
#include "monitor/common/audiounit/VantrelExtensionAudioUnit.h"

namespace vantrel::monitor {

namespace {

constexpr const char* uniqueIDKey = "qvUniqueID";
constexpr const char* connectedKey = "qvConnected";
constexpr const char* trackNameKey = "qvTrackName";

} // namespace

std::optional<platform::Dictionary> VantrelExtensionAudioUnit::fullState() const {
    platform::Dictionary state = AUAudioUnit::fullState().value_or(platform::Dictionary::object());
    state[uniqueIDKey] = uniqueID();
    state[connectedKey] = isConnected();
    if (const std::string trackName = connectedTrackName(); !trackName.empty())
        state[trackNameKey] = trackName;
    return state;
}

void VantrelExtensionAudioUnit::setFullState(const std::optional<platform::Dictionary>& state) {
    AUAudioUnit::setFullState(state);
    if (state) {
        // Each key on its own: a wrongly typed one is ignored and the others still apply.
        if (const platform::Value* saved = platform::member(*state, uniqueIDKey)) {
            if (const auto restored = platform::unsignedIntValue(*saved); restored && *restored != 0) {
                _uniqueID = *restored;
                updateSysExPrefix();
                fullStateRestored = true;
                heartbeatReady = true;
                sendImmediateHeartbeat();
            }
        }
        if (const platform::Value* saved = platform::member(*state, connectedKey)) {
            if (const auto connected = platform::boolValue(*saved)) renderState->isConnected = *connected;
        }
        if (const platform::Value* saved = platform::member(*state, trackNameKey)) {
            if (auto trackName = platform::stringValue(*saved))
                _connectedTrackName.publish(std::move(*trackName));
        }
    }
    ccLog("fullState restore: uid=" + std::to_string(uniqueID()) +
          ", connected=" + (isConnected() ? "true" : "false") + ", track='" + connectedTrackName() +
          "') → Heartbeat sofort aktiv");
}

} // namespace vantrel::monitor
