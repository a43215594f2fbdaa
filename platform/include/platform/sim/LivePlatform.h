#pragma once
// The platform of a live run: real threads and real time, log lines on standard error, random
// numbers seeded by the machine, and the user's real application-support directory. In force
// for its scope, like SimulatedPlatform.

#include <memory>

#include "platform/Platform.h"
#include "platform/audiounit/AudioUnitFaults.h"
#include "platform/core/Random.h"
#include "platform/dispatch/ThreadedExecutor.h"
#include "platform/log/LogSink.h"
#include "platform/midi/MIDIService.h"
#include "platform/notify/NotificationCenter.h"

namespace platform {

class LivePlatform {
public:
    LivePlatform(); // [main, before other threads use the platform]
    // Stops every queue (work already running finishes; queued work is dropped) while every
    // service still exists, then puts the previous platform back and ends the services.
    ~LivePlatform();
    LivePlatform(const LivePlatform&) = delete;
    LivePlatform& operator=(const LivePlatform&) = delete;

    ThreadedExecutor& executor() { return *executor_; }
    MIDIService& midi() { return *midi_; }
    NotificationCenter& notifications() { return *notifications_; }
    AudioUnitFaults& audioUnitFaults() { return *audioUnitFaults_; }
    const Platform& platform() const { return platform_; }

private:
    std::unique_ptr<ThreadedExecutor> executor_;
    std::unique_ptr<MIDIService> midi_;
    std::unique_ptr<NotificationCenter> notifications_;
    std::unique_ptr<StreamLogSink> log_;
    std::unique_ptr<RandomGenerator> random_;
    std::unique_ptr<AudioUnitFaults> audioUnitFaults_;
    Platform platform_;
    const Platform* previous_ = nullptr;
};

} // namespace platform
