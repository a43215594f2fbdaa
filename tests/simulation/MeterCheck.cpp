#include "MeterCheck.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "SimRandom.h"
#include "meter/common/audiounit/PeakMeter.h"

namespace vantrel::simulation {

HostRender::HostRender(const AudioStep& step, std::uint64_t sampleSeed) : step_(step) {
    SimRandom random(sampleSeed);
    list_.mNumberBuffers = static_cast<std::uint32_t>(step.buffers.size());
    for (std::size_t index = 0; index < step.buffers.size(); ++index) {
        const BufferShape& shape = step.buffers[index];
        auto& input = input_.emplace_back(shape.capacity);
        std::ranges::generate(input, [&] { return random.sample(); });
        // Whatever the meter must leave alone: a pattern that no pull writes.
        auto& output = output_.emplace_back(shape.capacity);
        std::ranges::generate(
            output, [&] { return std::bit_cast<float>(static_cast<std::uint32_t>(random.bits())); });
        untouched_.push_back(output);
        list_.mBuffers[index].mNumberChannels = 1;
        list_.mBuffers[index].mDataByteSize = shape.capacity * sizeof(float);
        list_.mBuffers[index].mData = shape.hasData ? output.data() : nullptr;
    }
    if (!step.pull) return;
    pull_ = [this](platform::AudioUnitRenderActionFlags*, const platform::AudioTimeStamp*,
                   platform::AUAudioFrameCount frameCount, platform::NSInteger bus,
                   platform::AudioBufferList* data) {
        ++pulls_;
        if (frameCount != step_.frames || bus != 0 || data != &list_)
            pullComplaint_ = "the pull-input block was called with other arguments than the render call's";
        for (std::size_t index = 0; index < step_.buffers.size(); ++index) {
            if (!step_.buffers[index].hasData) continue;
            std::copy_n(input_[index].begin(), std::min<std::size_t>(frameCount, input_[index].size()),
                        output_[index].begin());
        }
        return step_.pullStatus;
    };
}

platform::AUAudioUnitStatus HostRender::render(const platform::AUInternalRenderBlock& block) {
    platform::AudioUnitRenderActionFlags flags = 0;
    const platform::AudioTimeStamp timestamp{};
    return block(&flags, &timestamp, step_.frames, 0, &list_, nullptr, pull_);
}

std::optional<std::string> HostRender::difference(bool alive, platform::AUAudioUnitStatus status) const {
    if (pullComplaint_) return pullComplaint_;
    const int expectedPulls = alive && step_.pull ? 1 : 0;
    if (pulls_ != expectedPulls)
        return "the pull-input block was called " + std::to_string(pulls_) + " times, not " +
               std::to_string(expectedPulls);
    const platform::AUAudioUnitStatus expectedStatus = pulls_ == 1 ? step_.pullStatus : platform::noErr;
    if (status != expectedStatus)
        return "the render call returned " + std::to_string(status) + ", not " +
               std::to_string(expectedStatus);
    for (std::size_t index = 0; index < output_.size(); ++index) {
        std::vector<float> expected = untouched_[index];
        if (pulls_ == 1 && step_.buffers[index].hasData) {
            std::copy_n(input_[index].begin(), std::min<std::size_t>(step_.frames, expected.size()),
                        expected.begin());
        }
        const auto bits = [](float sample) { return std::bit_cast<std::uint32_t>(sample); };
        if (!std::ranges::equal(expected, output_[index], {}, bits, bits))
            return "output buffer " + std::to_string(index) + " differs from its input, bit for bit";
    }
    return std::nullopt;
}

float HostRender::peak(std::uint32_t index) const {
    if (index >= step_.buffers.size() || !step_.buffers[index].hasData) return 0.0f;
    float peak = 0.0f;
    const std::size_t count = std::min<std::size_t>(step_.frames, input_[index].size());
    for (std::size_t i = 0; i < count; ++i) {
        const float magnitude = std::fabs(input_[index][i]);
        if (!std::isnan(magnitude)) peak = std::max(peak, magnitude);
    }
    return peak;
}

bool PeakWindow::add(std::uint32_t frames, float peakL, float peakR) {
    peakL_ = std::max(peakL_, peakL);
    peakR_ = std::max(peakR_, peakR);
    frames_ += frames;
    if (frames_ < sendInterval) return false;
    due_ = {meter::meterValue(peakL_), meter::meterValue(peakR_)};
    frames_ = 0;
    peakL_ = 0;
    peakR_ = 0;
    return true;
}

} // namespace vantrel::simulation
