#include "host/demo/Demo.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "host/demo/DemoDisplay.h"
#include "host/demo/DemoSignals.h"
#include "host/plugins/ComponentRegistry.h"
#include "host/plugins/HostedInstance.h"
#include "receiver/Receiver.h"
#include "host/scenario/ForwardingLogSink.h"
#include "host/scenario/PlatformSession.h"

namespace vantrel::host {

namespace {

using Clock = std::chrono::steady_clock;

const std::vector<std::string> demoTracks{"Strings", "Brass"};
const std::vector<std::string> demoArticulations{"Legato", "Staccato", "Pizzicato", "Tremolo"};
constexpr const char* firstMapping = R"({"1": {"trackNr": 3, "trackName": "Drums"}})";
constexpr const char* fullMapping =
    R"({"1": {"trackNr": 3, "trackName": "Drums"}, "2": {"trackNr": 4, "trackName": "Pad"}})";
const std::map<int, std::string> mappedTrackNames{{3, "Drums"}, {4, "Pad"}};

// The log lines of the run: the latest few for a terminal, the ones not yet shown for plain text.
class DemoLog {
public:
    void add(const platform::LogRecord& record) {
        std::lock_guard guard(mutex_);
        recent_.push_back(record);
        if (recent_.size() > 8) recent_.pop_front();
        fresh_.push_back(record);
    }
    std::vector<platform::LogRecord> recent() const {
        std::lock_guard guard(mutex_);
        return {recent_.begin(), recent_.end()};
    }
    std::vector<platform::LogRecord> takeFresh() {
        std::lock_guard guard(mutex_);
        return std::exchange(fresh_, {});
    }

private:
    mutable std::mutex mutex_;
    std::deque<platform::LogRecord> recent_;
    std::vector<platform::LogRecord> fresh_;
};

// One plug-in instance of the demo with everything its render calls use, made before rendering.
struct DemoInstance {
    DemoInstance(std::string instanceName, int style)
        : name(std::move(instanceName)), midi(style), audio(style) {}

    std::string name;
    std::unique_ptr<HostedInstance> hosted;
    platform::AUInternalRenderBlock renderBlock;
    platform::AURenderPullInputBlock pull; // meters only
    std::atomic<std::uint64_t> passedThrough{0};
    DemoMIDI midi;
    DemoAudio audio;
    std::vector<float> samples = std::vector<float>(2 * demoCycleFrames);
    platform::AudioBufferList buffers;

    void prepareBuffers() {
        buffers.mNumberBuffers = 2;
        for (std::uint32_t b = 0; b < 2; ++b) {
            buffers.mBuffers[b].mNumberChannels = 1;
            buffers.mBuffers[b].mDataByteSize = demoCycleFrames * sizeof(float);
            buffers.mBuffers[b].mData = samples.data() + b * demoCycleFrames;
        }
    }
};

// The audio thread: renders every instance once per cycle of 512 frames, in real time.
class DemoRenderer {
public:
    DemoRenderer(std::vector<DemoInstance*> monitors, std::vector<DemoInstance*> meters)
        : monitors_(std::move(monitors)), meters_(std::move(meters)), thread_([this] { loop(); }) {}
    ~DemoRenderer() {
        stopping_ = true;
        thread_.join();
    }

private:
    void loop() {
        const auto period = std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(demoCycleFrames / demoSampleRate));
        auto next = Clock::now();
        static const platform::AURenderPullInputBlock noPull;
        for (std::uint64_t cycle = 0; !stopping_; ++cycle) {
            platform::AudioTimeStamp timestamp;
            timestamp.mSampleTime = static_cast<double>(cycle * demoCycleFrames);
            timestamp.mFlags = platform::kAudioTimeStampSampleTimeValid;
            for (DemoInstance* monitor : monitors_) {
                platform::AudioUnitRenderActionFlags flags = 0;
                monitor->renderBlock(&flags, &timestamp, demoCycleFrames, 0, &monitor->buffers,
                                     monitor->midi.cycleEvents(cycle), noPull);
            }
            for (DemoInstance* meter : meters_) {
                platform::AudioUnitRenderActionFlags flags = 0;
                meter->renderBlock(&flags, &timestamp, demoCycleFrames, 0, &meter->buffers, nullptr,
                                   meter->pull);
            }
            next += period;
            // A machine that fell far behind starts afresh rather than rendering in a burst.
            if (Clock::now() - next > std::chrono::milliseconds(100)) next = Clock::now();
            std::this_thread::sleep_until(next);
        }
    }

    std::vector<DemoInstance*> monitors_;
    std::vector<DemoInstance*> meters_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

// A step of the demo's story, at its time.
struct DemoStep {
    double at;
    std::function<void()> run;
};

class Demo {
public:
    explicit Demo(const DemoOptions& options)
        : options_(options), logSink_([this](const platform::LogRecord& record) { log_.add(record); }),
          session_(RunMode::live, 0, logSink_, options.transports), receiver_(session_.applicationSupportDirectory()),
          display_(options.out, isatty(fileno(options.out)) != 0) {}

    int run() {
        std::vector<std::string> problems;
        registry_.registerApplication(options_.application, problems);
        const RegisteredComponent* monitor = registry_.find(platform::kAudioUnitType_MIDIProcessor);
        const RegisteredComponent* meter = registry_.find(platform::kAudioUnitType_Effect);
        if (monitor == nullptr || meter == nullptr) {
            for (const auto& problem : problems)
                std::fprintf(stderr, "vantrel-host: %s\n", problem.c_str());
            std::fprintf(stderr, "vantrel-host: the demo needs both plug-ins in %s\n",
                         pluginsFolder(options_.application).c_str());
            return 1;
        }
        if (ownReceiver()) {
            receiver_.up();
            receiver_.setAutoConnect(demoTracks);
            receiver_.mappingFile().write(firstMapping);
        }
        try {
            for (const char* name : {"A", "B"})
                create(monitors_, name, *monitor);
            for (const char* name : {"M1", "M2"})
                create(meters_, name, *meter);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "vantrel-host: cannot start the demo: %s\n", error.what());
            return 1;
        }
        for (auto& instance : monitors_)
            instance->hosted->openWindow();
        play();
        finish();
        return 0;
    }

private:
    void create(std::vector<std::unique_ptr<DemoInstance>>& into, const char* name,
                const RegisteredComponent& component) {
        auto& instance =
            into.emplace_back(std::make_unique<DemoInstance>(name, static_cast<int>(into.size())));
        instance->hosted = HostedInstance::create(registry_, component);
        instance->prepareBuffers();
        DemoInstance* self = instance.get();
        instance->hosted->allocate([self](platform::AUEventSampleTime, std::uint8_t, platform::NSInteger,
                                          const std::uint8_t*) -> std::int32_t {
            self->passedThrough.fetch_add(1, std::memory_order_relaxed);
            return platform::noErr;
        });
        instance->renderBlock = instance->hosted->renderBlock();
        instance->pull = [self](platform::AudioUnitRenderActionFlags*, const platform::AudioTimeStamp*,
                                platform::AUAudioFrameCount frames, platform::NSInteger,
                                platform::AudioBufferList* data) -> platform::OSStatus {
            if (data != nullptr) self->audio.render(*data, frames);
            return platform::noErr;
        };
        if (!instance->renderBlock) throw std::runtime_error(std::string(name) + " gave no render block");
    }

    void press(DemoInstance& instance, const std::string& label) { instance.hosted->pressButton(label); }

    bool ownReceiver() const { return !options_.transports.jack; }

    std::vector<DemoStep> story() {
        DemoInstance* a = monitors_[0].get();
        DemoInstance* b = monitors_[1].get();
        const std::string connect = "Connect to selected track";
        if (!ownReceiver()) {
            return {{0.6, [this, a, connect] { press(*a, connect); }},
                    {0.9, [this, b, connect] { press(*b, connect); }}};
        }
        return {
            {0.6, [this, a, connect] { press(*a, connect); }},
            {0.9, [this, b, connect] { press(*b, connect); }},
            {1.2,
             [this] {
                 receiver_.postArticulations(
                     demoArticulations,
                     std::vector<int>(demoArticulationNotes.begin(), demoArticulationNotes.end()));
             }},
            {3.0, [this] { receiver_.mappingFile().write(fullMapping); }},
            {5.0, [this] { receiver_.down(); }},
            {6.0, [this] { receiver_.up(); }},
            {7.5, [this, b] { press(*b, "Disconnect"); }},
            {8.5, [this, b, connect] { press(*b, connect); }},
        };
    }

    void play() {
        std::vector<DemoInstance*> monitors;
        std::vector<DemoInstance*> meters;
        for (auto& instance : monitors_)
            monitors.push_back(instance.get());
        for (auto& instance : meters_)
            meters.push_back(instance.get());
        const auto steps = story();
        std::size_t nextStep = 0;
        const auto start = Clock::now();
        const auto refresh =
            display_.interactive() ? std::chrono::milliseconds(200) : std::chrono::milliseconds(1000);
        auto nextPicture = start;
        DemoRenderer renderer(monitors, meters);
        for (;;) {
            const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
            while (nextStep < steps.size() && steps[nextStep].at <= seconds)
                steps[nextStep++].run();
            if (seconds >= options_.seconds) return;
            if (Clock::now() >= nextPicture) {
                display_.show(picture(seconds));
                nextPicture += refresh;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    DemoPicture picture(double seconds) {
        DemoPicture picture;
        picture.seconds = seconds;
        picture.totalSeconds = options_.seconds;
        picture.receiverState =
            !ownReceiver()                ? "the vantrel-receiver program's, over JACK (its screen shows the instances)"
            : receiver_.destination() != 0 ? "up (destination \"receiver\", unique ID KVRT)"
                                           : "down";
        picture.monitors = receiver_.monitors();
        picture.meters = receiver_.meters();
        picture.meterTrackNames = mappedTrackNames;
        for (const auto& monitor : monitors_)
            picture.passedThrough.emplace_back(monitor->name, monitor->passedThrough.load());
        picture.log = display_.interactive() ? log_.recent() : log_.takeFresh();
        return picture;
    }

    void finish() {
        display_.show(picture(options_.seconds));
        display_.close();
        for (auto& instance : monitors_)
            instance->hosted->closeWindow();
        for (const auto* group : {&monitors_, &meters_}) {
            for (const auto& instance : *group)
                instance->hosted->release();
        }
        std::fprintf(options_.out, "Demo finished after %.1f s.\n", options_.seconds);
        std::fflush(options_.out);
    }

    const DemoOptions& options_;
    DemoLog log_;
    ForwardingLogSink logSink_;
    PlatformSession session_;
    ComponentRegistry registry_;
    receiver::Receiver receiver_;
    DemoDisplay display_;
    std::vector<std::unique_ptr<DemoInstance>> monitors_;
    std::vector<std::unique_ptr<DemoInstance>> meters_;
};

} // namespace

int runDemo(const DemoOptions& options) {
    Demo demo(options);
    return demo.run();
}

} // namespace vantrel::host
