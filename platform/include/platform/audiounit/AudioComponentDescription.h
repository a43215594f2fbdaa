#pragma once
// What identifies an audio unit to a host: its type, subtype and manufacturer codes. A host takes
// them from the plug-in's bundle description and passes them to the audio unit's constructor.

#include <cstdint>
#include <string>

namespace platform {

using OSType = std::uint32_t;

// 'aumi' style four-character codes, first character in the most significant byte.
constexpr OSType fourCharCode(const char (&code)[5]) noexcept {
    return (OSType(std::uint8_t(code[0])) << 24) | (OSType(std::uint8_t(code[1])) << 16) |
           (OSType(std::uint8_t(code[2])) << 8) | OSType(std::uint8_t(code[3]));
}

// The four characters of a code ("aumi"); bytes outside printable ASCII show as '?'. [any]
std::string fourCharCodeString(OSType code);

inline constexpr OSType kAudioUnitType_MIDIProcessor = fourCharCode("aumi");
inline constexpr OSType kAudioUnitType_Effect = fourCharCode("aufx");

struct AudioComponentDescription {
    OSType componentType = 0;
    OSType componentSubType = 0;
    OSType componentManufacturer = 0;
    std::uint32_t componentFlags = 0;
    std::uint32_t componentFlagsMask = 0;
    friend bool operator==(const AudioComponentDescription&, const AudioComponentDescription&) = default;
};

// How a host asks for an instance; the plug-ins create theirs with none.
using AudioComponentInstantiationOptions = std::uint32_t;

} // namespace platform
