#pragma once
// The audio a render block reads and writes: one buffer per channel for the standard
// (non-interleaved) format, owned by the host.

#include <cstdint>

namespace platform {

struct AudioBuffer {
    std::uint32_t mNumberChannels = 1;
    std::uint32_t mDataByteSize = 0; // bytes of mData
    void* mData = nullptr;           // null: no data
};

// Holds up to kAudioBufferListCapacity buffers; mNumberBuffers never exceeds it.
inline constexpr std::uint32_t kAudioBufferListCapacity = 8;

struct AudioBufferList {
    std::uint32_t mNumberBuffers = 0;
    AudioBuffer mBuffers[kAudioBufferListCapacity];
};

inline constexpr std::uint32_t kAudioTimeStampSampleTimeValid = 1u << 0;
inline constexpr std::uint32_t kAudioTimeStampHostTimeValid = 1u << 1;

struct AudioTimeStamp {
    double mSampleTime = 0;
    std::uint64_t mHostTime = 0;
    double mRateScalar = 1;
    std::uint32_t mFlags = 0; // which of the fields above are valid
};

} // namespace platform
