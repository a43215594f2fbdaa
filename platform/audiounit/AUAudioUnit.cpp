#include "platform/audiounit/AUAudioUnit.h"

#include <stdexcept>
#include <string>

#include "platform/Platform.h"
#include "platform/audiounit/AudioUnitFaults.h"

namespace platform {

struct KeyValueObservation::Record {
    std::function<void(AUAudioUnit&)> handler;
    std::atomic<bool> active{true}; // false once invalidated, so a report under way skips it
};

// The unit's observers. It holds them weakly: an observation's handler may hold the unit.
struct KeyValueObservation::Registry {
    std::mutex mutex;
    std::vector<std::weak_ptr<Record>> records;

    void notify(AUAudioUnit& unit) {
        std::vector<std::shared_ptr<Record>> live;
        {
            std::lock_guard guard(mutex);
            std::erase_if(records, [](const std::weak_ptr<Record>& record) { return record.expired(); });
            for (const auto& weak : records)
                if (auto record = weak.lock()) live.push_back(std::move(record));
        }
        for (const auto& record : live)
            if (record->active) record->handler(unit);
    }
};

void KeyValueObservation::invalidate() {
    if (record_ == nullptr) return;
    record_->active = false;
    if (auto registry = registry_.lock()) {
        std::lock_guard guard(registry->mutex);
        std::erase_if(registry->records,
                      [this](const std::weak_ptr<Record>& weak) { return weak.lock() == record_; });
    }
    record_.reset();
}

namespace {

AudioUnitFaults* faults() {
    return Platform::current().audioUnitFaults;
}

std::string addressKey(AUParameterAddress address) {
    return std::to_string(address);
}

} // namespace

AUAudioUnit::AUAudioUnit(const AudioComponentDescription& componentDescription,
                         AudioComponentInstantiationOptions)
    : componentDescription_(componentDescription),
      inputBusses_(std::make_shared<AUAudioUnitBusArray>(this, AUAudioUnitBusType::input,
                                                         std::vector<std::shared_ptr<AUAudioUnitBus>>{})),
      outputBusses_(std::make_shared<AUAudioUnitBusArray>(this, AUAudioUnitBusType::output,
                                                          std::vector<std::shared_ptr<AUAudioUnitBus>>{})),
      allParameterValuesObservers_(std::make_shared<KeyValueObservation::Registry>()) {
    if (faults() != nullptr && faults()->failNextBaseConstruction.exchange(false))
        throw PlatformError(kAudioUnitErr_FailedInitialization, "audio unit construction failed");
}

AUAudioUnit::~AUAudioUnit() = default;

std::optional<Dictionary> AUAudioUnit::fullState() const {
    Dictionary state = {{"type", componentDescription_.componentType},
                        {"subtype", componentDescription_.componentSubType},
                        {"manufacturer", componentDescription_.componentManufacturer},
                        {"data", Dictionary::object()}};
    if (const auto tree = parameterTree())
        for (const auto& parameter : tree->allParameters())
            state["data"][addressKey(parameter->address())] = parameter->value();
    return state;
}

void AUAudioUnit::setFullState(const std::optional<Dictionary>& state) {
    if (!state) return;
    const Value* values = member(*state, "data");
    const auto tree = parameterTree();
    if (values != nullptr && tree != nullptr)
        for (const auto& parameter : tree->allParameters())
            if (const Value* saved = member(*values, addressKey(parameter->address())))
                if (const auto number = numberValue(*saved))
                    parameter->restoreValue(static_cast<AUValue>(*number));
    allParameterValuesObservers_->notify(*this);
}

void AUAudioUnit::allocateRenderResources() {
    if (faults() != nullptr && faults()->failNextAllocate.exchange(false))
        throw PlatformError(kAudioUnitErr_FailedInitialization, "render resource allocation failed");
    renderResourcesAllocated_ = true;
}

void AUAudioUnit::deallocateRenderResources() {
    renderResourcesAllocated_ = false;
}

AUMIDIOutputEventBlock AUAudioUnit::MIDIOutputEventBlock() const {
    std::lock_guard guard(mutex_);
    return midiOutputEventBlock_;
}

void AUAudioUnit::setMIDIOutputEventBlock(AUMIDIOutputEventBlock block) {
    std::lock_guard guard(mutex_);
    midiOutputEventBlock_.swap(block); // the old block is destroyed outside the lock
}

std::shared_ptr<AUAudioUnitBusArray> AUAudioUnit::inputBusses() {
    return inputBusses_;
}

std::shared_ptr<AUAudioUnitBusArray> AUAudioUnit::outputBusses() {
    return outputBusses_;
}

AUInternalRenderBlock AUAudioUnit::internalRenderBlock() {
    return {};
}

std::optional<std::vector<int>> AUAudioUnit::channelCapabilities() const {
    return std::nullopt;
}

bool AUAudioUnit::shouldBypassEffect() const {
    return shouldBypassEffect_.load();
}

void AUAudioUnit::setShouldBypassEffect(bool bypass) {
    shouldBypassEffect_.store(bypass);
}

std::shared_ptr<AUParameterTree> AUAudioUnit::parameterTree() const {
    std::lock_guard guard(mutex_);
    return parameterTree_;
}

void AUAudioUnit::setParameterTree(std::shared_ptr<AUParameterTree> tree) {
    std::lock_guard guard(mutex_);
    parameterTree_.swap(tree); // the old tree is released outside the lock
}

std::unique_ptr<KeyValueObservation>
AUAudioUnit::observeAllParameterValues(std::function<void(AUAudioUnit&)> handler) {
    if (!handler) throw std::invalid_argument("an observation handler cannot be empty");
    auto record = std::make_shared<KeyValueObservation::Record>();
    record->handler = std::move(handler);
    {
        std::lock_guard guard(allParameterValuesObservers_->mutex);
        allParameterValuesObservers_->records.push_back(record);
    }
    return std::unique_ptr<KeyValueObservation>(
        new KeyValueObservation(allParameterValuesObservers_, std::move(record)));
}

} // namespace platform
