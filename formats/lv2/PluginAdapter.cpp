#include "formats/lv2/PluginAdapter.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <string>

#include <lv2/atom/util.h>

namespace vantrel::lv2 {

using namespace platform;

std::unique_ptr<PluginAdapter> PluginAdapter::instantiate(const char* pluginUri, PortLayout layout,
                                                          const char* bundlePath,
                                                          const LV2_Feature* const* features) {
    std::unique_ptr<PluginAdapter> adapter(new PluginAdapter(features, layout));
    const std::string name = pluginUri;
    if (layout.midi && !adapter->features_.canMap()) {
        adapter->features_.logError(name + ": the host offers no URID map, so no MIDI");
        return nullptr;
    }
    if (layout.audioChannels > maxAudioChannels) {
        adapter->features_.logError(name + ": more audio channels than the adapter carries");
        return nullptr;
    }
    try {
        if (adapter->features_.canMap()) adapter->urids_ = adapter->features_.mapUrids(pluginUri);
        adapter->process_ = HostProcess::acquire();
        const auto& component = adapter->process_->component(bundlePath);
        adapter->instance_ = host::HostedInstance::create(adapter->process_->registry(), component);
    } catch (const std::exception& problem) {
        adapter->features_.logError(name + ": " + problem.what());
        return nullptr;
    }
    return adapter;
}

PluginAdapter::PluginAdapter(const LV2_Feature* const* features, PortLayout layout)
    : features_(features), layout_(layout),
      pullInputBlock_([this](AudioUnitRenderActionFlags*, const AudioTimeStamp*, AUAudioFrameCount frames,
                             NSInteger, AudioBufferList* into) { return pullInput(frames, into); }) {
    if (features_.maxBlockLength()) maxFrames_ = *features_.maxBlockLength();
    outputBuffers_.mNumberBuffers = layout_.audioChannels;
}

void PluginAdapter::connectPort(std::uint32_t port, void* data) noexcept {
    if (layout_.midi) {
        if (port == 0) {
            midiIn_ = static_cast<const LV2_Atom_Sequence*>(data);
            return;
        }
        if (port == 1) {
            midiOut_ = static_cast<LV2_Atom_Sequence*>(data);
            return;
        }
        port -= 2;
    }
    if (port < layout_.audioChannels) {
        audioIn_[port] = static_cast<const float*>(data);
    } else if (port < 2 * layout_.audioChannels) {
        audioOut_[port - layout_.audioChannels] = static_cast<float*>(data);
    }
}

void PluginAdapter::activate() {
    sampleTime_ = 0;
    instance_->unit()->setMaximumFramesToRender(maxFrames_);
    AUMIDIOutputEventBlock midiOutput;
    if (layout_.midi) {
        midiOutput = [this](AUEventSampleTime sampleTime, std::uint8_t, NSInteger length, const std::uint8_t* bytes) {
            return midiWriter_.write(sampleTime, bytes, static_cast<std::size_t>(length)) ? 0 : -1;
        };
    }
    try {
        instance_->allocate(std::move(midiOutput));
        renderBlock_ = instance_->renderBlock();
    } catch (const std::exception& problem) {
        renderBlock_ = {};
        features_.logError(std::string("cannot allocate render resources, passing through: ") + problem.what());
    }
}

void PluginAdapter::deactivate() {
    if (!renderBlock_) return;
    renderBlock_ = {};
    instance_->deallocate();
}

void PluginAdapter::run(std::uint32_t frames) noexcept {
    midiWriter_.begin(midiOut_, urids_.atomSequence, urids_.midiEvent, sampleTime_, frames);
    if (!renderBlock_) {
        passThrough(0, frames);
    } else {
        events_.read(midiIn_, urids_.midiEvent, sampleTime_);
        for (sliceStart_ = 0; sliceStart_ < frames; sliceStart_ += maxFrames_) {
            const std::uint32_t slice = std::min(maxFrames_, frames - sliceStart_);
            pointOutputs(sliceStart_, slice);
            AudioTimeStamp timestamp;
            timestamp.mSampleTime = static_cast<double>(sampleTime_ + sliceStart_);
            timestamp.mFlags = kAudioTimeStampSampleTimeValid;
            AudioUnitRenderActionFlags flags = 0;
            const AURenderEvent* events = events_.slice(sliceStart_, sliceStart_ + slice);
            if (renderBlock_(&flags, &timestamp, slice, 0, &outputBuffers_, events, pullInputBlock_) != noErr)
                passThrough(sliceStart_, slice);
        }
    }
    sampleTime_ += frames;
}

void PluginAdapter::pointOutputs(std::uint32_t from, std::uint32_t frames) noexcept {
    for (std::uint32_t channel = 0; channel < layout_.audioChannels; ++channel) {
        AudioBuffer& buffer = outputBuffers_.mBuffers[channel];
        buffer.mData = audioOut_[channel] != nullptr ? audioOut_[channel] + from : nullptr;
        buffer.mDataByteSize = buffer.mData != nullptr ? frames * static_cast<std::uint32_t>(sizeof(float)) : 0;
    }
}

AUAudioUnitStatus PluginAdapter::pullInput(AUAudioFrameCount frames, AudioBufferList* into) noexcept {
    const std::uint32_t channels = std::min(into->mNumberBuffers, layout_.audioChannels);
    for (std::uint32_t channel = 0; channel < channels; ++channel) {
        auto* to = static_cast<float*>(into->mBuffers[channel].mData);
        if (to == nullptr) continue;
        const std::uint32_t count = std::min<std::uint32_t>(frames, into->mBuffers[channel].mDataByteSize / sizeof(float));
        const float* from = audioIn_[channel] != nullptr ? audioIn_[channel] + sliceStart_ : nullptr;
        if (from == nullptr) {
            std::fill_n(to, count, 0.0f);
        } else if (from != to) {
            std::memmove(to, from, count * sizeof(float));
        }
    }
    return noErr;
}

// What the instance does when the unit cannot render: the host's audio and MIDI, untouched.
void PluginAdapter::passThrough(std::uint32_t from, std::uint32_t frames) noexcept {
    pointOutputs(from, frames);
    sliceStart_ = from;
    pullInput(frames, &outputBuffers_);
    if (midiIn_ == nullptr) return;
    LV2_ATOM_SEQUENCE_FOREACH (midiIn_, event) {
        if (event->time.frames < from || event->time.frames >= from + frames) continue;
        midiWriter_.write(sampleTime_ + event->time.frames,
                          static_cast<const std::uint8_t*>(LV2_ATOM_BODY_CONST(&event->body)), event->body.size);
    }
}

LV2_State_Status PluginAdapter::save(LV2_State_Store_Function store, LV2_State_Handle handle) {
    if (urids_.fullState == 0) return LV2_STATE_ERR_NO_FEATURE;
    try {
        const auto state = instance_->unit()->fullState();
        if (!state) return LV2_STATE_SUCCESS;
        const std::string text = state->dump();
        return store(handle, urids_.fullState, text.c_str(), text.size() + 1, urids_.atomString,
                     LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
    } catch (const std::exception& problem) {
        features_.logError(std::string("cannot save the state: ") + problem.what());
        return LV2_STATE_ERR_UNKNOWN;
    }
}

LV2_State_Status PluginAdapter::restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle) {
    if (urids_.fullState == 0) return LV2_STATE_ERR_NO_FEATURE;
    std::size_t size = 0;
    std::uint32_t type = 0;
    std::uint32_t flags = 0;
    const void* value = retrieve(handle, urids_.fullState, &size, &type, &flags);
    if (value == nullptr) return LV2_STATE_SUCCESS;
    if (type != urids_.atomString) {
        features_.logError("the saved state is not text; the current state stays");
        return LV2_STATE_ERR_BAD_TYPE;
    }
    const char* text = static_cast<const char*>(value);
    const auto state = Dictionary::parse(text, text + strnlen(text, size), nullptr, false);
    if (!state.is_object()) {
        features_.logError("the saved state is not a JSON object; the current state stays");
        return LV2_STATE_ERR_UNKNOWN;
    }
    try {
        instance_->unit()->setFullState(state);
    } catch (const std::exception& problem) {
        features_.logError(std::string("cannot restore the state: ") + problem.what());
        return LV2_STATE_ERR_UNKNOWN;
    }
    return LV2_STATE_SUCCESS;
}

} // namespace vantrel::lv2
