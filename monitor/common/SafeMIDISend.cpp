#include "monitor/common/SafeMIDISend.h"

#include <string>

#include "platform/log/Logger.h"

namespace vantrel::monitor {

platform::OSStatus SafeMIDISend(platform::MIDIPortRef port, platform::MIDIEndpointRef destination,
                                const platform::MIDIPacketList* packetList) {
    try {
        return platform::MIDISend(port, destination, packetList);
    } catch (const platform::PlatformException& exception) {
        platform::NSLog("[Vantrel] SafeMIDISend caught exception: " + exception.description());
        return -1;
    }
}

} // namespace vantrel::monitor
