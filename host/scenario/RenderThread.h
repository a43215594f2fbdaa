#pragma once
// The render thread of a live run: a real thread of its own that runs the render calls the host
// hands it, one at a time, while the host waits for each to finish.

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace vantrel::host {

class RenderThread {
public:
    RenderThread();
    ~RenderThread(); // [host] Ends the thread.
    RenderThread(const RenderThread&) = delete;
    RenderThread& operator=(const RenderThread&) = delete;

    // Runs `call` on the render thread and returns once it has run. [host]
    void run(const std::function<void()>& call);

private:
    void loop();

    std::mutex mutex_;
    std::condition_variable changed_;
    const std::function<void()>* call_ = nullptr;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace vantrel::host
