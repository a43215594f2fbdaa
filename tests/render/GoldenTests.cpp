// The faces a user sees, drawn and compared with their golden pictures. Run
// tests/render/update-goldens.sh after a deliberate change of the drawing, and look at the
// pictures before committing them.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "app/ContentView.h"
#include "frame/common/ui/ObservableAUParameter.h"
#include "meter/ui/ParameterSlider.h"
#include "monitor/ui/VantrelExtensionMainView.h"
#include "platform/audiounit/AUParameterTree.h"
#include "platform/ui/HostingController.h"
#include "platform/ui/Window.h"
#include "platform/ui/render/Renderer.h"
#include "render/PngComparison.h"
#include "render/TestRenderer.h"
#include "support/HostedMonitor.h"

namespace vantrel::render::test {
namespace {

namespace ui = platform::ui;
using ui::render::Appearance;
using vantrel::test::ms;

// The views in the states the faces show, on virtual time.
class Faces : public vantrel::test::HostedMonitor {
public:
    ui::Node monitorNeverConnected() {
        openMonitor();
        return monitorView->body();
    }

    ui::Node monitorConnecting() {
        openMonitor();
        press("Connect to selected track");
        return monitorView->body();
    }

    ui::Node monitorConnected() {
        openMonitor();
        connect(*unit, "Strings");
        post("com.marlek.vantrel.articulations",
             platform::Dictionary{{"names", std::vector<std::string>{"Legato", "Staccato", "Pizzicato",
                                                                     "Tremolo", "Spiccato"}},
                                  {"notes", std::vector<int>{24, 25, 26, 27, 28}}});
        play({{0xB0, 0x01, 0x40},
              {0xB0, 0x07, 0x64},
              {0xB0, 0x0B, 0x30},
              {0xB0, 0x40, 0x7F},
              {0x90, 0x18, 0x64}});
        sim.advance(ms(100));
        return monitorView->body();
    }

    ui::Node meterSlider() {
        auto gain = platform::AUParameterTree::createParameter(
            "gain", "Gain", 0, -24, 24, platform::kAudioUnitParameterUnit_Decibels, std::nullopt,
            platform::kAudioUnitParameterFlag_IsReadable | platform::kAudioUnitParameterFlag_IsWritable,
            std::nullopt, std::nullopt);
        gain->setValue(3.5);
        slider = std::make_unique<meter::ParameterSlider>(ObservableAUParameter::make(gain));
        return slider->body();
    }

    ui::Node containerApplication() { return ContentView().body(); }

private:
    void openMonitor() {
        receiver.up();
        window->open();
        sim.advance(ms(100));
    }
    void press(const std::string& label) {
        const ui::Node tree = monitorView->body();
        const ui::Node* button = ui::findNode(tree, [&](const ui::Node& node) {
            return node.kind == ui::NodeKind::button && !node.children.empty() &&
                   node.children[0].text == label;
        });
        ASSERT_NE(button, nullptr) << label;
        button->action();
    }
    void play(const std::vector<vantrel::test::Bytes>& messages) {
        vantrel::test::EventList events;
        for (const auto& message : messages)
            events.midi(message);
        vantrel::test::render(unit->internalRenderBlock(), events.head());
    }

    std::shared_ptr<monitor::VantrelExtensionAudioUnit> unit = createRenderingUnit();
    std::shared_ptr<monitor::VantrelExtensionMainView> monitorView =
        std::make_shared<monitor::VantrelExtensionMainView>(
            std::make_shared<ObservableAUParameterGroup>(*platform::AUParameterTree::createTree({})), unit);
    std::unique_ptr<ui::Window> window =
        std::make_unique<ui::Window>(std::make_shared<ui::HostingController>(monitorView));
    std::unique_ptr<meter::ParameterSlider> slider;
};

struct Face {
    const char* name;
    Appearance appearance;
    ui::Node (Faces::*build)();
};

class Golden : public ::testing::TestWithParam<Face> {
protected:
    Faces faces;
};

TEST_P(Golden, PictureMatches) {
    const Face& face = GetParam();
    const ui::Node tree = (faces.*face.build)();
    const std::string golden = std::string(VANTREL_GOLDEN_DIRECTORY) + "/" + face.name + ".png";
    if (std::getenv("VANTREL_UPDATE_GOLDENS") != nullptr) {
        renderer().writePng(tree, std::nullopt, face.appearance, golden);
        return;
    }
    const std::string output = std::string(VANTREL_PICTURE_OUTPUT_DIRECTORY) + "/" + face.name;
    renderer().writePng(tree, std::nullopt, face.appearance, output + ".actual.png");
    const Comparison comparison =
        comparePngs(output + ".actual.png", golden, goldenTolerance, output + ".diff.png");
    EXPECT_TRUE(comparison.same) << comparison.message;
}

INSTANTIATE_TEST_SUITE_P(
    Faces, Golden,
    ::testing::Values(Face{"monitor_never_connected", Appearance::dark, &Faces::monitorNeverConnected},
                      Face{"monitor_connecting", Appearance::dark, &Faces::monitorConnecting},
                      Face{"monitor_connected", Appearance::dark, &Faces::monitorConnected},
                      Face{"meter_slider", Appearance::dark, &Faces::meterSlider},
                      Face{"app_window", Appearance::light, &Faces::containerApplication},
                      Face{"app_window_dark", Appearance::dark, &Faces::containerApplication}),
    [](const ::testing::TestParamInfo<Face>& info) { return std::string(info.param.name); });

} // namespace
} // namespace vantrel::render::test
