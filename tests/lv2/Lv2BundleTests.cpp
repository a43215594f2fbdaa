// The built bundles driven as an LV2 host drives them: the binary's descriptor, the features a
// host offers, runs with atom sequences and audio buffers, and the state interface.

#include <dlfcn.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/log/log.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

namespace {

const std::string monitorBundle = VANTREL_LV2_FOLDER "/VantrelExtension.lv2";
const std::string meterBundle = VANTREL_LV2_FOLDER "/TolvaneAudioMeterExtension.lv2";

const LV2_Descriptor* descriptorOf(const std::string& bundle) {
    const std::string binary = bundle + "/" + bundle.substr(bundle.rfind('/') + 1, bundle.rfind('.') - bundle.rfind('/') - 1) + ".so";
    void* module = dlopen(binary.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) return nullptr;
    auto entry = reinterpret_cast<LV2_Descriptor_Function>(dlsym(module, "lv2_descriptor"));
    return entry != nullptr ? entry(0) : nullptr;
}

// What a host offers: a URID map, a log that keeps its lines, and a block size.
class TestHost {
public:
    explicit TestHost(int maxBlockLength = 0, bool offerMap = true) : maxBlockLength_(maxBlockLength) {
        map_ = {this, [](LV2_URID_Map_Handle handle, const char* uri) { return static_cast<TestHost*>(handle)->map(uri); }};
        log_ = {this, &TestHost::print, &TestHost::vprint};
        options_[0] = {LV2_OPTIONS_INSTANCE, 0, map(LV2_BUF_SIZE__maxBlockLength), sizeof(int), map(LV2_ATOM__Int),
                       &maxBlockLength_};
        options_[1] = {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr};
        if (offerMap) features_.push_back(&mapFeature_);
        features_.push_back(&logFeature_);
        if (maxBlockLength > 0) features_.push_back(&optionsFeature_);
        features_.push_back(nullptr);
    }

    LV2_URID map(const char* uri) {
        for (std::size_t index = 0; index < uris_.size(); ++index)
            if (uris_[index] == uri) return static_cast<LV2_URID>(index + 1);
        uris_.emplace_back(uri);
        return static_cast<LV2_URID>(uris_.size());
    }
    const LV2_Feature* const* features() const { return features_.data(); }

    std::string logged;

private:
    static int vprint(LV2_Log_Handle handle, LV2_URID, const char* format, va_list args) {
        char line[512];
        const int length = std::vsnprintf(line, sizeof line, format, args);
        static_cast<TestHost*>(handle)->logged += line;
        return length;
    }
    static int print(LV2_Log_Handle handle, LV2_URID type, const char* format, ...) {
        va_list args;
        va_start(args, format);
        const int length = vprint(handle, type, format, args);
        va_end(args);
        return length;
    }

    int maxBlockLength_;
    std::vector<std::string> uris_;
    LV2_URID_Map map_{};
    LV2_Log_Log log_{};
    LV2_Options_Option options_[2]{};
    LV2_Feature mapFeature_{LV2_URID__map, &map_};
    LV2_Feature logFeature_{LV2_LOG__log, &log_};
    LV2_Feature optionsFeature_{LV2_OPTIONS__options, options_};
    std::vector<const LV2_Feature*> features_;
};

// One instance, cleaned up at the end of the test.
struct Instance {
    Instance(const std::string& bundle, TestHost& host, const std::string& bundlePath = "")
        : descriptor(descriptorOf(bundle)) {
        if (descriptor != nullptr)
            handle = descriptor->instantiate(descriptor, 48000, (bundlePath.empty() ? bundle : bundlePath).c_str(),
                                             host.features());
    }
    ~Instance() {
        if (handle != nullptr) descriptor->cleanup(handle);
    }
    const LV2_State_Interface& state() const {
        return *static_cast<const LV2_State_Interface*>(descriptor->extension_data(LV2_STATE__interface));
    }

    const LV2_Descriptor* descriptor;
    LV2_Handle handle = nullptr;
};

struct MidiAt {
    std::int64_t frame;
    std::vector<std::uint8_t> bytes;
    bool operator==(const MidiAt&) const = default;
};

void PrintTo(const MidiAt& midi, std::ostream* out) {
    *out << midi.frame << ":";
    for (const auto byte : midi.bytes) *out << " " << int{byte};
}

// An atom sequence buffer of `capacity` body bytes.
struct SequenceBuffer {
    explicit SequenceBuffer(std::uint32_t capacity) : storage(sizeof(LV2_Atom_Sequence) + capacity) { clear(capacity); }
    LV2_Atom_Sequence* sequence() { return reinterpret_cast<LV2_Atom_Sequence*>(storage.data()); }
    void clear(std::uint32_t capacity) { sequence()->atom.size = capacity; }
    void fill(TestHost& host, const std::vector<MidiAt>& events) {
        sequence()->atom = {sizeof(LV2_Atom_Sequence_Body), host.map(LV2_ATOM__Sequence)};
        sequence()->body = {0, 0};
        for (const auto& midi : events) {
            LV2_Atom_Event* event = lv2_atom_sequence_end(&sequence()->body, sequence()->atom.size);
            event->time.frames = midi.frame;
            event->body = {static_cast<std::uint32_t>(midi.bytes.size()), host.map(LV2_MIDI__MidiEvent)};
            std::memcpy(event + 1, midi.bytes.data(), midi.bytes.size());
            sequence()->atom.size += lv2_atom_pad_size(sizeof(LV2_Atom_Event) + event->body.size);
        }
    }
    std::vector<MidiAt> events() {
        std::vector<MidiAt> read;
        LV2_ATOM_SEQUENCE_FOREACH (sequence(), event) {
            const auto* bytes = static_cast<const std::uint8_t*>(LV2_ATOM_BODY_CONST(&event->body));
            read.push_back({event->time.frames, {bytes, bytes + event->body.size}});
        }
        return read;
    }
    std::vector<std::uint64_t> storage; // 8-byte aligned, as atoms must be
};

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
