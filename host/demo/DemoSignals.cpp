#include "host/demo/DemoSignals.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vantrel::host {

namespace {

// A triangle from 0 up to 1 and back over `period` seconds.
double triangle(double seconds, double period) {
    const double phase = std::fmod(seconds, period) / period;
    return phase < 0.5 ? 2 * phase : 2 - 2 * phase;
}

// Whether the span [start, start + length) of seconds contains a multiple of `every` plus `offset`.
bool ticks(double start, double length, double every, double offset = 0) {
    const double first = std::ceil((start - offset) / every) * every + offset;
    return first >= start && first < start + length;
}

std::uint8_t midiValue(double unit) {
    return static_cast<std::uint8_t>(std::clamp(unit, 0.0, 1.0) * 127 + 0.5);
}

} // namespace

void DemoMIDI::add(std::int64_t sampleTime, std::uint8_t status, std::uint8_t data1, std::uint8_t data2,
                   std::uint16_t length) noexcept {
    if (count_ == capacity) return;
    platform::AUMIDIEvent& event = events_[count_].MIDI;
    event = {};
    event.eventSampleTime = sampleTime;
    event.eventType = platform::AURenderEventMIDI;
    event.length = length;
    event.data[0] = status;
    event.data[1] = data1;
    event.data[2] = data2;
    if (count_ > 0) events_[count_ - 1].head.next = &events_[count_];
    ++count_;
}

const platform::AURenderEvent* DemoMIDI::cycleEvents(std::uint64_t cycle) noexcept {
    count_ = 0;
    const auto sampleTime = static_cast<std::int64_t>(cycle * demoCycleFrames);
    const double start = static_cast<double>(sampleTime) / demoSampleRate;
    const double length = demoCycleFrames / demoSampleRate;
    const auto controller = [&](std::uint8_t channel, std::uint8_t number, std::uint8_t value) {
        if (lastController_[number] == value) return;
        lastController_[number] = value;
        add(sampleTime, static_cast<std::uint8_t>(0xB0 | channel), number, value);
    };

    if (style_ == 0) {
        controller(0, 1, midiValue(triangle(start, 2.0)));                                    // modulation
        controller(0, 11, midiValue(0.5 + 0.4 * std::sin(2 * std::numbers::pi * start / 5))); // expression
        const int pitch = static_cast<int>(8192 + 6000 * std::sin(2 * std::numbers::pi * start / 3));
        if (pitch >> 7 != lastPitchMSB_) {
            lastPitchMSB_ = pitch >> 7;
            add(sampleTime, 0xE0, static_cast<std::uint8_t>(pitch & 0x7F),
                static_cast<std::uint8_t>(pitch >> 7));
        }
        const int pressure = midiValue(triangle(start, 1.3));
        if (pressure / 8 != lastPressure_ / 8) {
            lastPressure_ = pressure;
            add(sampleTime, 0xD0, static_cast<std::uint8_t>(pressure), 0, 2);
        }
        if (ticks(start, length, 0.5)) {
            const auto velocity = static_cast<std::uint8_t>(40 + static_cast<int>(start * 37) % 87);
            add(sampleTime, 0x90, 60 + static_cast<std::uint8_t>(static_cast<int>(start * 2) % 12), velocity);
        }
        if (ticks(start, length, 2.0, 0.25)) {
            const auto index = static_cast<std::size_t>(start / 2.0) % demoArticulationNotes.size();
            add(sampleTime, 0x90, static_cast<std::uint8_t>(demoArticulationNotes[index]), 100);
        }
        if (ticks(start, length, 1.5, 0.1)) add(sampleTime, 0x9F, 48, 100); // channel 16
        if (ticks(start, length, 1.5, 0.3)) add(sampleTime, 0x8F, 48, 0);
    } else {
        controller(0, 7, midiValue(triangle(start, 4.0)));                                      // volume
        controller(0, 74, midiValue(0.5 + 0.5 * std::sin(2 * std::numbers::pi * start / 2.5))); // brightness
        controller(0, 64, std::fmod(start, 2.0) < 1.0 ? 127 : 0); // sustain, 1 s on
        if (ticks(start, length, 0.75)) {
            const auto velocity = static_cast<std::uint8_t>(60 + static_cast<int>(start * 53) % 67);
            add(sampleTime, 0x91, 55, velocity);
        }
        if (ticks(start, length, 2.5, 1.0)) {
            const auto index = static_cast<std::size_t>(start / 2.5 + 2) % demoArticulationNotes.size();
            add(sampleTime, 0x91, static_cast<std::uint8_t>(demoArticulationNotes[index]), 90);
        }
        if (ticks(start, length, 2.0, 0.6)) add(sampleTime, 0x9F, 50, 64); // channel 16
    }
    return count_ == 0 ? nullptr : &events_[0];
}

void DemoAudio::render(platform::AudioBufferList& data, platform::AUAudioFrameCount frames) noexcept {
    for (platform::AUAudioFrameCount i = 0; i < frames; ++i) {
        const double t = static_cast<double>(frame_ + i) / demoSampleRate;
        float left = 0;
        float right = 0;
        if (style_ == 0) {
            const double level = 0.05 + 0.85 * triangle(t, 4.0);
            left = static_cast<float>(level * std::sin(2 * std::numbers::pi * 220 * t));
            right = static_cast<float>(0.3 * level * std::sin(2 * std::numbers::pi * 330 * t));
        } else if (std::fmod(t, 2.0) < 1.0) {
            left = static_cast<float>(0.5 * std::sin(2 * std::numbers::pi * 440 * t));
        }
        for (std::uint32_t b = 0; b < data.mNumberBuffers && b < 2; ++b) {
            auto* samples = static_cast<float*>(data.mBuffers[b].mData);
            if (samples != nullptr && (i + 1) * sizeof(float) <= data.mBuffers[b].mDataByteSize)
                samples[i] = b == 0 ? left : right;
        }
    }
    frame_ += frames;
}

} // namespace vantrel::host
