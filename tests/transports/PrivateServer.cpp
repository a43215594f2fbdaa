#include "PrivateServer.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

namespace transports_test {

using Clock = std::chrono::steady_clock;

PrivateServer::PrivateServer(std::vector<std::string> command, std::function<bool()> isUp)
    : isUp_(std::move(isUp)) {
    std::vector<char*> arguments;
    for (auto& word : command)
        arguments.push_back(word.data());
    arguments.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
        setpgid(0, 0);
        // Quiet: the servers' chatter is not the test's output.
        freopen("/dev/null", "w", stdout);
        freopen("/dev/null", "w", stderr);
        execvp(arguments[0], arguments.data());
        _exit(127);
    }
    if (pid_ > 0) setpgid(pid_, pid_); // either side may get there first
}

PrivateServer::~PrivateServer() {
    if (pid_ <= 0) return;
    kill(-pid_, SIGTERM);
    const auto deadline = Clock::now() + std::chrono::seconds(3);
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
        if (Clock::now() >= deadline) {
            kill(-pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

bool PrivateServer::ready(std::chrono::milliseconds deadline) const {
    const auto end = Clock::now() + deadline;
    while (Clock::now() < end) {
        if (pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) != 0) return false; // it ended
        if (isUp_()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

ScratchDirectory::ScratchDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vantrel-transports-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path = pattern;
}

ScratchDirectory::~ScratchDirectory() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
}

} // namespace transports_test
