// 512 controller monitors and 128 audio meters on one simulated platform, connected to one
// receiver, the host rendering every instance each 512 frames for a run of virtual time: every
// EventReport a monitor queues and every peak message a meter owes arrives, once, in order.

#include <gtest/gtest.h>

#include <deque>
#include <map>

#include "receiver/Receiver.h"
#include "meter/MeterTestBench.h"
#include "monitor/MonitorTestBench.h"
#include "support/PluginComponents.h"

namespace vantrel::scale::test {
namespace {

using namespace platform;
using monitor::test::Bytes;

constexpr std::size_t monitorCount = 512;
constexpr std::size_t meterCount = 128;
constexpr AUAudioFrameCount framesPerCall = 512; // the monitors' test bench renders 512 frames a call
constexpr int callsPerPeakMessage = 2048 / framesPerCall;

// Amplitudes whose meter values are known.
constexpr std::array<std::pair<float, std::uint8_t>, 5> levels{
    {{1.0f, 127}, {0.5f, 114}, {0.25f, 101}, {0.1f, 84}, {0.01f, 42}}};

// What the receiver must still hear from each sender (a monitor's uid, or a meter's port above
// 2^32), in order; checked as messages arrive.
class Expectations {
public:
    static std::uint64_t meterSender(MIDIPortRef port) { return (std::uint64_t{1} << 32) | port; }

    void expect(std::uint64_t sender, Bytes message) { owed_[sender].push_back(std::move(message)); }

    void arrived(const MIDISendRecord& record) {
        const protocol::ReceiverMessage message = protocol::decodeReceiverMessage(record.bytes());
        const bool peak = message.kind == protocol::ReceiverMessage::Kind::peakMeter;
        if (!peak && message.kind != protocol::ReceiverMessage::Kind::eventReport) return;
        auto& owed = owed_[peak ? meterSender(record.port) : message.uid];
        if (owed.empty() || owed.front() != (peak ? Bytes{message.peakL, message.peakR} : message.event)) {
            if (mismatches++ == 0) ADD_FAILURE() << "a message arrived out of order or unasked";
            return;
        }
        owed.pop_front();
        ++(peak ? peaksArrived : reportsArrived);
    }

    std::size_t outstanding() const {
        std::size_t count = 0;
        for (const auto& [sender, owed] : owed_)
            count += owed.size();
        return count;
    }

    std::size_t reportsArrived = 0;
    std::size_t peaksArrived = 0;
    std::size_t mismatches = 0;

private:
    std::map<std::uint64_t, std::deque<Bytes>> owed_;
};

// A monitor as the host drives it: a changing controller on the instance's own channel and key,
// the pitch wheel, and a channel-16 note now and then, every value new, so every event is reported.
class HostedMonitor {
public:
    explicit HostedMonitor(std::size_t index)
        : unit_(monitor::VantrelExtensionAudioUnit::create(vantrel::test::monitorComponent())),
          channel_(static_cast<std::uint8_t>(index % 15)),
          controller_(static_cast<std::uint8_t>(index % 120)) {
        unit_->allocateRenderResources();
        block_ = unit_->internalRenderBlock();
    }

    const monitor::VantrelExtensionAudioUnit& unit() const { return *unit_; }

    void render(std::uint64_t call, Expectations& expectations) {
        const auto value = static_cast<std::uint8_t>(call % 128);
        std::vector<Bytes> played{{static_cast<std::uint8_t>(0xB0 | channel_), controller_, value},
                                  {static_cast<std::uint8_t>(0xE0 | channel_), 0x00, value}};
        if (call % 7 == 0) played.push_back({0x9F, value, 0x40});
        monitor::test::EventList events;
        for (const Bytes& event : played) {
            events.midi(event);
            expectations.expect(unit_->uniqueID(), event);
        }
        ASSERT_EQ(monitor::test::render(block_, events.head()), noErr);
    }

private:
    std::shared_ptr<monitor::VantrelExtensionAudioUnit> unit_;
    AUInternalRenderBlock block_;
    std::uint8_t channel_;
    std::uint8_t controller_;
};

// A meter as the host drives it: each 2048-frame window at one known level, left and right
// stepping through the levels at different paces.
class HostedMeter {
public:
    explicit HostedMeter(std::size_t index)
        : unit_(std::make_shared<meter::TolvaneAudioMeterExtensionAudioUnit>(vantrel::test::meterComponent(), 0)),
          offset_(index) {
        unit_->allocateRenderResources();
        block_ = unit_->internalRenderBlock();
    }

    void render(std::uint64_t call, Expectations& expectations) {
        const std::uint64_t window = call / callsPerPeakMessage + offset_;
        const auto& left = levels[window % levels.size()];
        const auto& right = levels[(window / 2 + 1) % levels.size()];
        // The window's peak falls in one of its calls; the others stay below it.
        const bool peakCall = call % callsPerPeakMessage == window % callsPerPeakMessage;
        audio_.setInput(0, {left.first * (peakCall ? 1.0f : 0.5f)});
        audio_.setInput(1, {-right.first * (peakCall ? 1.0f : 0.25f)});
        if (call % callsPerPeakMessage == callsPerPeakMessage - 1)
            expectations.expect(Expectations::meterSender(unit_->midiOutputPort()),
                                {left.second, right.second});
        ASSERT_EQ(meter::test::render(block_, audio_), noErr);
    }

private:
    std::shared_ptr<meter::TolvaneAudioMeterExtensionAudioUnit> unit_;
    AUInternalRenderBlock block_;
    std::size_t offset_;
    meter::test::HostAudio audio_{framesPerCall};
};

TEST(ScaleRun, EveryReportAndPeakMessageOfHundredsOfInstancesArrivesInOrder) {
    SimulatedPlatform sim(2026);
    vantrel::receiver::Receiver receiver{*sim.applicationSupportDirectory()};
    ASSERT_TRUE(receiver.up());
    Expectations expectations;
    sim.midi().setSendObserver([&](const MIDISendRecord& record) {
        if (record.destination == receiver.destination()) expectations.arrived(record);
    });

    std::vector<std::unique_ptr<HostedMonitor>> monitors;
    std::vector<std::unique_ptr<HostedMeter>> meters;
    for (std::size_t index = 0; index < monitorCount; ++index)
        monitors.push_back(std::make_unique<HostedMonitor>(index));
    for (std::size_t index = 0; index < meterCount; ++index)
        meters.push_back(std::make_unique<HostedMeter>(index));
    for (const auto& hosted : monitors)
        sim.notifications().post("com.marlek.vantrel.connect",
                                 Dictionary{{"uid", hosted->unit().uniqueID()}, {"trackName", "Scale"}});
    sim.advance(milliseconds(1));
    for (const auto& hosted : monitors)
        ASSERT_TRUE(hosted->unit().isConnected());

    const Duration callDuration = Duration(1'000'000'000LL * framesPerCall / 44100);
    const auto calls = static_cast<std::uint64_t>(seconds(VANTREL_SCALE_SECONDS) / callDuration);
    for (std::uint64_t call = 0; call < calls && expectations.mismatches == 0; ++call) {
        for (const auto& hosted : monitors)
            hosted->render(call, expectations);
        for (const auto& hosted : meters)
            hosted->render(call, expectations);
        sim.advance(callDuration);
    }
    sim.advance(milliseconds(20)); // the last tick drains what the last call queued

    EXPECT_EQ(expectations.mismatches, 0u);
    EXPECT_EQ(expectations.outstanding(), 0u);
    EXPECT_EQ(expectations.reportsArrived, monitorCount * (calls * 2 + (calls + 6) / 7));
    EXPECT_EQ(expectations.peaksArrived, meterCount * (calls / callsPerPeakMessage));
    sim.midi().setSendObserver({});
}

} // namespace
} // namespace vantrel::scale::test
