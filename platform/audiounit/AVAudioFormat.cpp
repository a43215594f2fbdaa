#include "platform/audiounit/AVAudioFormat.h"

namespace platform {

std::shared_ptr<const AVAudioFormat> AVAudioFormat::standardFormat(double sampleRate,
                                                                   AVAudioChannelCount channels) {
    return std::shared_ptr<const AVAudioFormat>(new AVAudioFormat(sampleRate, channels));
}

} // namespace platform
