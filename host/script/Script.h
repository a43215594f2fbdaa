#pragma once
// A scenario script once read: one command per line, every argument checked and every instance
// name resolved, so that a run never meets a script error half-way.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "host/script/Signal.h"
#include "platform/audiounit/AURenderEvent.h"
#include "platform/core/Status.h"
#include "platform/core/Value.h"
#include "platform/dispatch/Time.h"
#include "platform/ui/render/Renderer.h"

namespace vantrel::host {

enum class InstanceKind { monitor, meter };

// An instance of the script, by the name its create command gave it.
struct InstanceRef {
    std::string name;
    InstanceKind kind = InstanceKind::monitor;
    std::size_t index = 0; // in order of the create commands
};

struct SeedCommand {
    std::uint64_t seed = 1;
};
struct ReceiverUpCommand {
    std::string destinationName;
};
struct ReceiverDownCommand {};
struct ReceiverAutoConnectCommand {
    std::optional<std::string> trackName; // none: off
};
struct DestinationAddCommand {
    std::string name;
    std::optional<std::int32_t> uniqueID;
    bool unreadable = false;
};
struct DestinationRemoveCommand {
    std::string name;
};
struct MIDINotificationCommand {
    std::int32_t messageID = 1;
};
struct MIDIFailSendsCommand {
    int count = 0;
    platform::OSStatus status = 0;
};
struct MIDIThrowSendsCommand {
    int count = 0;
};
struct MIDIFailCreateCommand {
    enum class Object { client, port } object = Object::client;
    platform::OSStatus status = 0;
};
struct FailNextCreateCommand {
    enum class Stage { base, bus } stage = Stage::base;
};
struct CreateCommand {
    InstanceRef instance;
};
struct RestoreCommand {
    InstanceRef instance;
    std::optional<platform::Dictionary> state; // none: the state is set absent
};
struct SaveCommand {
    InstanceRef instance;
};
struct AllocateCommand {
    InstanceRef instance;
    bool noOutput = false;
    bool fail = false;
};
struct DeallocateCommand {
    InstanceRef instance;
};
struct ReleaseCommand {
    InstanceRef instance;
};

// One event of a midi-in command.
struct ScriptEvent {
    platform::AURenderEventType type = platform::AURenderEventMIDI;
    platform::AUEventSampleTime sampleTime = 0;
    std::uint8_t cable = 0;
    std::vector<std::uint8_t> bytes; // MIDI events: 0 to 8 bytes, the record's length
};
struct MIDIInCommand {
    InstanceRef instance;
    bool nullList = false;
    std::vector<ScriptEvent> events;
};

struct AudioCommand {
    InstanceRef instance;
    platform::AUAudioFrameCount frames = 0;
    std::uint32_t calls = 1;
    Signal left;
    Signal right;
    std::uint32_t buffers = 2;
    bool pull = true;
    platform::OSStatus pullStatus = platform::noErr;
};

struct NotifyCommand {
    std::string notificationName;
    std::optional<platform::Dictionary> userInfo;
};
struct ViewCommand {
    enum class Action { open, close, show, snapshot } action = Action::open;
    InstanceRef instance;
    std::string snapshotFile{}; // snapshot: the PNG written
    platform::ui::render::Appearance appearance = platform::ui::render::Appearance::dark;
};
struct PressCommand {
    enum class Button { connect, disconnect } button = Button::connect;
    InstanceRef instance;
};
struct MappingWriteCommand {
    std::string content;
    // What the trace shows: the JSON written, or the raw text as a JSON string.
    platform::Value shown;
    bool keepModificationDate = false;
};
struct MappingRemoveCommand {};
struct AdvanceCommand {
    platform::Duration duration{};
};

using Command =
    std::variant<SeedCommand, ReceiverUpCommand, ReceiverDownCommand, ReceiverAutoConnectCommand,
                 DestinationAddCommand, DestinationRemoveCommand, MIDINotificationCommand,
                 MIDIFailSendsCommand, MIDIThrowSendsCommand, MIDIFailCreateCommand, FailNextCreateCommand,
                 CreateCommand, RestoreCommand, SaveCommand, AllocateCommand, DeallocateCommand,
                 ReleaseCommand, MIDIInCommand, AudioCommand, NotifyCommand, ViewCommand, PressCommand,
                 MappingWriteCommand, MappingRemoveCommand, AdvanceCommand>;

struct ScriptLine {
    int lineNumber = 0;
    Command command;
};

struct Script {
    std::vector<ScriptLine> lines;
    std::vector<InstanceRef> instances; // in order of their create commands
};

} // namespace vantrel::host
