#include "receiver/ReceiverTable.h"

#include <chrono>
#include <cstdio>

namespace vantrel::receiver {

namespace {

std::string hex(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    for (const std::uint8_t byte : bytes) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%s%02X", text.empty() ? "" : " ", byte);
        text += digits;
    }
    return text;
}

// The last controller, pressure, pitch-wheel and channel-16 values, as the monitor reported them.
std::string lastValues(const MonitorReport& monitor) {
    std::string text;
    for (const auto& [key, event] : monitor.lastEvents)
        text += " [" + hex(event) + "]";
    return text.empty() ? " -" : text;
}

std::string bar(std::uint8_t level) {
    return std::string(level / 8u, '#') + std::string(16 - level / 8u, '.');
}

} // namespace

std::vector<std::string> monitorLines(const std::vector<MonitorReport>& monitors, const InstanceWatch& watch) {
    std::vector<std::string> lines;
    for (const MonitorReport& monitor : monitors) {
        const InstanceFlags flags = watch.flags(monitor.uid);
        char since[32] = "never";
        if (flags.sinceHeartbeat) {
            std::snprintf(since, sizeof since, "%.1fs",
                          std::chrono::duration<double>(*flags.sinceHeartbeat).count());
        }
        char head[160];
        std::snprintf(head, sizeof head, "monitor uid=%u track=\"%s\" %s heartbeat=%s events=%llu", monitor.uid,
                      monitor.trackName.c_str(), monitor.connected ? "connected" : "unconnected", since,
                      static_cast<unsigned long long>(monitor.events));
        std::string line = head;
        line += " last:" + lastValues(monitor);
        if (flags.stale) line += " STALE";
        if (flags.withoutHeartbeat) line += " NO-HEARTBEAT";
        if (flags.sharedUid) line += " SHARED-UID";
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<std::string> meterLines(const std::vector<MeterReport>& meters) {
    std::vector<std::string> lines;
    for (const MeterReport& meter : meters) {
        char line[160];
        std::snprintf(line, sizeof line, "meter instance=%u track=%u L=%3u %s R=%3u %s messages=%llu",
                      meter.instanceID, meter.trackNr, meter.peakL, bar(meter.peakL).c_str(), meter.peakR,
                      bar(meter.peakR).c_str(), static_cast<unsigned long long>(meter.messages));
        lines.emplace_back(line);
    }
    return lines;
}

} // namespace vantrel::receiver
