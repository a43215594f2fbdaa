#pragma once
// An audio stream format. Buses share one format object, so that two buses can report "the same
// format" by identity, as a stereo effect's input and output do.

#include <cstdint>
#include <memory>

namespace platform {

using AVAudioChannelCount = std::uint32_t;

class AVAudioFormat {
public:
    // The standard format: non-interleaved 32-bit float, one buffer per channel. [any]
    static std::shared_ptr<const AVAudioFormat> standardFormat(double sampleRate,
                                                               AVAudioChannelCount channels);

    double sampleRate() const { return sampleRate_; }
    AVAudioChannelCount channelCount() const { return channelCount_; }
    bool isInterleaved() const { return false; }

private:
    AVAudioFormat(double sampleRate, AVAudioChannelCount channels)
        : sampleRate_(sampleRate), channelCount_(channels) {}

    double sampleRate_;
    AVAudioChannelCount channelCount_;
};

} // namespace platform
