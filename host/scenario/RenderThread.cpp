#include "host/scenario/RenderThread.h"

namespace vantrel::host {

RenderThread::RenderThread() : thread_([this] { loop(); }) {}

RenderThread::~RenderThread() {
    {
        std::lock_guard guard(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void RenderThread::run(const std::function<void()>& call) {
    std::unique_lock lock(mutex_);
    call_ = &call;
    changed_.notify_all();
    changed_.wait(lock, [this] { return call_ == nullptr; });
}

void RenderThread::loop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || call_ != nullptr; });
        if (call_ != nullptr) {
            const std::function<void()>* call = call_;
            // The host waits for the call, not for the lock: the call runs without it.
            lock.unlock();
            (*call)();
            lock.lock();
            call_ = nullptr;
            changed_.notify_all();
        } else if (stopping_) {
            return;
        }
    }
}

} // namespace vantrel::host
