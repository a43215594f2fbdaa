#include "platform/notify/dbus/DBusNotificationTransport.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <sdbus-c++/sdbus-c++.h>

#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace platform {

namespace {

using VariantDictionary = std::map<std::string, sdbus::Variant>;

// D-Bus has no null: it travels as an empty list.
sdbus::Variant toVariant(const Value& value) {
    switch (value.type()) {
    case Value::value_t::object: {
        VariantDictionary dictionary;
        for (const auto& [key, item] : value.items())
            dictionary.emplace(key, toVariant(item));
        return sdbus::Variant(dictionary);
    }
    case Value::value_t::array: {
        std::vector<sdbus::Variant> list;
        for (const auto& item : value)
            list.push_back(toVariant(item));
        return sdbus::Variant(list);
    }
    case Value::value_t::string: return sdbus::Variant(value.get<std::string>());
    case Value::value_t::boolean: return sdbus::Variant(value.get<bool>());
    case Value::value_t::number_unsigned: {
        const auto number = value.get<std::uint64_t>();
        if (number <= std::numeric_limits<std::uint32_t>::max())
            return sdbus::Variant(static_cast<std::uint32_t>(number));
        return sdbus::Variant(number);
    }
    case Value::value_t::number_integer: return sdbus::Variant(value.get<std::int64_t>());
    case Value::value_t::number_float: return sdbus::Variant(value.get<double>());
    default: return sdbus::Variant(std::vector<sdbus::Variant>{});
    }
}

// None for a type no post of ours sends.
std::optional<Value> fromVariant(const sdbus::Variant& variant) {
    const std::string type = variant.peekValueType();
    if (type == "u") return Value(variant.get<std::uint32_t>());
    if (type == "t") return Value(variant.get<std::uint64_t>());
    if (type == "x") return Value(variant.get<std::int64_t>());
    if (type == "d") return Value(variant.get<double>());
    if (type == "b") return Value(variant.get<bool>());
    if (type == "s") return Value(variant.get<std::string>());
    if (type == "av") {
        Value list = Value::array();
        for (const auto& item : variant.get<std::vector<sdbus::Variant>>()) {
            auto converted = fromVariant(item);
            if (!converted) return std::nullopt;
            list.push_back(std::move(*converted));
        }
        return list;
    }
    if (type == "a{sv}") {
        Value dictionary = Value::object();
        for (const auto& [key, item] : variant.get<VariantDictionary>()) {
            auto converted = fromVariant(item);
            if (!converted) return std::nullopt;
            dictionary[key] = std::move(*converted);
        }
        return dictionary;
    }
    return std::nullopt;
}

// A post's signal is (name, has user info, user info); none when `message` has another shape.
std::optional<Notification> readPost(sdbus::Message& message) {
    try {
        std::string name;
        bool hasUserInfo = false;
        sdbus::Variant userInfo;
        message >> name >> hasUserInfo >> userInfo;
        if (!hasUserInfo) return Notification{std::move(name), std::nullopt};
        auto dictionary = fromVariant(userInfo);
        if (!dictionary || !dictionary->is_object()) return std::nullopt;
        return Notification{std::move(name), std::move(*dictionary)};
    } catch (const sdbus::Error&) {
        return std::nullopt;
    }
}

} // namespace

// One connection to the session bus, used only on the transport's thread: sd-bus connections
// are not for sharing between threads.
class DBusNotificationTransport::Bus {
public:
    // Throws sdbus::Error when no session bus answers.
    explicit Bus(NotificationCenter& center)
        : connection_(sdbus::createSessionBusConnection()),
          object_(sdbus::createObject(*connection_, objectPath)), ownName_(connection_->getUniqueName()) {
        const std::string rule = std::string("type='signal',interface='") + interfaceName + "',member='" +
                                 memberName + "'";
        match_ = connection_->addMatch(rule, [this, &center](sdbus::Message& message) {
            if (message.getSender() == ownName_) return; // delivered in-process when posted
            if (auto notification = readPost(message)) center.deliverFromElsewhere(*notification);
        });
    }

    void emit(const Notification& notification) {
        auto signal = object_->createSignal(interfaceName, memberName);
        signal << notification.name << notification.userInfo.has_value()
               << toVariant(notification.userInfo.value_or(Value::object()));
        object_->emitSignal(signal);
    }

    // Handles everything the bus has ready; throws sdbus::Error when the bus is gone.
    void process() {
        while (connection_->processPendingRequest()) {
        }
    }

    sdbus::IConnection::PollData pollData() const { return connection_->getEventLoopPollData(); }

private:
    std::unique_ptr<sdbus::IConnection> connection_;
    std::unique_ptr<sdbus::IObject> object_;
    std::string ownName_;
    sdbus::Slot match_;
};

DBusNotificationTransport::DBusNotificationTransport(NotificationCenter& center)
    : center_(center), wakeFd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

DBusNotificationTransport::~DBusNotificationTransport() {
    {
        std::lock_guard guard(mutex_);
        stopping_ = true;
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = write(wakeFd_, &one, sizeof one);
    if (thread_.joinable()) thread_.join();
    close(wakeFd_);
}

void DBusNotificationTransport::start() {
    thread_ = std::thread([this] { run(); });
}

void DBusNotificationTransport::send(const Notification& notification) {
    if (!connected_.load()) return;
    {
        std::lock_guard guard(mutex_);
        outgoing_.push_back(notification);
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = write(wakeFd_, &one, sizeof one);
}

void DBusNotificationTransport::run() {
    using namespace std::chrono_literals;
    while (true) {
        std::unique_ptr<Bus> bus;
        try {
            bus = std::make_unique<Bus>(center_);
        } catch (const sdbus::Error&) {
        }
        connected_.store(bus != nullptr);
        try {
            while (waitForWork(bus.get())) {
                if (!bus) break;
                std::deque<Notification> posts;
                {
                    std::lock_guard guard(mutex_);
                    posts.swap(outgoing_);
                }
                for (const auto& post : posts)
                    bus->emit(post);
                bus->process();
            }
        } catch (const sdbus::Error&) {
            // The bus went away: connect again below.
        }
        connected_.store(false);
        {
            std::lock_guard guard(mutex_);
            outgoing_.clear();
            if (stopping_) return;
        }
    }
}

// Waits for the bus, a post or a stop (a second between attempts when there is no bus); false
// when it is time to stop.
bool DBusNotificationTransport::waitForWork(Bus* bus) {
    pollfd fds[2] = {{wakeFd_, POLLIN, 0}, {-1, 0, 0}};
    int timeout = 1000;
    if (bus) {
        const auto data = bus->pollData();
        fds[1] = {data.fd, data.events, 0};
        if (const auto relative = data.getRelativeTimeout()) {
            timeout = static_cast<int>(std::min<std::int64_t>(relative->count() / 1000 + 1, 1000));
        }
    }
    poll(fds, bus ? 2 : 1, timeout);
    std::uint64_t drained = 0;
    [[maybe_unused]] const auto read = ::read(wakeFd_, &drained, sizeof drained);
    std::lock_guard guard(mutex_);
    return !stopping_;
}

} // namespace platform
