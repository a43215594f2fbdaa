// The built bundles driven as an LV2 host drives them: runs with atom sequences and audio
// buffers, the state interface, and instantiation that fails.

#include <memory>
#include <ostream>

#include <gtest/gtest.h>

#include "lv2/Lv2TestHost.h"

namespace vantrel::lv2::testing {

void PrintTo(const MidiAt& midi, std::ostream* out) {
    *out << midi.frame << ":";
    for (const auto byte : midi.bytes) *out << " " << int{byte};
}

} // namespace vantrel::lv2::testing

namespace {

using namespace vantrel::lv2::testing;

// The MIDI the monitor passes back from one run of 200 frames, under each block size a host may
// set: every event at its own frame, whichever slice of the run renders it.
class MonitorPassThrough : public testing::TestWithParam<int> {};

TEST_P(MonitorPassThrough, passesEveryMessageAtItsFrameRunAfterRun) {
    TestHost host(GetParam());
    Instance monitor(monitorBundle, host);
    ASSERT_NE(monitor.handle, nullptr) << host.logged;
    const std::vector<MidiAt> sent{{0, {0x90, 60, 100}},   {63, {0xB0, 7, 100}}, {64, {0x80, 60, 0}},
                                   {64, {0xC0, 5}},        {130, {0xF8}},        {199, {0xE0, 0, 64}}};
    SequenceBuffer in(4096), out(4096);
    in.fill(host, sent);
    monitor.descriptor->connect_port(monitor.handle, 0, in.sequence());
    monitor.descriptor->connect_port(monitor.handle, 1, out.sequence());
    monitor.descriptor->activate(monitor.handle);
    for (int run = 0; run < 3; ++run) {
        out.clear(4096);
        monitor.descriptor->run(monitor.handle, 200);
        EXPECT_EQ(out.events(), sent) << "run " << run;
    }
    monitor.descriptor->deactivate(monitor.handle);
}

INSTANTIATE_TEST_SUITE_P(BlockSizes, MonitorPassThrough, testing::Values(0, 64, 1));

TEST(MonitorOutput, stopsAtTheHostsBufferInsteadOfOverrunningIt) {
    TestHost host;
    Instance monitor(monitorBundle, host);
    ASSERT_NE(monitor.handle, nullptr) << host.logged;
    std::vector<MidiAt> sent;
    for (std::int64_t frame = 0; frame < 100; ++frame) sent.push_back({frame, {0x90, 60, 100}});
    // The sequence's own header, then five events of a 16-byte header and a body padded to 8.
    const std::uint32_t room = sizeof(LV2_Atom_Sequence_Body) + 5 * 24;
    SequenceBuffer in(8192), out(room + 64);
    in.fill(host, sent);
    out.clear(room);
    const std::vector<std::uint64_t> beyond(out.storage.end() - 8, out.storage.end());
    monitor.descriptor->connect_port(monitor.handle, 0, in.sequence());
    monitor.descriptor->connect_port(monitor.handle, 1, out.sequence());
    monitor.descriptor->activate(monitor.handle);
    monitor.descriptor->run(monitor.handle, 100);
    EXPECT_EQ(out.events(), std::vector<MidiAt>(sent.begin(), sent.begin() + 5));
    EXPECT_EQ(std::vector<std::uint64_t>(out.storage.end() - 8, out.storage.end()), beyond);
    monitor.descriptor->deactivate(monitor.handle);
}

// In place (a host's output buffers are its input buffers) and apart, in slices of the block size.
TEST(MeterAudio, outputEqualsInputBitForBit) {
    for (const bool inPlace : {false, true}) {
        TestHost host(64);
        Instance meter(meterBundle, host);
        ASSERT_NE(meter.handle, nullptr) << host.logged;
        std::vector<float> left(200), right(200), outLeft(200), outRight(200);
        for (std::size_t frame = 0; frame < left.size(); ++frame) {
            left[frame] = static_cast<float>(frame) / 7.0f - 13.0f;
            right[frame] = frame % 2 ? -1e-40f : 3.5f; // a denormal too
        }
        const auto expectedLeft = left, expectedRight = right;
        float* outputs[2] = {inPlace ? left.data() : outLeft.data(), inPlace ? right.data() : outRight.data()};
        meter.descriptor->connect_port(meter.handle, 0, left.data());
        meter.descriptor->connect_port(meter.handle, 1, right.data());
        meter.descriptor->connect_port(meter.handle, 2, outputs[0]);
        meter.descriptor->connect_port(meter.handle, 3, outputs[1]);
        meter.descriptor->activate(meter.handle);
        meter.descriptor->run(meter.handle, 200);
        meter.descriptor->deactivate(meter.handle);
        EXPECT_EQ(0, std::memcmp(outputs[0], expectedLeft.data(), 200 * sizeof(float))) << "in place " << inPlace;
        EXPECT_EQ(0, std::memcmp(outputs[1], expectedRight.data(), 200 * sizeof(float))) << "in place " << inPlace;
    }
}

struct Failure {
    std::string name;
    std::string bundle;
    std::string bundlePath; // empty: the bundle's own
    bool offerMap;
    std::string logged; // a part of the reason the host's log gets
};

class InstantiateFailure : public testing::TestWithParam<Failure> {};

TEST_P(InstantiateFailure, givesNoInstanceAndSaysWhy) {
    TestHost host(0, GetParam().offerMap);
    Instance instance(GetParam().bundle, host, GetParam().bundlePath);
    EXPECT_EQ(instance.handle, nullptr);
    EXPECT_NE(host.logged.find(GetParam().logged), std::string::npos) << host.logged;
}

INSTANTIATE_TEST_SUITE_P(
    Reasons, InstantiateFailure,
    testing::Values(Failure{"bundleWithoutDescription", monitorBundle, "/nonexistent/Missing.lv2", true, "Info.json"},
                    Failure{"monitorWithoutUridMap", monitorBundle, "", false, ""}),
    [](const auto& info) { return info.param.name; });

// A saved state as the host keeps it: the one property's value and type.
struct SavedState {
    std::string value;
    LV2_URID type = 0;
};

LV2_State_Status keep(LV2_State_Handle handle, std::uint32_t, const void* value, std::size_t size, std::uint32_t type,
                      std::uint32_t) {
    *static_cast<SavedState*>(handle) = {std::string(static_cast<const char*>(value), size), type};
    return LV2_STATE_SUCCESS;
}

const void* give(LV2_State_Handle handle, std::uint32_t, std::size_t* size, std::uint32_t* type, std::uint32_t* flags) {
    const auto& saved = *static_cast<SavedState*>(handle);
    *size = saved.value.size();
    *type = saved.type;
    *flags = LV2_STATE_IS_POD;
    return saved.value.data();
}

SavedState save(const Instance& instance) {
    SavedState saved;
    EXPECT_EQ(instance.state().save(instance.handle, keep, &saved, 0, nullptr), LV2_STATE_SUCCESS);
    return saved;
}

TEST(MonitorState, comesBackWholeInAnotherInstance) {
    TestHost host;
    Instance first(monitorBundle, host), second(monitorBundle, host);
    ASSERT_TRUE(first.handle && second.handle) << host.logged;
    SavedState saved = save(first);
    ASSERT_NE(saved.value, save(second).value) << "two fresh instances should differ in their ids";
    EXPECT_EQ(second.state().restore(second.handle, give, &saved, 0, nullptr), LV2_STATE_SUCCESS);
    EXPECT_EQ(save(second).value, saved.value);
}

// A state the host mangled is refused with a reason, and the instance keeps what it had.
TEST(MonitorState, badSavedStatesLeaveTheStateAsItWas) {
    TestHost host;
    Instance monitor(monitorBundle, host);
    ASSERT_NE(monitor.handle, nullptr) << host.logged;
    const SavedState before = save(monitor);
    const LV2_URID text = host.map(LV2_ATOM__String);
    for (SavedState bad : {SavedState{std::string("{\"data\": ", 10), text}, SavedState{"[1, 2]", text},
                           SavedState{before.value, host.map(LV2_ATOM__Int)}}) {
        host.logged.clear();
        EXPECT_NE(monitor.state().restore(monitor.handle, give, &bad, 0, nullptr), LV2_STATE_SUCCESS) << bad.value;
        EXPECT_NE(host.logged.find("state stays"), std::string::npos) << host.logged;
        EXPECT_EQ(save(monitor).value, before.value);
    }
}

} // namespace
