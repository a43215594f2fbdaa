#include "host/demo/DemoDisplay.h"

#include <algorithm>
#include <chrono>
#include <cstdarg>

namespace vantrel::host {

namespace {

std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

std::string format(const char* pattern, ...) {
    char text[512];
    va_list arguments;
    va_start(arguments, pattern);
    std::vsnprintf(text, sizeof text, pattern, arguments);
    va_end(arguments);
    return text;
}

std::string meterTrack(const DemoPicture& picture, const receiver::MeterReport& meter) {
    if (meter.trackNr == 0) return "-";
    const auto name = picture.meterTrackNames.find(meter.trackNr);
    return std::to_string(meter.trackNr) + (name != picture.meterTrackNames.end() ? " " + name->second : "");
}

std::string monitorTrack(const receiver::MonitorReport& monitor) {
    return monitor.trackName.empty() ? "-" : monitor.trackName;
}

double secondsOf(platform::TimePoint time) {
    return std::chrono::duration<double>(time).count();
}

std::string monitorState(const receiver::MonitorReport& monitor) {
    if (monitor.connected) return "connected";
    return monitor.connectRequests > 0 ? "disconnected" : "not connected";
}

} // namespace

std::string describeLastValues(const receiver::MonitorReport& monitor) {
    std::string words;
    for (const auto& entry : monitor.lastEvents) {
        const auto& event = entry.second; // a named reference: clang 14 cannot capture a binding
        const int type = event[0] & 0xF0;
        const int channel = (event[0] & 0x0F) + 1;
        const auto byte = [&](std::size_t i) { return i < event.size() ? int{event[i]} : 0; };
        std::string word;
        if (type == 0xB0) {
            word = format("CC%d=%d", byte(1), byte(2));
        } else if (type == 0xD0) {
            word = format("AT=%d", byte(1));
        } else if (type == 0xE0) {
            word = format("PB=%+d", (byte(2) << 7 | byte(1)) - 8192);
        } else if (type == 0x90) {
            word = format("N%d=%d/%d", channel, byte(1), byte(2));
        } else {
            word = format("%02X", event[0]);
        }
        if (channel != 1 && type != 0x90) word += format("@ch%d", channel);
        if (!words.empty()) words += ' ';
        words += word;
    }
    return words.empty() ? "-" : words;
}

std::string levelBar(std::uint8_t level, int width) {
    const int filled = (std::min<int>(level, 127) * width + 63) / 127;
    std::string bar;
    for (int i = 0; i < width; ++i)
        bar += i < filled ? "\u2588" : "\u00b7";
    return bar;
}

std::vector<std::string> DemoDisplay::lines(const DemoPicture& picture, bool forTerminal) {
    std::vector<std::string> lines;
    if (!forTerminal) {
        // What was logged since the last picture comes first: it happened before it.
        for (const auto& record : picture.log)
            lines.push_back(format("[%5.1f s] ", secondsOf(record.time)) + platform::describe(record));
        const std::string time = format("[%5.1f s]", picture.seconds);
        lines.push_back(time + " receiver " + picture.receiverState);
        for (const auto& monitor : picture.monitors) {
            lines.push_back(format("%s monitor %08X track=%s %s heartbeats=%llu events=%llu %s", time.c_str(),
                                   monitor.uid, monitorTrack(monitor).c_str(), monitorState(monitor).c_str(),
                                   static_cast<unsigned long long>(monitor.heartbeats),
                                   static_cast<unsigned long long>(monitor.events),
                                   describeLastValues(monitor).c_str()));
        }
        for (const auto& meter : picture.meters) {
            lines.push_back(format("%s meter %d track=%s L=%d R=%d messages=%llu", time.c_str(),
                                   meter.instanceID, meterTrack(picture, meter).c_str(), meter.peakL,
                                   meter.peakR, static_cast<unsigned long long>(meter.messages)));
        }
        for (const auto& [name, events] : picture.passedThrough)
            lines.push_back(format("%s host passed %llu MIDI events of %s through", time.c_str(),
                                   static_cast<unsigned long long>(events), name.c_str()));
        return lines;
    }

    lines.push_back(
        format("Tolvane Vantrel \u2014 live demo %39.1f s of %.1f s", picture.seconds, picture.totalSeconds));
    lines.push_back("Receiver: " + picture.receiverState);
    lines.push_back("");
    lines.push_back("Controller monitors, as the receiver knows them");
    lines.push_back("  UID       TRACK      STATE          HB  EVENTS  LAST VALUES");
    if (picture.monitors.empty()) lines.push_back("  (none heard yet)");
    for (const auto& monitor : picture.monitors) {
        lines.push_back(
            format("  %08X  %-9.9s  %-13s %3llu %7llu  %s", monitor.uid, monitorTrack(monitor).c_str(),
                   monitorState(monitor).c_str(), static_cast<unsigned long long>(monitor.heartbeats),
                   static_cast<unsigned long long>(monitor.events), describeLastValues(monitor).c_str()));
    }
    lines.push_back("");
    lines.push_back("Audio meters, as the receiver knows them");
    lines.push_back("  INST  TRACK       LEFT                        RIGHT                       MSGS");
    if (picture.meters.empty()) lines.push_back("  (none heard yet)");
    for (const auto& meter : picture.meters) {
        lines.push_back(format("  %4d  %-10.10s  %s %3d  %s %3d  %5llu", meter.instanceID,
                               meterTrack(picture, meter).c_str(), levelBar(meter.peakL, 20).c_str(),
                               meter.peakL, levelBar(meter.peakR, 20).c_str(), meter.peakR,
                               static_cast<unsigned long long>(meter.messages)));
    }
    lines.push_back("");
    std::string passed = "Host: MIDI events passed through:";
    for (const auto& [name, events] : picture.passedThrough)
        passed += format(" %s %llu", name.c_str(), static_cast<unsigned long long>(events));
    lines.push_back(passed);
    lines.push_back("");
    lines.push_back("Latest log lines");
    for (const auto& record : picture.log)
        lines.push_back(format("  %7.3f s  ", secondsOf(record.time)) + platform::describe(record));
    return lines;
}

DemoDisplay::DemoDisplay(std::FILE* stream, bool interactive)
    : stream_(stream), screen_(interactive && stream == stdout ? receiver::TerminalScreen::open() : nullptr) {}

void DemoDisplay::show(const DemoPicture& picture) {
    lastLines_ = lines(picture, interactive());
    if (screen_) {
        screen_->show(lastLines_);
        return;
    }
    std::string out;
    for (const auto& line : lastLines_)
        out += line + "\n";
    std::fwrite(out.data(), 1, out.size(), stream_);
    std::fflush(stream_);
}

void DemoDisplay::close() {
    if (!screen_) return;
    screen_.reset();
    for (const auto& line : lastLines_)
        std::fprintf(stream_, "%s\n", line.c_str());
    std::fflush(stream_);
}

} // namespace vantrel::host
