#pragma once
// What the demo shows: every instance as the receiver knows it (uid, track, connection, last
// values, meter levels), what the host passed through, and the latest log lines. On a terminal
// the picture is redrawn in place through the terminal screen, clipped to its size; otherwise it
// is written as plain lines now and then.

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "receiver/Receiver.h"
#include "platform/log/LogSink.h"
#include "receiver/TerminalScreen.h"

namespace vantrel::host {

struct DemoPicture {
    double seconds = 0;
    double totalSeconds = 0;
    std::string receiverState; // "up (receiver, KVRT)" or "down"
    std::vector<receiver::MonitorReport> monitors;
    std::vector<receiver::MeterReport> meters;
    std::map<int, std::string> meterTrackNames; // by track number, as the mapping file names them
    std::vector<std::pair<std::string, std::uint64_t>> passedThrough; // monitor, MIDI events
    std::vector<platform::LogRecord> log; // the latest lines (terminal) or those not shown yet (plain)
};

// The last values of a monitor as short words: "CC1=64", "PB=+1200", "AT=33", "N16=48/100".
std::string describeLastValues(const receiver::MonitorReport& monitor);
// A level 0...127 as a bar of `width` characters.
std::string levelBar(std::uint8_t level, int width);

class DemoDisplay {
public:
    // `interactive`: the stream is standard output on a terminal; the picture is redrawn in place.
    DemoDisplay(std::FILE* stream, bool interactive);

    void show(const DemoPicture& picture); // [main]
    // Gives the terminal back and leaves the last picture on it as plain lines. [main]
    void close();
    bool interactive() const { return screen_ != nullptr; }

    // The picture as lines; for a terminal (wider, with bars) or as plain text.
    static std::vector<std::string> lines(const DemoPicture& picture, bool forTerminal);

private:
    std::FILE* stream_;
    std::unique_ptr<receiver::TerminalScreen> screen_;
    std::vector<std::string> lastLines_;
};

} // namespace vantrel::host
