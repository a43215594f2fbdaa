#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "platform/dispatch/DispatchQueue.h"
#include "platform/dispatch/ThreadedExecutor.h"
#include "platform/notify/dbus/DBusNotificationTransport.h"
#include "platform/sim/LivePlatform.h"

namespace platform {
namespace {

using namespace std::chrono_literals;

// Same value and same JSON types all the way down: 5u, 5 and 5.0 compare equal as values.
bool sameTypes(const Value& a, const Value& b) {
    if (a.type() != b.type() || a.size() != b.size()) return false;
    if (a.is_object()) {
        for (const auto& [key, item] : a.items()) {
            if (!b.contains(key) || !sameTypes(item, b[key])) return false;
        }
        return true;
    }
    if (a.is_array()) {
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (!sameTypes(a[i], b[i])) return false;
        }
        return true;
    }
    return a == b;
}

// One process's center and transport, and what its observer heard.
struct Process {
    explicit Process(ThreadedExecutor& executor) : transport(std::make_shared<DBusNotificationTransport>(center)) {
        center.setTransport(transport);
        center.addObserver("", DispatchQueue(executor.makeQueue("observer")), [this](const Notification& heard) {
            std::lock_guard guard(mutex);
            notifications.push_back(heard);
            arrived.notify_all();
        });
        transport->start();
    }
    ~Process() { center.setTransport(nullptr); }

    bool connected() const {
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (!transport->connected() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(10ms);
        return transport->connected();
    }
    std::optional<Notification> next(std::size_t index) {
        std::unique_lock lock(mutex);
        if (!arrived.wait_for(lock, 5s, [&] { return notifications.size() > index; })) return std::nullopt;
        return notifications[index];
    }

    NotificationCenter center;
    std::shared_ptr<DBusNotificationTransport> transport;
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<Notification> notifications;
};

TEST(DBusNotifications, PayloadsCrossToTheOtherProcessWithTheirTypes) {
    LivePlatform live; // the queues' clock
    ThreadedExecutor executor;
    Process poster(executor);
    Process observer(executor);
    ASSERT_TRUE(poster.connected() && observer.connected());

    const std::vector<std::optional<Dictionary>> payloads{
        std::nullopt,
        Dictionary::object(),
        Dictionary{{"uid", 4000000000u}, {"trackName", "Strings ä"}},
        Dictionary{{"names", {"legato", "pizz"}}, {"notes", {24u, 25u}}},
        Dictionary{{"nested", {{"deeper", {{"n", 1u}}}, {"list", Value::array()}}}},
        Dictionary{{"negative", -3}, {"fraction", 0.25}, {"flag", true}, {"big", 1ull << 40}},
    };
    for (std::size_t i = 0; i < payloads.size(); ++i) {
        poster.center.post("com.marlek.vantrel.test", payloads[i]);
        const auto heard = observer.next(i);
        ASSERT_TRUE(heard) << "payload " << i << " did not arrive";
        EXPECT_EQ(heard->name, "com.marlek.vantrel.test");
        ASSERT_EQ(heard->userInfo.has_value(), payloads[i].has_value()) << i;
        if (payloads[i]) {
            EXPECT_TRUE(sameTypes(*heard->userInfo, *payloads[i])) << heard->userInfo->dump();
        }
    }
    // The poster heard each of its own posts once, in-process, not again from the bus.
    ASSERT_TRUE(poster.next(payloads.size() - 1));
    std::lock_guard guard(poster.mutex);
    EXPECT_EQ(poster.notifications.size(), payloads.size());
}

} // namespace
} // namespace platform
