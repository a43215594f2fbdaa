// An audio meter's render call with any buffer list a host might hand it: a frame count, up to
// eight buffers with or without data and of any size, samples of any bit pattern (NaNs,
// infinities, huge values), a pull-input block or none, a failing pull. The output must hold
// exactly what the pull put there, bit for bit, and the call must return the pull's status.

#include <algorithm>
#include <bit>
#include <vector>

#include "FuzzSupport.h"
#include "support/HostedMeter.h"

using namespace vantrel;

namespace {

// Linked to the receiver, so that the send windows really send.
struct Fixture : test::HostedMeter {
    Fixture() {
        receiver.up();
        unit->allocateRenderResources();
        block = unit->internalRenderBlock();
    }
    std::shared_ptr<Unit> unit = createUnit();
    platform::AUInternalRenderBlock block;
};

constexpr std::uint32_t maxFrames = 8192;
constexpr std::uint32_t untouchedPattern = 0xA5A5A5A5;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Fixture* const fixture = new Fixture;
    fixture->sim.log().clear();

    fuzz::ByteReader reader(data, size);
    const std::uint32_t frames = reader.take<std::uint16_t>() % (maxFrames + 1);
    const std::uint32_t bufferCount = reader.take<std::uint8_t>() % (platform::kAudioBufferListCapacity + 1);
    const std::uint8_t pullFlags = reader.take<std::uint8_t>();
    const bool pull = (pullFlags & 1) == 0;
    const platform::OSStatus pullStatus = (pullFlags & 2) != 0 ? -10863 : platform::noErr;

    platform::AudioBufferList list{};
    list.mNumberBuffers = bufferCount;
    std::vector<std::vector<float>> input(bufferCount);
    std::vector<std::vector<float>> output(bufferCount);
    for (std::uint32_t index = 0; index < bufferCount; ++index) {
        const std::uint16_t shape = reader.take<std::uint16_t>();
        const std::uint32_t capacity = (shape & 0x8000) != 0 ? (shape & 0x1FFF) : frames;
        input[index].resize(capacity);
        output[index].assign(capacity, std::bit_cast<float>(untouchedPattern));
        list.mBuffers[index].mDataByteSize = capacity * sizeof(float);
        list.mBuffers[index].mData = (shape & 0x4000) != 0 ? nullptr : output[index].data();
    }
    // The samples: the rest of the input, over and over.
    const auto samples = reader.rest();
    std::size_t next = 0;
    for (auto& channel : input) {
        for (float& sample : channel) {
            std::uint8_t bytes[sizeof(float)] = {};
            for (std::uint8_t& byte : bytes)
                byte = samples.empty() ? 0 : samples[next++ % samples.size()];
            std::memcpy(&sample, bytes, sizeof sample);
        }
    }

    int pulls = 0;
    platform::AURenderPullInputBlock pullBlock;
    if (pull) {
        pullBlock = [&](platform::AudioUnitRenderActionFlags*, const platform::AudioTimeStamp*,
                        platform::AUAudioFrameCount frameCount, platform::NSInteger,
                        platform::AudioBufferList* buffers) {
            ++pulls;
            for (std::uint32_t index = 0; index < bufferCount; ++index) {
                if (buffers->mBuffers[index].mData == nullptr) continue;
                std::copy_n(input[index].begin(), std::min<std::size_t>(frameCount, input[index].size()),
                            static_cast<float*>(buffers->mBuffers[index].mData));
            }
            return pullStatus;
        };
    }
    platform::AudioUnitRenderActionFlags flags = 0;
    const platform::AudioTimeStamp timestamp{};
    const auto status = fixture->block(&flags, &timestamp, frames, 0, &list, nullptr, pullBlock);

    fuzz::require(pulls == (pull ? 1 : 0), "the pull-input block was not called exactly once");
    fuzz::require(status == (pull ? pullStatus : platform::noErr), "the render call returned another status");
    const auto bits = [](float sample) { return std::bit_cast<std::uint32_t>(sample); };
    for (std::uint32_t index = 0; index < bufferCount; ++index) {
        std::vector<float> expected(output[index].size(), std::bit_cast<float>(untouchedPattern));
        if (pull && list.mBuffers[index].mData != nullptr)
            std::copy_n(input[index].begin(), std::min<std::size_t>(frames, input[index].size()),
                        expected.begin());
        fuzz::require(std::ranges::equal(expected, output[index], {}, bits, bits),
                      "an output buffer differs from its input, bit for bit");
    }
    return 0;
}
