#pragma once
// An audio meter as the fuzz targets hold it: one instance on the process's fuzz platform.

#include <memory>

#include "FuzzSupport.h"
#include "meter/common/audiounit/TolvaneAudioMeterExtensionAudioUnit.h"

namespace vantrel::fuzz {

struct HostedMeter {
    FuzzPlatform platform;
    std::shared_ptr<meter::TolvaneAudioMeterExtensionAudioUnit> unit =
        std::make_shared<meter::TolvaneAudioMeterExtensionAudioUnit>(
            platform::AudioComponentDescription{platform::kAudioUnitType_Effect,
                                                platform::fourCharCode("Tlvm"),
                                                platform::fourCharCode("Mrlk")},
            0);
};

} // namespace vantrel::fuzz
