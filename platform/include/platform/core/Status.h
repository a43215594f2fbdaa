#pragma once
// Status results of platform calls, and the platform's own exception type.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace platform {

using OSStatus = std::int32_t;
inline constexpr OSStatus noErr = 0;

// What the platform raises from inside a call (a send, for example) instead of returning a
// status. Callers that must survive it catch exactly this type.
class PlatformException : public std::runtime_error {
public:
    explicit PlatformException(const std::string& description) : std::runtime_error(description) {}
    std::string description() const { return what(); }
};

// An error handed back by a failable platform constructor or operation.
class PlatformError : public std::runtime_error {
public:
    PlatformError(OSStatus status, const std::string& what) : std::runtime_error(what), status_(status) {}
    OSStatus status() const { return status_; }

private:
    OSStatus status_;
};

} // namespace platform
