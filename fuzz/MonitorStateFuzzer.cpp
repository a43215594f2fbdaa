// A controller monitor's saved state as a host might hand it back: any JSON value, or none,
// parameter values included. Whatever it holds, the instance keeps a non-zero identity, its view
// still draws, and what it then saves restores to the same identity, connection and track name.

#include "FuzzSupport.h"
#include "support/MonitorWindow.h"

using namespace vantrel;

namespace {

struct Fixture : test::HostedMonitor {
    Fixture() { receiver.up(); }
    test::MonitorWindow window{*this};
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Fixture* const fixture = new Fixture;
    fixture->sim.log().clear();
    fixture->sent.clear();
    auto& unit = *fixture->window.unit;

    unit.setFullState(size == 0 ? std::nullopt : fuzz::parseJSON({data, size}));
    fuzz::require(unit.uniqueID() != 0, "uid 0 after a restore");
    fuzz::require(!fixture->window.lines().empty(), "the view no longer draws");

    const auto saved = unit.fullState();
    fuzz::require(saved && saved->is_object(), "the saved state is not a dictionary");
    const platform::Value* uid = platform::member(*saved, "qvUniqueID");
    fuzz::require(uid && platform::unsignedIntValue(*uid) == unit.uniqueID(), "qvUniqueID is not the uid");
    const platform::Value* connected = platform::member(*saved, "qvConnected");
    fuzz::require(connected && connected->is_boolean() && connected->get<bool>() == unit.isConnected(),
                  "qvConnected is not the connection");

    const auto uidBefore = unit.uniqueID();
    const bool connectedBefore = unit.isConnected();
    const std::string trackBefore = unit.connectedTrackName();
    unit.setFullState(saved);
    fuzz::require(unit.uniqueID() == uidBefore && unit.isConnected() == connectedBefore &&
                      unit.connectedTrackName() == trackBefore,
                  "a saved state does not restore what it saved");
    return 0;
}
