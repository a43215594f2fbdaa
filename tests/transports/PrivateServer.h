#pragma once
// A server process of the test's own (jackd with the dummy driver, a session dbus-daemon),
// started for the test's scope and stopped with it.

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace transports_test {

class PrivateServer {
public:
    // Starts `command`; ready() polls `isUp` until it holds or `deadline` passes.
    PrivateServer(std::vector<std::string> command, std::function<bool()> isUp);
    ~PrivateServer(); // SIGTERM, then SIGKILL if it has not ended within 3 s.
    PrivateServer(const PrivateServer&) = delete;
    PrivateServer& operator=(const PrivateServer&) = delete;

    bool ready(std::chrono::milliseconds deadline = std::chrono::seconds(5)) const;

private:
    pid_t pid_ = -1;
    std::function<bool()> isUp_;
};

// A directory of its own under the temporary directory, removed with everything in it.
struct ScratchDirectory {
    ScratchDirectory();
    ~ScratchDirectory();
    std::string path;
};

} // namespace transports_test
