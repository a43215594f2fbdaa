#pragma once
// A scenario for the simulated platform: the steps a host, the receiver application and the rest
// of the machine take, in order. Instances are named by their slot, the number of their create
// step; values that only exist at run time (an instance's current uid or instance number) are
// named by slot and filled in when the step runs.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/core/Status.h"
#include "platform/core/Value.h"
#include "platform/dispatch/Time.h"

namespace vantrel::simulation {

using Slot = std::size_t;

enum class InstanceKind { monitor, meter };

struct CreateStep {
    InstanceKind kind = InstanceKind::monitor;
};
struct ReleaseStep {
    Slot slot = 0;
};
// Releases every instance still alive.
struct ReleaseAllStep {};
// The next audio-unit construction fails in the base class or in bus creation.
struct FailNextCreateStep {
    bool bus = false;
};
// The next MIDI client (or output port) creation fails.
struct FailMIDICreateStep {
    bool port = false;
    platform::OSStatus status = 0;
};
// The host sets fullState: `state` (none: absent), or, with `savedFrom`, what it last saved from
// that slot.
struct RestoreStep {
    Slot slot = 0;
    std::optional<platform::Dictionary> state;
    std::optional<Slot> savedFrom;
};
struct SaveStep {
    Slot slot = 0;
};
struct AllocateStep {
    Slot slot = 0;
    bool noOutput = false;
    bool fail = false;
};
struct DeallocateStep {
    Slot slot = 0;
};
// The host reads internalRenderBlock again and renders with the new block from now on.
struct RenderBlockStep {
    Slot slot = 0;
};

// One render event as the host lays it out; `length` may say more than `data` holds.
struct SimEvent {
    std::uint8_t type = 8;
    std::int64_t sampleTime = 0;
    std::uint8_t cable = 0;
    std::uint16_t length = 0;
    std::array<std::uint8_t, 3> data{};
};
// One render call of a monitor (with its block even after release).
struct MIDIInStep {
    Slot slot = 0;
    bool nullList = false;
    std::vector<SimEvent> events;
};

// One output buffer of the host: with or without data, holding `capacity` samples.
struct BufferShape {
    bool hasData = true;
    std::uint32_t capacity = 0;
};
// `calls` render calls of a meter, one after the other. The input samples come from `sampleSeed`.
struct AudioStep {
    Slot slot = 0;
    std::uint32_t calls = 1;
    std::uint32_t frames = 0;
    std::vector<BufferShape> buffers;
    std::uint64_t sampleSeed = 0;
    bool pull = true;
    platform::OSStatus pullStatus = platform::noErr;
};

struct ReceiverUpStep {};
struct ReceiverDownStep {};
// The receiver answers connect and disconnect requests with these track names; none: off.
struct AutoConnectStep {
    std::vector<std::string> tracks;
};
// Another destination, last in enumeration order; named by the count of those added before it.
struct DestinationAddStep {
    std::int32_t uniqueID = 0;
    bool unreadable = false;
};
struct DestinationRemoveStep {
    std::size_t which = 0;
};
// Makes a destination's unique ID unreadable or readable again; none: the receiver's.
struct UnreadableStep {
    std::optional<std::size_t> which;
    bool unreadable = false;
};
struct MIDINotifyStep {
    std::int32_t messageID = 1;
};
// The next `count` sends fail with `status` (0: the armed failures are dropped).
struct FailSendsStep {
    int count = 0;
    platform::OSStatus status = 0;
};
struct ThrowSendsStep {
    int count = 0;
};
// A distributed notification; with `uidOf`, "uid" becomes that slot's current uid first.
struct NotifyStep {
    std::string name;
    std::optional<platform::Dictionary> userInfo;
    std::optional<Slot> uidOf;
};
// The view's Connect (1) or Disconnect (2) button.
struct PressStep {
    Slot slot = 0;
    std::uint8_t marker = 1;
};
// The receiver writes the mapping file: `raw` as it stands, or an object whose keys are meter
// slots (their instance numbers) or literal texts.
struct MappingWriteStep {
    std::optional<std::string> raw;
    std::vector<std::pair<std::variant<Slot, std::string>, platform::Value>> entries;
    bool keepDate = false;
};
struct MappingRemoveStep {};
struct AdvanceStep {
    platform::Duration duration{};
};
// Everything queued for the receiver must have arrived by now.
struct SettleStep {};
// Nothing may have happened since the last ReleaseAllStep.
struct QuietStep {};

using Step =
    std::variant<CreateStep, ReleaseStep, ReleaseAllStep, FailNextCreateStep, FailMIDICreateStep, RestoreStep,
                 SaveStep, AllocateStep, DeallocateStep, RenderBlockStep, MIDIInStep, AudioStep,
                 ReceiverUpStep, ReceiverDownStep, AutoConnectStep, DestinationAddStep, DestinationRemoveStep,
                 UnreadableStep, MIDINotifyStep, FailSendsStep, ThrowSendsStep, NotifyStep, PressStep,
                 MappingWriteStep, MappingRemoveStep, AdvanceStep, SettleStep, QuietStep>;

using Scenario = std::vector<Step>;

// One line for a failure report: "audio #3 frames=512 buffers=2 ...".
std::string describe(const Step& step);

} // namespace vantrel::simulation
