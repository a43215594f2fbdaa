// The receiver application's answers: connect and disconnect for this instance's identity, and
// the articulation list for every instance.

#include <algorithm>
#include <string>

#include "monitor/common/audiounit/PluginLog.h"
#include "monitor/common/audiounit/VantrelExtensionAudioUnit.h"
#include "platform/dispatch/DispatchQueue.h"

namespace vantrel::monitor {

namespace {

constexpr std::size_t loggedNotes = 5;

// "[24, 25, 26]" for the first up to five notes.
std::string describeNotes(const std::vector<std::int64_t>& notes) {
    std::string text = "[";
    const std::size_t shown = std::min(notes.size(), loggedNotes);
    for (std::size_t index = 0; index < shown; ++index) {
        if (index > 0) text += ", ";
        text += std::to_string(notes[index]);
    }
    return text + "]";
}

} // namespace

void VantrelExtensionAudioUnit::setupConnectionListener() {
    using Handler = void (VantrelExtensionAudioUnit::*)(const platform::Notification&);
    auto& center = platform::NotificationCenter::defaultCenter();
    const auto observe = [&center, unit = weakThis<VantrelExtensionAudioUnit>()](const char* name,
                                                                                 Handler handler) {
        return center.addObserver(name, platform::DispatchQueue::main(),
                                  [unit, handler](const platform::Notification& notification) {
                                      if (const auto self = unit.lock()) ((*self).*handler)(notification);
                                  });
    };
    connectionObservers = {
        observe("com.marlek.vantrel.connect", &VantrelExtensionAudioUnit::handleConnect),
        observe("com.marlek.vantrel.disconnect", &VantrelExtensionAudioUnit::handleDisconnect),
        observe("com.marlek.vantrel.articulations", &VantrelExtensionAudioUnit::handleArticulations)};
}

bool VantrelExtensionAudioUnit::matchesInstance(const platform::Notification& notification) const {
    if (!notification.userInfo) return false;
    const platform::Value* uid = platform::member(*notification.userInfo, "uid");
    if (uid == nullptr) return false;
    const auto value = platform::unsignedIntValue(*uid);
    return value && *value == uniqueID();
}

void VantrelExtensionAudioUnit::handleConnect(const platform::Notification& notification) {
    if (!matchesInstance(notification)) return;
    renderState->isConnected = true;
    const platform::Value* given = platform::member(*notification.userInfo, "trackName");
    std::string trackName = given != nullptr ? platform::stringValue(*given).value_or("") : "";
    _connectedTrackName.publish(trackName);
    ccLog("✅ Plugin verbunden → '" + trackName + "' (uid=" + std::to_string(uniqueID()) + ")");
}

void VantrelExtensionAudioUnit::handleDisconnect(const platform::Notification& notification) {
    if (!matchesInstance(notification)) return;
    renderState->isConnected = false;
    ccLog("⏸️ Plugin getrennt (uid=" + std::to_string(uniqueID()) + ")");
}

void VantrelExtensionAudioUnit::handleArticulations(const platform::Notification& notification) {
    if (!notification.userInfo) return;
    const platform::Value* names = platform::member(*notification.userInfo, "names");
    if (names == nullptr) return;
    auto nameList = platform::stringListValue(*names);
    if (!nameList) return;
    const std::size_t nameCount = nameList->size();
    _articulationNames.publish(std::move(*nameList));
    if (const platform::Value* notes = platform::member(*notification.userInfo, "notes")) {
        if (auto noteList = platform::integerListValue(*notes))
            renderState->articulationNotes.publish(std::move(*noteList));
    }
    ccLog("🎻 " + std::to_string(nameCount) + " Artikulations-Namen empfangen (notes: " +
          describeNotes(renderState->articulationNotes.copy()) + "...)");
}

} // namespace vantrel::monitor
