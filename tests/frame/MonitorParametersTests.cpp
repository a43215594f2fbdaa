#include <gtest/gtest.h>

#include <thread>

#include "FrameTestSupport.h"
#include "monitor/parameters/Parameters.h"

namespace {

using namespace frame_test;
using vantrel::monitor::VantrelExtensionParameterSpecs;

TEST(MonitorParameters, DeclareTheGroupGlobalWithTwoParametersExactly) {
    const auto& children = VantrelExtensionParameterSpecs().children;
    ASSERT_EQ(children.size(), 1u);
    const auto& global = std::get<vantrel::ParameterGroupSpec>(children[0]);
    EXPECT_EQ(global.identifier, "global");
    EXPECT_EQ(global.name, "Global");
    ASSERT_EQ(global.children.size(), 2u);

    const auto& sendNote = std::get<vantrel::ParameterSpec>(global.children[0]);
    EXPECT_EQ(sendNote.identifier, "sendNote");
    EXPECT_EQ(sendNote.name, "Send Note");
    EXPECT_EQ(sendNote.address, 0u);
    EXPECT_EQ(sendNote.minValue, 0.0f);
    EXPECT_EQ(sendNote.maxValue, 1.0f);
    EXPECT_EQ(sendNote.defaultValue, 0.0f);
    EXPECT_EQ(sendNote.units, 2u);
    EXPECT_EQ(sendNote.flags, 0xC0000000u);

    const auto& noteNumber = std::get<vantrel::ParameterSpec>(global.children[1]);
    EXPECT_EQ(noteNumber.identifier, "midiNoteNumber");
    EXPECT_EQ(noteNumber.name, "MIDI Note Number");
    EXPECT_EQ(noteNumber.address, 1u);
    EXPECT_EQ(noteNumber.minValue, 0.0f);
    EXPECT_EQ(noteNumber.maxValue, 127.0f);
    EXPECT_EQ(noteNumber.defaultValue, 60.0f);
    EXPECT_EQ(noteNumber.units, 11u);
    EXPECT_EQ(noteNumber.flags, 0x80000000u); // writable, not readable

    for (const auto* declaration : {&sendNote, &noteNumber}) {
        EXPECT_FALSE(declaration->unitName.has_value());
        EXPECT_FALSE(declaration->valueStrings.has_value());
        EXPECT_FALSE(declaration->dependentParameters.has_value());
    }
}

TEST(MonitorParameters, BuiltTreeHoldsTheDefaults) {
    const auto tree = vantrel::createAUParameterTree(VantrelExtensionParameterSpecs());
    const auto parameters = tree->allParameters();
    ASSERT_EQ(parameters.size(), 2u);
    EXPECT_EQ(parameters[0]->identifier(), "sendNote");
    EXPECT_EQ(parameters[0]->value(), 0.0f);
    EXPECT_EQ(parameters[1]->identifier(), "midiNoteNumber");
    EXPECT_EQ(parameters[1]->value(), 60.0f);
}

TEST(MonitorParameters, DeclarationIsOneObjectWhoeverAsksFirst) {
    const vantrel::ParameterTreeSpec* seen[2] = {};
    std::thread other([&] { seen[0] = &VantrelExtensionParameterSpecs(); });
    seen[1] = &VantrelExtensionParameterSpecs();
    other.join();
    EXPECT_EQ(seen[0], seen[1]);
}

} // namespace
