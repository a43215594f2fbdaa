#pragma once
// What must hold of an audio meter: its buffers hold exactly what the pull-input block put there,
// bit for bit (nothing when it was not to be called); the peaks of each 2048-frame window, NaNs
// ignored, go out in one message; and it shows the track the mapping file and the restores gave
// it. It reads the file when its render resources are allocated and, while its track is unknown,
// at every 44th send; a version whose modification date has not advanced is not read again.

#include <algorithm>
#include <bit>
#include <cmath>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>

#include "host/script/Script.h"
#include "meter/common/audiounit/PeakMeter.h"
#include "meter/common/audiounit/TrackMappingFile.h"
#include "platform/audiounit/AudioBufferList.h"
#include "platform/files/FileSystem.h"

namespace vantrel::simulation {

inline constexpr std::uint32_t meterSendInterval = 2048;

// Call number `call` of `command`, to an instance whose signals run at `sampleRate`.
struct AudioCall {
    const host::AudioCommand& command;
    std::uint32_t call = 0;
    double sampleRate = 44100;

    // The sample the host's pull-input block writes at `frame` of buffer `index`.
    float input(std::uint32_t index, std::uint32_t frame) const {
        if (index > 1) return 0.0f;
        const host::Signal& signal = index == 0 ? command.left : command.right;
        return signal.sampleAt(std::uint64_t{call} * command.frames + frame, sampleRate);
    }
    // `pulled`: the pull-input block was to run and succeed.
    bool buffersHoldInput(bool pulled, const platform::AudioBufferList& buffers) const {
        for (std::uint32_t index = 0; index < buffers.mNumberBuffers; ++index) {
            const auto* samples = static_cast<const float*>(buffers.mBuffers[index].mData);
            for (std::uint32_t frame = 0; frame < command.frames; ++frame) {
                if (std::bit_cast<std::uint32_t>(samples[frame]) !=
                    std::bit_cast<std::uint32_t>(pulled ? input(index, frame) : 0.0f))
                    return false;
            }
        }
        return true;
    }
    // The largest magnitude the meter can read in buffer `index` (0 when it has none).
    float peak(std::uint32_t index) const {
        float peak = 0.0f;
        for (std::uint32_t frame = 0; index < command.buffers && frame < command.frames; ++frame) {
            const float magnitude = std::fabs(input(index, frame));
            if (!std::isnan(magnitude)) peak = std::max(peak, magnitude);
        }
        return peak;
    }
};

class PeakWindow {
public:
    // A successful render call with these block peaks; true when it completes a window, whose
    // values are then in `due`.
    bool add(std::uint32_t frames, float peakL, float peakR) {
        peakL_ = std::max(peakL_, peakL);
        peakR_ = std::max(peakR_, peakR);
        frames_ += frames;
        if (frames_ < meterSendInterval) return false;
        due = {meter::meterValue(peakL_), meter::meterValue(peakR_)};
        frames_ = 0;
        peakL_ = peakR_ = 0;
        return true;
    }
    std::pair<std::uint8_t, std::uint8_t> due{};

private:
    std::uint32_t frames_ = 0;
    float peakL_ = 0;
    float peakR_ = 0;
};

class MappingModel {
public:
    MappingModel(std::filesystem::path file, std::uint8_t instanceID)
        : file_(std::move(file)), instanceID_(instanceID) {}

    void allocated() { check(); }
    // One send (a completed window), whether or not it reached anyone.
    void sent() {
        checkCounter_ += meterSendInterval;
        if (checkCounter_ < 88200) return;
        checkCounter_ = 0;
        if (trackNr_ == 0) check();
    }
    void restored(std::uint8_t trackNr, std::string trackName) {
        trackNr_ = trackNr;
        trackName_ = std::move(trackName);
    }
    // None when the instance shows the track the file and the restores gave it.
    std::optional<std::string> difference(std::uint8_t trackNr, const std::string& trackName) const {
        if (trackNr == trackNr_ && trackName == trackName_) return std::nullopt;
        return "shows track " + std::to_string(trackNr) + " '" + trackName + "', not " +
               std::to_string(trackNr_) + " '" + trackName_ + "'";
    }

private:
    void check() {
        if (!platform::fileExists(file_)) return;
        if (const auto date = platform::modificationDate(file_)) {
            if (lastDate_ && *date <= *lastDate_) return;
            lastDate_ = date;
        }
        // How an entry reads is the parser's business (fuzzed on its own); when it is read is ours.
        const auto content = platform::readFile(file_);
        if (const auto mapping = content ? meter::readTrackMapping(*content, instanceID_) : std::nullopt) {
            trackNr_ = mapping->trackNr;
            trackName_ = mapping->trackName;
        }
    }

    std::filesystem::path file_;
    std::uint8_t instanceID_;
    std::optional<platform::FileTime> lastDate_;
    std::uint32_t checkCounter_ = 0;
    std::uint8_t trackNr_ = 0;
    std::string trackName_;
};

} // namespace vantrel::simulation
