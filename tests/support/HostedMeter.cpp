#include "support/HostedMeter.h"

#include <algorithm>
#include <chrono>

#include "platform/files/FileSystem.h"
#include "support/PluginComponents.h"

namespace vantrel::test {

using namespace platform;

HostAudio::HostAudio(AUAudioFrameCount frames, std::uint32_t buffers) : frames_(frames) {
    list_.mNumberBuffers = buffers;
    for (std::uint32_t channel = 0; channel < 2; ++channel) {
        input_[channel].assign(frames, 0.0f);
        output_[channel].assign(frames, 0.0f);
        list_.mBuffers[channel].mData = output_[channel].data();
        list_.mBuffers[channel].mDataByteSize = static_cast<std::uint32_t>(frames * sizeof(float));
    }
    pull_ = [this](AudioUnitRenderActionFlags*, const AudioTimeStamp*, AUAudioFrameCount, NSInteger,
                   AudioBufferList* data) {
        for (std::uint32_t channel = 0; channel < std::min(data->mNumberBuffers, 2u); ++channel)
            if (data->mBuffers[channel].mData != nullptr)
                std::ranges::copy(input_[channel], static_cast<float*>(data->mBuffers[channel].mData));
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

std::shared_ptr<HostedMeter::Unit> HostedMeter::createUnit() {
    return std::make_shared<Unit>(meterComponent(), 0);
}

vantrel::receiver::MeterReport HostedMeter::heardFrom(const Unit& unit) const {
    for (const vantrel::receiver::MeterReport& report : receiver.meters())
        if (report.instanceID == unit.instanceID()) return report;
    return {};
}

std::vector<std::string> HostedMeter::systemLog(const std::string& start) const {
    std::vector<std::string> lines = sim.log().texts(LogKind::systemLog);
    std::erase_if(lines, [&](const std::string& line) { return !line.starts_with(start); });
    return lines;
}

std::filesystem::path HostedMeter::mappingPath() const {
    return *sim.applicationSupportDirectory() / "Tolvane" / "audiometer_mapping.json";
}

bool HostedMeter::writeMapping(const std::string& content) {
    lastMappingDate_ += std::chrono::seconds(1);
    return writeFile(mappingPath(), content, lastMappingDate_);
}

std::string HostedMeter::mappingFor(std::uint8_t instanceID, int trackNr, const std::string& trackName) {
    return "{\"" + std::to_string(instanceID) + "\": {\"trackNr\": " + std::to_string(trackNr) +
           ", \"trackName\": \"" + trackName + "\"}}";
}

} // namespace vantrel::test
