#include "platform/sim/LivePlatform.h"

#include <cstdlib>
#include <random>
#include <sstream>

#include "platform/files/FileSystem.h"
#include "platform/midi/jack/JackMIDIService.h"
#include "platform/notify/dbus/DBusNotificationTransport.h"

namespace platform {

namespace {

std::uint64_t machineSeed() {
    std::random_device device;
    return (std::uint64_t{device()} << 32) | device();
}

InstalledPlatform::MIDIServiceFactory midiServiceFor(const LiveTransports& transports) {
    if (!transports.jack) return {};
    return [name = transports.jackClientName](Executor& executor) -> std::unique_ptr<MIDIService> {
        return std::make_unique<JackMIDIService>(executor, name);
    };
}

} // namespace

bool LiveTransports::addFromEnvironment(std::string& error) {
    const char* value = std::getenv("VANTREL_TRANSPORTS");
    if (value == nullptr) return true;
    std::istringstream words(value);
    for (std::string word; std::getline(words, word, ',');) {
        if (word == "jack") {
            jack = true;
        } else if (word == "dbus") {
            dbus = true;
        } else if (!word.empty()) {
            error = "VANTREL_TRANSPORTS: unknown transport \"" + word + "\" (jack, dbus)";
            return false;
        }
    }
    return true;
}

LivePlatform::LivePlatform(const LiveTransports& transports)
    : LivePlatform(std::make_unique<ThreadedExecutor>(), transports) {}

LivePlatform::LivePlatform(std::unique_ptr<ThreadedExecutor> executor, const LiveTransports& transports)
    : executor_(*executor), services_(std::move(executor), std::make_unique<StreamLogSink>(), machineSeed(),
                                      liveApplicationSupportDirectory(), midiServiceFor(transports)) {
    if (transports.dbus) {
        bus_ = std::make_shared<DBusNotificationTransport>(services_.notifications());
        services_.notifications().setTransport(bus_);
        bus_->start();
    }
}

LivePlatform::~LivePlatform() {
    if (bus_) services_.notifications().setTransport(nullptr);
    bus_.reset();
    if (auto* jack = dynamic_cast<JackMIDIService*>(&services_.midi())) jack->stop();
}

} // namespace platform
