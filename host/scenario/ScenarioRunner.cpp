#include "host/scenario/ScenarioRunner.h"

#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "host/plugins/ComponentRegistry.h"
#include "host/plugins/HostedInstance.h"
#include "receiver/Receiver.h"
#include "host/scenario/ForwardingLogSink.h"
#include "host/scenario/RenderStorage.h"
#include "host/scenario/RenderThread.h"
#include "host/scenario/ScenarioTrace.h"
#include "platform/audiounit/AudioUnitFaults.h"
#include "platform/core/Random.h"
#include "platform/midi/MIDIService.h"
#include "platform/notify/NotificationCenter.h"

namespace vantrel::host {

namespace {

using platform::AUAudioFrameCount;
using platform::OSStatus;

// A monitor renders MIDI only; its render calls still come in cycles of this many frames.
constexpr AUAudioFrameCount midiCycleFrames = 512;
template <typename... Cases> struct Overloaded : Cases... { using Cases::operator()...; };
template <typename... Cases> Overloaded(Cases...) -> Overloaded<Cases...>; // clang 14 does not deduce it

std::string statusText(const platform::PlatformError& error) {
    return std::string(error.what()) + " (" + std::to_string(error.status()) + ")";
}

// One instance of the script, from its create command on.
struct Slot {
    InstanceRef ref;
    std::unique_ptr<HostedInstance> hosted;
    RenderStorage storage;
    SignalSource pull;
    platform::AURenderPullInputBlock pullBlock;
    double sampleTime = 0;
};

class Runner {
public:
    Runner(const Script& script, const RunOptions& options)
        : script_(script), observer_(options.observer), trace_(options.trace, options.mode == RunMode::live),
          logSink_([this](const platform::LogRecord& record) {
              trace_.log(record);
              if (observer_) observer_->log(record);
          }),
          session_(options.mode, options.seed.value_or(1), logSink_, options.transports),
          registry_(options.components ? *options.components : ownRegistry_),
          receiver_(session_.applicationSupportDirectory()) {
        if (options.seed) session_.platform().random->reseed(*options.seed);
        std::vector<std::string> problems;
        if (!options.components) registry_.registerApplication(options.application, problems);
        for (const auto& problem : problems)
            std::fprintf(options.diagnostics, "vantrel-host: %s\n", problem.c_str());
        if (registry_.components().empty())
            std::fprintf(options.diagnostics, "vantrel-host: no plug-ins found in %s\n",
                         pluginsFolder(options.application).c_str());
        platform::MIDIClientCreateWithBlock("Other destinations", &otherClient_,
                                            [](const platform::MIDINotification&) {});
        for (const InstanceRef& ref : script.instances) {
            auto& slot = slots_.emplace_back(std::make_unique<Slot>());
            slot->ref = ref;
            slot->pullBlock = makeSignalPullBlock(slot->pull);
        }
        if (options.mode == RunMode::live) renderThread_ = std::make_unique<RenderThread>();
        session_.platform().notifications->setPostListener(
            [this](const platform::Notification& notification) { trace_.notification(notification); });
        session_.platform().midi->setSendObserver([this](const platform::MIDISendRecord& send) {
            trace_.send(send);
            if (observer_) observer_->send(send);
        });
    }

    ~Runner() {
        trace_.close();
        session_.platform().midi->setSendObserver(nullptr);
        session_.platform().notifications->setPostListener(nullptr);
        for (auto& slot : slots_) {
            if (slot->hosted) slot->hosted->release();
        }
        renderThread_.reset();
    }

    void run() {
        for (const ScriptLine& line : script_.lines) {
            if (observer_) observer_->beforeCommand(line);
            execute(line.command);
            if (observer_) observer_->afterCommand(line);
        }
    }

private:
    void traceHost(const InstanceRef& ref, const std::string& text) { trace_.host(ref.name, text); }

    // --- rendering ------------------------------------------------------------------------

    // One render call on the render thread; a status other than noErr is what the host saw.
    void render(Slot& slot, AUAudioFrameCount frames, platform::AudioBufferList* buffers,
                const platform::AURenderEvent* events, const platform::AURenderPullInputBlock& pull,
                std::size_t expectedRecords) {
        const platform::AUInternalRenderBlock& block = slot.hosted->renderBlock();
        trace_.beforeRender(expectedRecords);
        platform::AudioTimeStamp timestamp;
        timestamp.mSampleTime = slot.sampleTime;
        timestamp.mFlags = platform::kAudioTimeStampSampleTimeValid;
        OSStatus status = platform::noErr;
        const std::function<void()> call = [&] {
            RenderScope scope;
            platform::AudioUnitRenderActionFlags flags = 0;
            status = block(&flags, &timestamp, frames, 0, buffers, events, pull);
        };
        if (observer_) observer_->rendering(slot.ref);
        if (renderThread_) {
            renderThread_->run(call);
        } else {
            call();
        }
        slot.sampleTime += frames;
        trace_.afterRender();
        if (observer_) observer_->rendered(slot.ref, *buffers, status);
        if (status != platform::noErr) traceHost(slot.ref, "render failed: " + std::to_string(status));
    }

    // The hosted instance for a command, or none (traced) when it was never created or the
    // command needs an audio unit that was released.
    HostedInstance* hosted(const InstanceRef& ref, std::string_view command, bool renderOnly = false) {
        Slot& slot = *slots_[ref.index];
        if (!slot.hosted) {
            traceHost(ref, std::string(command) + " skipped: not created");
            return nullptr;
        }
        if (slot.hosted->released() && !renderOnly) {
            traceHost(ref, std::string(command) + " skipped: released");
            return nullptr;
        }
        if (renderOnly && !slot.hosted->renderBlock()) {
            traceHost(ref, std::string(command) + " skipped: no render block");
            return nullptr;
        }
        return slot.hosted.get();
    }

    // --- commands -------------------------------------------------------------------------

    void execute(const Command& command) {
        std::visit(
            Overloaded{
                [this](const SeedCommand& c) { session_.platform().random->reseed(c.seed); },
                [this](const ReceiverUpCommand& c) { receiverUp(c); },
                [this](const ReceiverDownCommand&) { receiver_.down(); },
                [this](const ReceiverAutoConnectCommand& c) {
                    receiver_.setAutoConnect(c.trackName ? std::vector<std::string>{*c.trackName}
                                                         : std::vector<std::string>{});
                },
                [this](const DestinationAddCommand& c) { destinationAdd(c); },
                [this](const DestinationRemoveCommand& c) {
                    platform::MIDIEndpointDispose(addedDestinations_.at(c.name));
                    addedDestinations_.erase(c.name);
                },
                [this](const MIDINotificationCommand& c) {
                    session_.platform().midi->postNotification(c.messageID);
                },
                [this](const MIDIFailSendsCommand& c) {
                    session_.platform().midi->failNextSends(c.count, c.status);
                },
                [this](const MIDIThrowSendsCommand& c) { session_.platform().midi->throwNextSends(c.count); },
                [this](const MIDIFailCreateCommand& c) {
                    if (c.object == MIDIFailCreateCommand::Object::client) {
                        session_.platform().midi->failNextClientCreate(c.status);
                    } else {
                        session_.platform().midi->failNextPortCreate(c.status);
                    }
                },
                [this](const FailNextCreateCommand& c) {
                    auto& faults = *session_.platform().audioUnitFaults;
                    (c.stage == FailNextCreateCommand::Stage::base ? faults.failNextBaseConstruction
                                                                   : faults.failNextBusCreation) = true;
                },
                [this](const CreateCommand& c) { create(c.instance); },
                [this](const RestoreCommand& c) {
                    if (auto* instance = hosted(c.instance, "restore"))
                        instance->unit()->setFullState(c.state);
                },
                [this](const SaveCommand& c) { save(c.instance); },
                [this](const AllocateCommand& c) { allocate(c); },
                [this](const DeallocateCommand& c) {
                    if (auto* instance = hosted(c.instance, "deallocate")) instance->deallocate();
                },
                [this](const ReleaseCommand& c) {
                    if (auto* instance = hosted(c.instance, "release")) {
                        instance->release();
                        traceHost(c.instance, "released");
                    }
                },
                [this](const MIDIInCommand& c) { midiIn(c); },
                [this](const AudioCommand& c) { audio(c); },
                [this](const NotifyCommand& c) {
                    session_.platform().notifications->post(c.notificationName, c.userInfo);
                },
                [this](const ViewCommand& c) { view(c); },
                [this](const PressCommand& c) { press(c); },
                [this](const MappingWriteCommand& c) {
                    const bool written = receiver_.mappingFile().write(c.content, c.keepModificationDate);
                    trace_.line("mapping", written ? compactJSON(c.shown) : "write failed");
                },
                [this](const MappingRemoveCommand&) {
                    trace_.line("mapping", receiver_.mappingFile().remove() ? "REMOVED" : "remove failed");
                },
                [this](const AdvanceCommand& c) { session_.advance(c.duration); },
            },
            command);
    }

    void receiverUp(const ReceiverUpCommand& command) {
        if (receiver_.up(command.destinationName))
            trace_.nameDestination(receiver_.destination(), command.destinationName);
    }

    void destinationAdd(const DestinationAddCommand& command) {
        platform::MIDIEndpointRef endpoint = 0;
        if (platform::MIDIDestinationCreateWithBlock(otherClient_, command.name, &endpoint,
                                                     [](const platform::MIDIPacketList*, void*) {}) !=
            platform::noErr)
            return;
        if (command.uniqueID)
            platform::MIDIObjectSetIntegerProperty(endpoint, platform::kMIDIPropertyUniqueID,
                                                   *command.uniqueID);
        if (command.unreadable) session_.platform().midi->setUniqueIDUnreadable(endpoint, true);
        addedDestinations_[command.name] = endpoint;
        trace_.nameDestination(endpoint, command.name);
    }

    void create(const InstanceRef& ref) {
        const platform::OSType type = ref.kind == InstanceKind::monitor
                                          ? platform::kAudioUnitType_MIDIProcessor
                                          : platform::kAudioUnitType_Effect;
        const RegisteredComponent* component = registry_.find(type);
        if (component == nullptr) {
            traceHost(ref, "create failed: no audio unit of type " + platform::fourCharCodeString(type) +
                               " is registered");
            return;
        }
        platform::MIDIService& midi = *session_.platform().midi;
        const platform::MIDIObjectRef before = midi.newestObject();
        try {
            slots_[ref.index]->hosted = HostedInstance::create(registry_, *component);
        } catch (const platform::PlatformError& error) {
            traceHost(ref, "create failed: " + statusText(error));
            return;
        } catch (const std::exception& error) {
            traceHost(ref, std::string("create failed: ") + error.what());
            return;
        }
        // The instance's MIDI client is the one behind the ports made while it was created.
        for (platform::MIDIObjectRef object = before + 1; object <= midi.newestObject(); ++object) {
            if (const platform::MIDIClientRef client = midi.clientOfPort(object))
                trace_.nameSender(client, slots_[ref.index]->ref.name);
        }
        if (const auto outputs = slots_[ref.index]->hosted->unit()->outputBusses();
            outputs && outputs->count() > 0)
            slots_[ref.index]->pull.sampleRate = (*outputs)[0]->format()->sampleRate();
        traceHost(ref, "created");
        if (observer_) observer_->created(ref, slots_[ref.index]->hosted->unit());
    }

    void save(const InstanceRef& ref) {
        HostedInstance* instance = hosted(ref, "save");
        if (instance == nullptr) return;
        const auto state = instance->unit()->fullState();
        trace_.line("state", ref.name + " " + (state ? compactJSON(*state) : "null"));
    }

    void allocate(const AllocateCommand& command) {
        HostedInstance* instance = hosted(command.instance, "allocate");
        if (instance == nullptr) return;
        auto& faults = *session_.platform().audioUnitFaults;
        if (command.fail) faults.failNextAllocate = true;
        try {
            instance->allocate(command.noOutput ? platform::AUMIDIOutputEventBlock{}
                                                : midiOutput(slots_[command.instance.index]->ref));
        } catch (const platform::PlatformError& error) {
            traceHost(command.instance, "allocate failed: " + statusText(error));
        }
        // An arranged failure never outlives the command that asked for it.
        faults.failNextAllocate = false;
    }

    // The host's MIDI output for the instance: traced, and shown to the observer.
    platform::AUMIDIOutputEventBlock midiOutput(const InstanceRef& ref) {
        platform::AUMIDIOutputEventBlock traced = trace_.midiOutput(ref.name);
        if (!observer_) return traced;
        return [traced, observer = observer_, &ref](platform::AUEventSampleTime sampleTime,
                                                    std::uint8_t cable, platform::NSInteger length,
                                                    const std::uint8_t* bytes) {
            observer->output(ref, sampleTime, cable,
                             {bytes, bytes == nullptr || length < 0 ? 0 : static_cast<std::size_t>(length)});
            return traced(sampleTime, cable, length, bytes);
        };
    }

    void midiIn(const MIDIInCommand& command) {
        if (hosted(command.instance, "midi-in", true) == nullptr) return;
        Slot& slot = *slots_[command.instance.index];
        const platform::AURenderEvent* events =
            command.nullList ? nullptr : slot.storage.prepareEvents(command.events);
        platform::AudioBufferList* buffers = slot.storage.prepareBuffers(midiCycleFrames, 2);
        static const platform::AURenderPullInputBlock noPull;
        render(slot, midiCycleFrames, buffers, events, noPull, command.events.size() + 8);
    }

    void audio(const AudioCommand& command) {
        if (hosted(command.instance, "audio", true) == nullptr) return;
        Slot& slot = *slots_[command.instance.index];
        static const platform::AURenderPullInputBlock noPull;
        slot.pull.left = &command.left;
        slot.pull.right = &command.right;
        slot.pull.status = command.pullStatus;
        for (std::uint32_t call = 0; call < command.calls; ++call) {
            slot.pull.firstFrame = std::uint64_t{call} * command.frames;
            platform::AudioBufferList* buffers = slot.storage.prepareBuffers(command.frames, command.buffers);
            render(slot, command.frames, buffers, nullptr, command.pull ? slot.pullBlock : noPull, 8);
        }
    }

    void view(const ViewCommand& command) {
        static const char* const names[] = {"view open", "view close", "view show", "view snapshot"};
        HostedInstance* instance = hosted(command.instance, names[static_cast<int>(command.action)]);
        if (instance == nullptr) return;
        switch (command.action) {
        case ViewCommand::Action::open:
            instance->openWindow();
            break;
        case ViewCommand::Action::close:
            instance->closeWindow();
            break;
        case ViewCommand::Action::show:
            if (const auto lines = instance->viewLines()) {
                for (const std::string& line : *lines)
                    trace_.line("view", command.instance.name + " " + line);
            } else {
                traceHost(command.instance, "shows no view");
            }
            break;
        case ViewCommand::Action::snapshot:
            snapshot(*instance, command);
            break;
        }
    }

    // The view's picture at its own size, as its window would show it.
    void snapshot(HostedInstance& instance, const ViewCommand& command) {
        std::string failure;
        const bool hosted = instance.withViewTree([&](const platform::ui::Node& tree) {
            try {
                if (!renderer_) renderer_ = std::make_unique<platform::ui::render::Renderer>();
                renderer_->writePng(tree, std::nullopt, command.appearance, command.snapshotFile);
            } catch (const std::exception& error) {
                failure = error.what();
            }
        });
        if (!hosted) {
            traceHost(command.instance, "shows no view");
        } else if (!failure.empty()) {
            traceHost(command.instance, "view snapshot failed: " + failure);
        }
    }

    void press(const PressCommand& command) {
        const bool connect = command.button == PressCommand::Button::connect;
        const std::string what = connect ? "press connect" : "press disconnect";
        HostedInstance* instance = hosted(command.instance, what);
        if (instance == nullptr) return;
        const std::string label = connect ? "Connect to selected track" : "Disconnect";
        if (!instance->windowOpen()) {
            traceHost(command.instance, what + " failed: window not open");
        } else if (!instance->pressButton(label)) {
            traceHost(command.instance, what + " failed: no \"" + label + "\" button shown");
        }
    }

    const Script& script_;
    ScenarioObserver* observer_;
    ScenarioTrace trace_;
    ForwardingLogSink logSink_;
    PlatformSession session_;
    ComponentRegistry ownRegistry_;
    ComponentRegistry& registry_;
    receiver::Receiver receiver_;
    std::vector<std::unique_ptr<Slot>> slots_;
    std::unique_ptr<RenderThread> renderThread_;
    std::unique_ptr<platform::ui::render::Renderer> renderer_; // made at the first snapshot
    platform::MIDIClientRef otherClient_ = 0;
    std::map<std::string, platform::MIDIEndpointRef> addedDestinations_;
};

} // namespace

int runScenario(const Script& script, const RunOptions& options) {
    Runner runner(script, options);
    runner.run();
    return 0;
}

} // namespace vantrel::host
