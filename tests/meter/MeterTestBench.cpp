#include "MeterTestBench.h"

#include <algorithm>
#include <chrono>
#include <ostream>

#include "platform/files/FileSystem.h"
#include "platform/log/LogSink.h"

namespace vantrel::meter::test {

using namespace platform;

void PrintTo(const Peak& peak, std::ostream* out) {
    *out << "{instance " << int(peak.instanceID) << ", track " << int(peak.trackNr) << ", L "
         << int(peak.left) << ", R " << int(peak.right) << "}";
}

Receiver::Receiver(std::int32_t uniqueID) {
    EXPECT_EQ(MIDIClientCreateWithBlock("receiver", &client_, nullptr), noErr);
    EXPECT_EQ(MIDIDestinationCreateWithBlock(client_, "receiver", &destination_,
                                             [this](const MIDIPacketList* list, void*) { receive(list); }),
              noErr);
    EXPECT_EQ(MIDIObjectSetIntegerProperty(destination_, kMIDIPropertyUniqueID, uniqueID), noErr);
}

Receiver::~Receiver() {
    MIDIClientDispose(client_);
}

void Receiver::receive(const MIDIPacketList* list) {
    const std::size_t index = count_.load();
    if (index < capacity) {
        Arrival& arrival = arrivals_[index];
        arrival.packets = list->numPackets;
        const MIDIPacket* packet = list->packet;
        for (std::uint32_t i = 0; i < list->numPackets; ++i, packet = MIDIPacketNext(packet))
            for (std::uint16_t b = 0; b < packet->length && arrival.length < arrival.bytes.size(); ++b)
                arrival.bytes[arrival.length++] = packet->data[b];
    }
    count_.store(index + 1);
}

std::vector<Peak> Receiver::peaks() const {
    std::vector<Peak> peaks;
    for (std::size_t i = 0; i < std::min(count(), capacity); ++i) {
        const Arrival& arrival = arrivals_[i];
        EXPECT_EQ(arrival.packets, 1u);
        EXPECT_EQ(arrival.length, 7u);
        EXPECT_EQ(arrival.bytes[0], 0xF0);
        EXPECT_EQ(arrival.bytes[1], 0x7E);
        EXPECT_EQ(arrival.bytes[6], 0xF7);
        peaks.push_back({arrival.bytes[2], arrival.bytes[3], arrival.bytes[4], arrival.bytes[5]});
    }
    return peaks;
}

HostAudio::HostAudio(AUAudioFrameCount frames, std::uint32_t buffers) : frames_(frames) {
    list_.mNumberBuffers = buffers;
    for (std::uint32_t channel = 0; channel < 2; ++channel) {
        input_[channel].assign(frames, 0.0f);
        output_[channel].assign(frames, 0.0f);
        list_.mBuffers[channel].mData = output_[channel].data();
        list_.mBuffers[channel].mDataByteSize = static_cast<std::uint32_t>(frames * sizeof(float));
    }
    pull_ = [this](AudioUnitRenderActionFlags*, const AudioTimeStamp*, AUAudioFrameCount frameCount,
                   NSInteger inputBusNumber, AudioBufferList* data) {
        ++pulls;
        EXPECT_EQ(inputBusNumber, 0);
        EXPECT_EQ(frameCount, frames_);
        for (std::uint32_t channel = 0; channel < std::min(data->mNumberBuffers, 2u); ++channel)
            if (data->mBuffers[channel].mData != nullptr)
                std::copy(input_[channel].begin(), input_[channel].end(),
                          static_cast<float*>(data->mBuffers[channel].mData));
        return pullStatus;
    };
}

void HostAudio::setInput(std::uint32_t channel, const std::vector<float>& samples) {
    for (std::size_t i = 0; i < frames_; ++i)
        input_[channel][i] = samples[i % samples.size()];
}

AUAudioUnitStatus render(const AUInternalRenderBlock& block, HostAudio& audio) {
    return render(block, audio, audio.pullInputBlock());
}

AUAudioUnitStatus render(const AUInternalRenderBlock& block, HostAudio& audio,
                         const AURenderPullInputBlock& pullInputBlock) {
    AudioUnitRenderActionFlags flags = 0;
    const AudioTimeStamp timestamp{};
    return block(&flags, &timestamp, audio.frames(), 0, &audio.list(), nullptr, pullInputBlock);
}

AudioComponentDescription MeterTestBench::description() {
    return {kAudioUnitType_Effect, fourCharCode("tvam"), fourCharCode("Tlvn"), 0, 0};
}

std::shared_ptr<Unit> MeterTestBench::createUnit() {
    return std::make_shared<Unit>(description(), 0);
}

std::vector<std::string> MeterTestBench::systemLog() {
    return sim.log().texts(LogKind::systemLog);
}

std::vector<std::string> MeterTestBench::systemLog(const std::string& start) {
    std::vector<std::string> lines = systemLog();
    std::erase_if(lines, [&](const std::string& line) { return !line.starts_with(start); });
    return lines;
}

std::filesystem::path MeterTestBench::mappingPath() const {
    return *sim.applicationSupportDirectory() / "Tolvane" / "audiometer_mapping.json";
}

void MeterTestBench::writeMapping(const std::string& content) {
    lastMappingDate_ += std::chrono::seconds(1);
    rewriteMappingKeepingDate(content);
}

void MeterTestBench::rewriteMappingKeepingDate(const std::string& content) {
    ASSERT_TRUE(writeFile(mappingPath(), content, lastMappingDate_));
}

std::string MeterTestBench::mappingFor(std::uint8_t instanceID, int trackNr, const std::string& trackName) {
    return "{\"" + std::to_string(instanceID) + "\": {\"trackNr\": " + std::to_string(trackNr) +
           ", \"trackName\": \"" + trackName + "\"}}";
}

} // namespace vantrel::meter::test
