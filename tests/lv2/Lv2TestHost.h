#pragma once
// A small LV2 host for the built bundles: the binary's descriptor, the features a host offers,
// instances, and atom sequences of MIDI.

#include <dlfcn.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/log/log.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

namespace vantrel::lv2::testing {

inline const std::string monitorBundle = VANTREL_LV2_FOLDER "/VantrelExtension.lv2";
inline const std::string meterBundle = VANTREL_LV2_FOLDER "/TolvaneAudioMeterExtension.lv2";

inline const LV2_Descriptor* descriptorOf(const std::string& bundle) {
    // NAME.lv2/NAME.so
    const auto binary = std::filesystem::path(bundle) / std::filesystem::path(bundle).stem().concat(".so");
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

// One instance, cleaned up when it goes.
struct Instance {
    Instance(const std::string& bundle, TestHost& host, const std::string& bundlePath = "")
        : Instance(descriptorOf(bundle), host, bundlePath.empty() ? bundle : bundlePath) {}
    Instance(const LV2_Descriptor* descriptor, TestHost& host, const std::string& bundlePath)
        : descriptor(descriptor) {
        if (descriptor != nullptr) handle = descriptor->instantiate(descriptor, 48000, bundlePath.c_str(), host.features());
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

} // namespace vantrel::lv2::testing
