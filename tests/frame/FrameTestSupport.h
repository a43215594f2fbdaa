#pragma once
// Declarations and a write recorder shared by the frame's tests.

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "frame/common/parameters/ParameterSpecBase.h"
#include "platform/audiounit/AUParameterTree.h"

namespace frame_test {

using namespace platform;

inline vantrel::ParameterSpec declaredParameter(std::string identifier, AUParameterAddress address,
                                                AUValue defaultValue = 0, AUValue minValue = 0,
                                                AUValue maxValue = 1) {
    return {identifier,
            identifier + " name",
            address,
            minValue,
            maxValue,
            defaultValue,
            kAudioUnitParameterUnit_Generic,
            std::nullopt,
            kAudioUnitParameterFlag_IsReadable | kAudioUnitParameterFlag_IsWritable,
            std::nullopt,
            std::nullopt};
}

// The tree "global" { "gain" (address 7, -24...24), "mix" (address 8) }.
inline std::shared_ptr<AUParameterTree> makeGlobalTree(AUValue gain = 3.5f) {
    return vantrel::createAUParameterTree({{vantrel::ParameterGroupSpec{
        "global",
        "Global",
        {declaredParameter("gain", 7, gain, -24, 24), declaredParameter("mix", 8, 0.5f)}}}});
}

struct Write {
    AUParameterAddress address;
    AUValue value;
    AUParameterAutomationEventType eventType;
    bool operator==(const Write&) const = default;
};

inline void PrintTo(const Write& write, std::ostream* out) {
    *out << "{" << write.address << ", " << write.value << ", type " << static_cast<int>(write.eventType)
         << "}";
}

// Records every write a node hears from anyone (the recorder is never the originator).
class WriteRecorder {
public:
    explicit WriteRecorder(AUParameterNode& node) {
        node.tokenByAddingParameterAutomationObserver(
            [writes = writes_](const AUParameterAutomationEvent& event) {
                writes->push_back({event.address, event.value, event.eventType});
            });
    }
    const std::vector<Write>& writes() const { return *writes_; }

private:
    std::shared_ptr<std::vector<Write>> writes_ = std::make_shared<std::vector<Write>>();
};

} // namespace frame_test
