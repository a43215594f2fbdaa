// A plug-in module for the host's tests: principals that misbehave, each behind a factory
// function of its own.

#include <memory>

#include "platform/audiounit/AUAudioUnit.h"
#include "platform/audiounit/AUAudioUnitFactory.h"
#include "platform/ui/ViewController.h"

namespace {

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
FakeRefusing(std::shared_ptr<platform::AUAudioUnitFactory>* principal) {
    *principal = std::make_shared<RefusingPrincipal>();
}

extern "C" __attribute__((visibility("default"))) void
FakeNotAViewController(std::shared_ptr<platform::AUAudioUnitFactory>* principal) {
    *principal = std::make_shared<FactoryOnly>();
}

extern "C" __attribute__((visibility("default"))) void
FakeNoPrincipal(std::shared_ptr<platform::AUAudioUnitFactory>*) {}
