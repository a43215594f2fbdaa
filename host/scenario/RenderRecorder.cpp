#include "host/scenario/RenderRecorder.h"

#include <algorithm>

namespace vantrel::host {

thread_local bool RenderScope::active_ = false;

void RenderRecorder::reserve(std::size_t records) {
    records_.reserve(records_.size() + records);
}

RenderRecord* RenderRecorder::next() noexcept {
    if (records_.size() == records_.capacity()) {
        ++dropped_;
        return nullptr;
    }
    return &records_.emplace_back();
}

void RenderRecorder::recordOutput(const std::string* instance, platform::AUEventSampleTime sampleTime,
                                  std::uint8_t cable, std::size_t length,
                                  const std::uint8_t* bytes) noexcept {
    RenderRecord* record = next();
    if (record == nullptr) return;
    record->kind = RenderRecord::Kind::midiOutput;
    record->instance = instance;
    record->sampleTime = sampleTime;
    record->cable = cable;
    record->length = length;
    if (bytes != nullptr) std::copy_n(bytes, std::min(length, RenderRecord::capacity), record->bytes.begin());
}

void RenderRecorder::recordSend(const platform::MIDISendRecord& send) noexcept {
    RenderRecord* record = next();
    if (record == nullptr) return;
    record->kind = RenderRecord::Kind::midiSend;
    record->client = send.client;
    record->destination = send.destination;
    const platform::MIDIPacket* packet = send.packets->packet;
    for (std::uint32_t i = 0; i < send.packets->numPackets; ++i, packet = platform::MIDIPacketNext(packet)) {
        for (std::uint16_t j = 0; j < packet->length; ++j, ++record->length) {
            if (record->length < RenderRecord::capacity) record->bytes[record->length] = packet->data[j];
        }
    }
}

void RenderRecorder::clear() {
    records_.clear();
    dropped_ = 0;
}

} // namespace vantrel::host
