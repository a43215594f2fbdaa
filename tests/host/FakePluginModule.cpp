// A plug-in module for the host's tests: principals that behave well and ones that do not, each
// behind a factory function of its own.

#include <memory>

#include "platform/audiounit/AUAudioUnit.h"
#include "platform/audiounit/AUAudioUnitFactory.h"
#include "platform/log/Logger.h"
#include "platform/ui/HostingController.h"
#include "platform/ui/View.h"

namespace {

class PressView final : public platform::ui::View {
public:
    platform::ui::Node body() override {
        return platform::ui::vStack(
            platform::ui::Alignment::center, 4,
            {platform::ui::text("Fake"),
             platform::ui::button(platform::ui::text("Press me"), platform::ui::ButtonStyle::plain,
                                  [] { platform::printLine("pressed"); })});
    }
};

// Its render block answers 7 and needs nothing of the unit, so that it may outlive it.
class FakeUnit final : public platform::AUAudioUnit {
public:
    using AUAudioUnit::AUAudioUnit;
    platform::AUInternalRenderBlock internalRenderBlock() override {
        return [](platform::AudioUnitRenderActionFlags*, const platform::AudioTimeStamp*,
                  platform::AUAudioFrameCount, platform::NSInteger, platform::AudioBufferList*,
                  const platform::AURenderEvent*,
                  const platform::AURenderPullInputBlock&) -> platform::AUAudioUnitStatus { return 7; };
    }
};

// Hosts its view at once, so that a test needs no main-queue work to see it.
class GoodPrincipal final : public platform::ui::ViewController, public platform::AUAudioUnitFactory {
public:
    std::shared_ptr<platform::AUAudioUnit>
    createAudioUnit(const platform::AudioComponentDescription& description) override {
        auto unit = std::make_shared<FakeUnit>(description, 0);
        addChildViewController(
            std::make_shared<platform::ui::HostingController>(std::make_shared<PressView>()));
        return unit;
    }
};

class RefusingPrincipal final : public platform::ui::ViewController, public platform::AUAudioUnitFactory {
public:
    std::shared_ptr<platform::AUAudioUnit>
    createAudioUnit(const platform::AudioComponentDescription&) override {
        throw platform::PlatformError(-10875, "refused");
    }
};

class FactoryOnly final : public platform::AUAudioUnitFactory {
public:
    std::shared_ptr<platform::AUAudioUnit>
    createAudioUnit(const platform::AudioComponentDescription& description) override {
        return std::make_shared<platform::AUAudioUnit>(description, 0);
    }
};

} // namespace

extern "C" __attribute__((visibility("default"))) void
FakeGood(std::shared_ptr<platform::AUAudioUnitFactory>* principal) {
    *principal = std::make_shared<GoodPrincipal>();
}

extern "C" __attribute__((visibility("default"))) void
FakeRefusing(std::shared_ptr<platform::AUAudioUnitFactory>* principal) {
    *principal = std::make_shared<RefusingPrincipal>();
}

extern "C" __attribute__((visibility("default"))) void
FakeNotAViewController(std::shared_ptr<platform::AUAudioUnitFactory>* principal) {
    *principal = std::make_shared<FactoryOnly>();
}

extern "C" __attribute__((visibility("default"))) void
FakeNoPrincipal(std::shared_ptr<platform::AUAudioUnitFactory>*) {}
