#pragma once
// What a scenario run shows, turned into trace lines: log records, posted notifications, MIDI
// sends with the names of their senders and destinations, events passed to the host's MIDI
// output, and what the host itself saw. Whatever happens on the render thread is recorded in
// storage made ready before the call and traced when the call is over (or, should the plug-in
// log meanwhile, just before its log line, so the order stays true).

#include <cstdio>
#include <map>
#include <mutex>
#include <span>
#include <string>

#include "host/scenario/RenderRecorder.h"
#include "host/scenario/Trace.h"
#include "platform/audiounit/AURenderBlock.h"
#include "platform/log/LogSink.h"
#include "platform/midi/MIDIService.h"
#include "platform/notify/NotificationCenter.h"

namespace vantrel::host {

class ScenarioTrace {
public:
    ScenarioTrace(std::FILE* stream, bool flushEachLine) : trace_(stream, flushEachLine) {}

    // Sources. [any; send also render]
    void log(const platform::LogRecord& record);
    void notification(const platform::Notification& notification);
    void send(const platform::MIDISendRecord& send);
    // The host's MIDI output for the instance named `instance` (which must outlive it). [host]
    platform::AUMIDIOutputEventBlock midiOutput(const std::string& instance);

    // A line of the host's own: "host NAME TEXT", or any other kind. [any]
    void host(const std::string& instance, const std::string& text);
    void line(std::string_view kind, const std::string& details);

    // Names for the handles the sends carry. [any]
    void nameSender(platform::MIDIClientRef client, const std::string& name);
    void nameDestination(platform::MIDIEndpointRef destination, const std::string& name);

    // Around each render call: room for `records` records before, the records traced after.
    // [host]
    void beforeRender(std::size_t records) { recorder_.reserve(records); }
    void afterRender() { flushRenderRecords(platform::dispatchNow()); }

    void close() { trace_.close(); } // [any] No line after this.

private:
    void writeSend(platform::MIDIClientRef client, platform::MIDIEndpointRef destination,
                   std::span<const std::uint8_t> bytes);
    void flushRenderRecords(platform::TimePoint time);
    std::string senderName(platform::MIDIClientRef client);
    std::string destinationName(platform::MIDIEndpointRef destination);

    Trace trace_;
    RenderRecorder recorder_;
    std::mutex namesMutex_;
    std::map<platform::MIDIClientRef, std::string> senders_;
    std::map<platform::MIDIEndpointRef, std::string> destinations_;
};

} // namespace vantrel::host
