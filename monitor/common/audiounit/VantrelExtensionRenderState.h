#pragma once
// Everything the render path of one controller-monitor instance reads and writes, and the render
// path itself. It is owned apart from the instance: the instance holds it, and so does every
// render block the instance hands out. A block thereby never owns the instance, and the render
// thread can never be the one that releases it and runs its destructor; the instance clears
// `alive` when it goes, and from then on a block does nothing.

#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "monitor/common/audiounit/EventReportQueue.h"
#include "platform/audiounit/AURenderBlock.h"
#include "platform/audiounit/AURenderEvent.h"
#include "platform/core/Published.h"
#include "platform/core/UnfairLock.h"
#include "protocol/ReceiverMessages.h"

namespace vantrel::monitor {

// The values the view shows, guarded together by `monitorLock`.
struct MonitorValues {
    // Indexed by controller number, the first data byte as the host gave it (a malformed byte
    // above 0x7F included, so no event can index outside the table); empty = never seen.
    std::array<std::optional<std::uint8_t>, 256> monitorCCValues{};
    int monitorLastNoteVelocity = 0;
    int monitorActiveArticulation = -1; // -1 = none
};

// A copy of the monitor values for a view, controllers as a map of those seen.
struct MonitorSnapshot {
    std::map<int, int> monitorCCValues;
    int monitorLastNoteVelocity = 0;
    int monitorActiveArticulation = -1;
};

class VantrelExtensionRenderState {
public:
    // One render cycle over the host's event list; always noErr. [render] Never allocates, frees,
    // logs or calls the MIDI service; waits only on `monitorLock` and `outBufferLock`, never both.
    platform::AUAudioUnitStatus render(const platform::AURenderEvent* realtimeEventListHead) noexcept;

    // The monitor values copied under `monitorLock`. [any but render] Allocates after unlocking.
    MonitorSnapshot monitorSnapshot() const;

    // Cleared once by the instance's destructor. [any]
    std::atomic<bool> alive{true};

    std::atomic<bool> isConnected{false};
    std::atomic<bool> sendingEnabled{true};
    // Beside the flag above: a heartbeat tick reads the flag, the lock and the queue's counts and
    // nothing else here, and with hundreds of instances each tick finds them out of the cache.
    platform::UnfairLock outBufferLock;
    EventReportQueue outBuffer;

    // Empty while render resources are not allocated or the host gives no MIDI output.
    platform::Published<platform::AUMIDIOutputEventBlock> cachedMIDIOutputEventBlock;
    platform::Published<protocol::InstanceTag> sysExPrefix;
    platform::Published<std::vector<std::int64_t>> articulationNotes;

    mutable platform::UnfairLock monitorLock;
    MonitorValues monitor;

private:
    void trackMonitorValues(const platform::AUMIDIEvent& event) noexcept;
    void reportChange(const platform::AUMIDIEvent& event, const protocol::InstanceTag& sysEx) noexcept;
    void queue(const platform::AUMIDIEvent& event, const protocol::InstanceTag& sysEx) noexcept;

    // Last reported value per report key: channel in the high byte, controller number (or 0x80
    // pressure, 0x81 pitch wheel) in the low. Render thread only.
    std::array<std::optional<std::uint8_t>, 16 * 256> lastCCValues{};
};

} // namespace vantrel::monitor
