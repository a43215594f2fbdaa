// vantrel-send-midi: sends MIDI messages to JACK MIDI input ports, one message per JACK cycle to
// every port at once, and returns once they went out. The real-host runs have no view to press
// and no keyboard: this plays both.
//   vantrel-send-midi PORT[,PORT...] MESSAGE...   (MESSAGE: hexadecimal bytes, "B00764")

#include <jack/jack.h>
#include <jack/midiport.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Message = std::vector<std::uint8_t>;

std::optional<Message> parseMessage(const std::string& text) {
    if (text.empty() || text.size() % 2 != 0 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return std::nullopt;
    Message message;
    for (std::size_t index = 0; index < text.size(); index += 2)
        message.push_back(static_cast<std::uint8_t>(std::stoul(text.substr(index, 2), nullptr, 16)));
    return message;
}

struct Sender {
    std::vector<Message> messages;
    std::vector<jack_port_t*> ports;
    std::atomic<bool> connected{false};
    std::uint64_t cyclesConnected = 0; // [JACK process thread]
    std::atomic<std::size_t> sent{0};
    std::atomic<std::uint64_t> cyclesAfterLast{0};

    int process(jack_nframes_t frames) {
        const std::size_t next = sent.load();
        // A host may read a new connection only some cycles after the graph took it (Ardour
        // does): the first message waits about 0.1 s.
        const bool sending = connected.load() && next < messages.size() && ++cyclesConnected >= 20;
        for (jack_port_t* port : ports) {
            void* buffer = jack_port_get_buffer(port, frames);
            jack_midi_clear_buffer(buffer);
            if (sending) jack_midi_event_write(buffer, 0, messages[next].data(), messages[next].size());
        }
        if (sending) sent.store(next + 1);
        if (next == messages.size()) cyclesAfterLast.fetch_add(1);
        return 0;
    }
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: vantrel-send-midi PORT[,PORT...] MESSAGE...   (MESSAGE: hexadecimal bytes, \"B00764\")\n",
                   stderr);
        return 2;
    }
    Sender sender;
    for (int index = 2; index < argc; ++index) {
        const auto message = parseMessage(argv[index]);
        if (!message) {
            std::fprintf(stderr, "vantrel-send-midi: \"%s\" is not a message in hexadecimal bytes\n", argv[index]);
            return 2;
        }
        sender.messages.push_back(*message);
    }
    jack_client_t* client = jack_client_open("vantrel-send-midi", JackNoStartServer, nullptr);
    if (client == nullptr) {
        std::fputs("vantrel-send-midi: no JACK server\n", stderr);
        return 1;
    }
    std::vector<std::string> destinations;
    std::istringstream list(argv[1]);
    for (std::string destination; std::getline(list, destination, ',');) {
        const std::string name = "out-" + std::to_string(destinations.size() + 1);
        jack_port_t* port = jack_port_register(client, name.c_str(), JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
        if (port == nullptr) break;
        sender.ports.push_back(port);
        destinations.push_back(destination);
    }
    jack_set_process_callback(
        client, [](jack_nframes_t frames, void* self) { return static_cast<Sender*>(self)->process(frames); },
        &sender);
    bool ready = sender.ports.size() == destinations.size() && jack_activate(client) == 0;
    for (std::size_t index = 0; ready && index < destinations.size(); ++index) {
        ready = jack_connect(client, jack_port_name(sender.ports[index]), destinations[index].c_str()) == 0;
        if (!ready) std::fprintf(stderr, "vantrel-send-midi: cannot connect to %s\n", destinations[index].c_str());
    }
    int status = 1;
    if (ready) {
        sender.connected.store(true);
        // The destinations read the last message in the cycle it went out in.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (sender.cyclesAfterLast.load() < 2 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        status = sender.cyclesAfterLast.load() >= 2 ? 0 : 1;
        if (status != 0) std::fputs("vantrel-send-midi: the JACK server did not take the messages\n", stderr);
    }
    jack_client_close(client);
    return status;
}
