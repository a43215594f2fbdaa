#pragma once
// A simulated platform with the receiver application's destination, a host's audio buffers and
// pull-input block, and the mapping file's place, for driving audio-meter instances.

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "meter/common/audiounit/TolvaneAudioMeterExtensionAudioUnit.h"
#include "platform/sim/SimulatedPlatform.h"

namespace vantrel::meter::test {

using Unit = TolvaneAudioMeterExtensionAudioUnit;

// What one PeakMeterMessage said.
struct Peak {
    std::uint8_t instanceID;
    std::uint8_t trackNr;
    std::uint8_t left;
    std::uint8_t right;
    friend bool operator==(const Peak&, const Peak&) = default;
};
void PrintTo(const Peak& peak, std::ostream* out);

// The receiver application's destination. Its read block keeps what arrives in place, so that a
// send from the render thread allocates nothing on the receiver's side either.
class Receiver {
public:
    // The destination is announced to every MIDI client; the setup change is delivered when the
    // platform's queued work next runs.
    explicit Receiver(std::int32_t uniqueID = protocol::KVRT);
    ~Receiver();
    Receiver(const Receiver&) = delete;
    Receiver& operator=(const Receiver&) = delete;

    platform::MIDIEndpointRef destination() const { return destination_; }
    std::size_t count() const { return count_.load(); } // every send that arrived
    // The sends kept (the first `capacity`); each must be one 7-byte PeakMeterMessage.
    std::vector<Peak> peaks() const;

    static constexpr std::size_t capacity = 2048;

private:
    struct Arrival {
        std::uint32_t packets = 0;
        std::uint8_t length = 0;
        std::array<std::uint8_t, 16> bytes{};
    };
    void receive(const platform::MIDIPacketList* list);

    platform::MIDIClientRef client_ = 0;
    platform::MIDIEndpointRef destination_ = 0;
    std::atomic<std::size_t> count_{0};
    std::array<Arrival, capacity> arrivals_{};
};

// The host's side of render calls: output buffers of `frames` samples, and a pull-input block that
// copies its input into them and then returns `pullStatus`.
class HostAudio {
public:
    explicit HostAudio(platform::AUAudioFrameCount frames, std::uint32_t buffers = 2);

    platform::AUAudioFrameCount frames() const { return frames_; }
    // The input of channel 0 (left) or 1 (right), repeated or cut to the frame count.
    void setInput(std::uint32_t channel, const std::vector<float>& samples);
    const std::vector<float>& input(std::uint32_t channel) const { return input_[channel]; }
    std::vector<float>& output(std::uint32_t channel) { return output_[channel]; }
    platform::AudioBufferList& list() { return list_; }

    const platform::AURenderPullInputBlock& pullInputBlock() const { return pull_; }
    platform::AUAudioUnitStatus pullStatus = platform::noErr;
    int pulls = 0;

private:
    platform::AUAudioFrameCount frames_;
    std::array<std::vector<float>, 2> input_;
    std::array<std::vector<float>, 2> output_;
    platform::AudioBufferList list_{};
    platform::AURenderPullInputBlock pull_;
};

platform::AUAudioUnitStatus render(const platform::AUInternalRenderBlock& block, HostAudio& audio);
platform::AUAudioUnitStatus render(const platform::AUInternalRenderBlock& block, HostAudio& audio,
                                   const platform::AURenderPullInputBlock& pullInputBlock);

class MeterTestBench : public ::testing::Test {
protected:
    static platform::AudioComponentDescription description();
    std::shared_ptr<Unit> createUnit();

    // The plain system-log lines, and only those that begin with `start`.
    std::vector<std::string> systemLog();
    std::vector<std::string> systemLog(const std::string& start);

    std::filesystem::path mappingPath() const;
    // Writes the mapping file with a modification date later than any before.
    void writeMapping(const std::string& content);
    // Writes it again with the date of the previous write.
    void rewriteMappingKeepingDate(const std::string& content);
    // {"<instanceID>": {"trackNr": trackNr, "trackName": trackName}}
    static std::string mappingFor(std::uint8_t instanceID, int trackNr, const std::string& trackName);

    platform::SimulatedPlatform sim;

private:
    platform::FileTime lastMappingDate_{};
};

} // namespace vantrel::meter::test
