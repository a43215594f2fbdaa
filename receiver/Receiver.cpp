#include "receiver/Receiver.h"

#include "platform/Platform.h"
#include "platform/dispatch/Executor.h"
#include "platform/notify/NotificationCenter.h"
#include "protocol/ReceiverMessages.h"

namespace vantrel::receiver {

Receiver::Receiver(const std::filesystem::path& applicationSupport)
    : state_(std::make_shared<ReceiverState>(
          platform::DispatchQueue(platform::Platform::current().executor->makeQueue("receiver")))),
      mappingFile_(applicationSupport) {
    // Setup changes mean nothing to the receiver: it owns the destination it cares about.
    platform::MIDIClientCreateWithBlock("Receiver", &client_, [](const platform::MIDINotification&) {});
}

Receiver::~Receiver() {
    down();
    if (client_ != 0) platform::MIDIClientDispose(client_);
}

bool Receiver::up(const std::string& name, PacketObserver observer) {
    if (client_ == 0 || destination_.load() != 0) return false;
    platform::MIDIEndpointRef endpoint = 0;
    const auto status = platform::MIDIDestinationCreateWithBlock(
        client_, name, &endpoint,
        [state = state_, observer = std::move(observer)](const platform::MIDIPacketList* packets, void*) {
            state->receive(packets);
            if (observer) observer(packets);
        });
    if (status != platform::noErr) return false;
    platform::MIDIObjectSetIntegerProperty(endpoint, platform::kMIDIPropertyUniqueID, protocol::KVRT);
    destination_.store(endpoint);
    return true;
}

void Receiver::down() {
    const platform::MIDIEndpointRef endpoint = destination_.exchange(0);
    if (endpoint != 0) platform::MIDIEndpointDispose(endpoint);
}

void Receiver::postArticulations(const std::vector<std::string>& names,
                                           const std::optional<std::vector<int>>& notes) {
    platform::Dictionary userInfo{{"names", names}};
    if (notes) userInfo["notes"] = *notes;
    platform::NotificationCenter::defaultCenter().post(kArticulationsNotification, std::move(userInfo));
}

} // namespace vantrel::receiver
