// The three notifications of the receiver application with any payload: the first byte picks the
// notification (or all three), the rest is the userInfo as JSON (none when it is not JSON). The
// monitor's uid is fixed at 305419896, so that payloads can name it. Its view is open and must
// keep drawing whatever names and notes arrive.

#include <vector>

#include "FuzzSupport.h"
#include "support/MonitorWindow.h"

using namespace vantrel;

namespace {

constexpr std::uint32_t fixedUid = 305419896;
const char* const names[] = {"com.marlek.vantrel.connect", "com.marlek.vantrel.disconnect",
                             "com.marlek.vantrel.articulations"};

struct Fixture : test::HostedMonitor {
    Fixture() {
        receiver.up();
        window.unit->setFullState(platform::Dictionary{{"qvUniqueID", fixedUid}});
    }
    test::MonitorWindow window{*this};
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Fixture* const fixture = new Fixture;
    fixture->sim.log().clear();
    fixture->sent.clear();
    auto& unit = *fixture->window.unit;

    fuzz::ByteReader reader(data, size);
    const std::size_t which = reader.take<std::uint8_t>() % 4u;
    const auto userInfo = reader.empty() ? std::nullopt : fuzz::parseJSON(reader.rest());
    for (std::size_t index = 0; index < 3; ++index) {
        if (which == index || which == 3) fixture->sim.notifications().post(names[index], userInfo);
    }
    fixture->sim.runDue();
    fuzz::require(!fixture->window.lines().empty(), "the view no longer draws");

    fuzz::require(unit.uniqueID() == fixedUid, "a notification changed the uid");
    if (which != 2 && userInfo) {
        const platform::Value* uid = platform::member(*userInfo, "uid");
        if (uid && platform::unsignedIntValue(*uid) == fixedUid)
            fuzz::require(unit.isConnected() == (which == 0), "a notification for this uid did not take");
    }
    if (which >= 2 && userInfo) {
        const platform::Value* given = platform::member(*userInfo, "names");
        if (const auto list = given ? platform::stringListValue(*given) : std::nullopt)
            fuzz::require(unit.articulationNames() == *list, "the articulation names were not taken");
    }
    return 0;
}
