#pragma once
// The distributed notification center's D-Bus backend: a post is a signal on the session bus
// that every process observing it receives; payloads travel as D-Bus variants, so unsigned
// 32-bit numbers, texts, lists and nested dictionaries arrive with their types. A signal of the
// right name with a foreign shape is ignored, as a wrongly typed payload is. When the bus goes
// away, posts stay inside the process and the transport connects again once a bus answers.

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/notify/NotificationCenter.h"

namespace platform {

class DBusNotificationTransport : public NotificationTransport {
public:
    // The object path, interface and member of every post's signal.
    static constexpr const char* objectPath = "/org/tolvane/vantrel";
    static constexpr const char* interfaceName = "org.tolvane.vantrel.Notifications";
    static constexpr const char* memberName = "Posted";

    // Delivers what other processes post to `center`. [main]
    explicit DBusNotificationTransport(NotificationCenter& center);
    ~DBusNotificationTransport() override; // [main] Stops the bus thread.

    void start(); // [main] Starts the bus thread, which connects to the session bus.
    void send(const Notification& notification) override;

    bool connected() const { return connected_.load(); } // [any]

private:
    class Bus;

    void run();
    bool waitForWork(Bus* bus);

    NotificationCenter& center_;
    std::mutex mutex_;
    std::deque<Notification> outgoing_; // under mutex_
    bool stopping_ = false;             // under mutex_
    int wakeFd_ = -1;
    std::atomic<bool> connected_{false};
    std::thread thread_;
};

} // namespace platform
