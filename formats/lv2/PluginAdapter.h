#pragma once
// One plug-in as an LV2 instance: the plug-in's principal and audio unit, held as the headless
// host holds them, driven by the LV2 lifecycle:
//   instantiate -> the unit from the plug-in's own factory;
//   activate / deactivate -> allocate / deallocate render resources;
//   run -> the host's MIDI as render events, the render block in slices of at most the block
//          size the unit allocated for, the MIDI it sends into the host's output sequence and
//          the host's audio through the unit's pull-input block;
//   state save / restore -> the unit's fullState, whole, as JSON text in one property.
// The plug-ins count frames, never seconds, so any sample rate the host runs at suits them; the
// render timestamps count the frames the host has run since activation.

#include <array>
#include <cstdint>
#include <memory>

#include <lv2/state/state.h>

#include "formats/lv2/AtomMidiWriter.h"
#include "formats/lv2/HostFeatures.h"
#include "formats/lv2/HostProcess.h"
#include "formats/lv2/RenderEventList.h"
#include "host/plugins/HostedInstance.h"
#include "platform/audiounit/AudioBufferList.h"

namespace vantrel::lv2 {

// The ports, in index order: MIDI in and out when `midi`, then `audioChannels` audio inputs,
// then as many audio outputs.
struct PortLayout {
    bool midi = false;
    std::uint32_t audioChannels = 0;
};

class PluginAdapter {
public:
    static constexpr std::uint32_t maxAudioChannels = platform::kAudioBufferListCapacity;
    // The block size when the host does not tell one.
    static constexpr std::uint32_t defaultMaxFrames = 4096;

    // Null when the plug-in cannot be made; the reason goes to the host's log. [host]
    static std::unique_ptr<PluginAdapter> instantiate(const char* pluginUri, PortLayout layout,
                                                      const char* bundlePath, const LV2_Feature* const* features);
    PluginAdapter(const PluginAdapter&) = delete;
    PluginAdapter& operator=(const PluginAdapter&) = delete;

    void connectPort(std::uint32_t port, void* data) noexcept; // [render]
    // A unit that cannot allocate leaves the instance passing everything through. [host]
    void activate();
    void deactivate(); // [host]
    void run(std::uint32_t frames) noexcept; // [render] never allocates, frees, locks or logs

    LV2_State_Status save(LV2_State_Store_Function store, LV2_State_Handle handle); // [host]
    LV2_State_Status restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle); // [host]

    // The plug-in as the host holds it, for its user interface. [host]
    host::HostedInstance& hostedInstance() { return *instance_; }

private:
    PluginAdapter(const LV2_Feature* const* features, PortLayout layout);
    platform::AUAudioUnitStatus pullInput(platform::AUAudioFrameCount frames, platform::AudioBufferList* into) noexcept;
    void passThrough(std::uint32_t from, std::uint32_t frames) noexcept;
    void pointOutputs(std::uint32_t from, std::uint32_t frames) noexcept;

    std::shared_ptr<HostProcess> process_; // outlives the instance below
    HostFeatures features_;
    Urids urids_;
    PortLayout layout_;
    std::unique_ptr<host::HostedInstance> instance_;

    platform::AUInternalRenderBlock renderBlock_; // empty while not allocated
    platform::AURenderPullInputBlock pullInputBlock_;
    std::uint32_t maxFrames_ = defaultMaxFrames;
    platform::AUEventSampleTime sampleTime_ = 0;
    std::uint32_t sliceStart_ = 0; // the frame of the run the render block is rendering from

    const LV2_Atom_Sequence* midiIn_ = nullptr;
    LV2_Atom_Sequence* midiOut_ = nullptr;
    std::array<const float*, maxAudioChannels> audioIn_{};
    std::array<float*, maxAudioChannels> audioOut_{};
    RenderEventList events_;
    AtomMidiWriter midiWriter_;
    platform::AudioBufferList outputBuffers_;
};

} // namespace vantrel::lv2
