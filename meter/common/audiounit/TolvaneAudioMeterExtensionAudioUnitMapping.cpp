#include <exception>
#include <string>

#include "meter/common/audiounit/TolvaneAudioMeterExtensionAudioUnit.h"
#include "meter/common/audiounit/TrackMappingFile.h"
#include "platform/log/Logger.h"

namespace vantrel::meter {

using namespace platform;

void TolvaneAudioMeterExtensionAudioUnit::checkMappingFile() noexcept {
    if (mappingCheckRunning_.exchange(true, std::memory_order_acquire)) return;
    struct Finish {
        std::atomic<bool>& running;
        ~Finish() { running.store(false, std::memory_order_release); }
    } finish{mappingCheckRunning_};

    try {
        const auto location = mappingFileURL();
        if (!location || !fileExists(*location)) return;
        // Taken before the content: a version that turns out unusable is not read again.
        if (const auto modified = modificationDate(*location)) {
            if (lastMappingModDate_ && *modified <= *lastMappingModDate_) return;
            lastMappingModDate_ = *modified;
        }
        const auto content = readFile(*location);
        if (!content) return;
        const auto mapping = readTrackMapping(*content, instanceID_);
        if (!mapping) return;
        if (mapping->trackNr == trackNr_ && mapping->trackName == *trackName_.read()) return;

        trackName_.publish(mapping->trackName);
        trackNr_ = mapping->trackNr;
        NSLog("[AudioMeter] Mapping gelesen: instance " + std::to_string(instanceID_) +
              " → trackNr=" + std::to_string(mapping->trackNr) + ", name='" + mapping->trackName + "'");
    } catch (const std::exception&) {
        // Out of memory or a failing file system under the read: a failed check like any other.
    }
}

} // namespace vantrel::meter
