#pragma once
// The controller monitor's editor panel: whether the instance is connected and to which track,
// the Connect and Disconnect buttons, and while connected the live controller meters and the
// track's articulations. It polls the instance ten times a second while shown and changes it only
// through connect and disconnect requests.
//
// The view holds the instance weakly: once it is gone the view keeps showing what it last copied.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/dispatch/RunLoopTimer.h"
#include "platform/ui/View.h"

namespace vantrel {
class ObservableAUParameterGroup;
}

namespace vantrel::monitor {

class VantrelExtensionAudioUnit;

class VantrelExtensionMainView : public platform::ui::View {
public:
    // What the view shows, copied from the instance; owned by the view.
    struct State {
        std::uint32_t uniqueID = 0;
        bool isConnected = false;
        std::string connectedTrackName;
        std::string statusText; // under the Connect button until a connect or disconnect completes
        std::map<int, int> ccValues;
        int activeArticulation = -1; // -1 = none
        int lastNoteVelocity = 0;
        std::vector<std::string> articulationNames;
        std::vector<std::int64_t> articulationNotes; // may be shorter than the names
    };

    // Owns the wrapper tree; holds the instance weakly, as it may go away first. [main]
    VantrelExtensionMainView(std::shared_ptr<ObservableAUParameterGroup> parameterTree,
                             std::weak_ptr<VantrelExtensionAudioUnit> audioUnit);
    ~VantrelExtensionMainView() override; // stops the poll

    platform::ui::Node body() override; // [main]
    // [main] Copies the instance's identity, connection and articulation names, and starts the
    // 0.1 s poll; the identity is copied nowhere else.
    void onAppear() override;
    void onDisappear() override; // [main] Stops the poll.

    // [main] Copies connection, articulations and the monitor values (the latter as one snapshot
    // under the instance's monitor lock); clears the status line when the connection flipped.
    void updateMonitorData();

    const std::shared_ptr<ObservableAUParameterGroup>& parameterTree() const { return parameterTree_; }
    const State& state() const { return state_; }

    // Parts of the body. [main] Button actions refer to this view: use a tree while it lives.
    platform::ui::Node statusBar();
    platform::ui::Node connectView();
    platform::ui::Node monitorSections() const; // the scroll area shown while connected
    platform::ui::Node ccSection() const;
    platform::ui::Node articulationSection() const;
    platform::ui::Node articulationCell(std::int64_t note, const std::string& name) const;
    static platform::ui::Node ccMeterRow(int cc, int value);
    static std::string ccName(int cc);
    static platform::ui::LinearGradient ccBarGradient(int value);
    // Violet for soft levels through green to red for 127; levels outside 1...127 count as the
    // nearer end.
    static platform::ui::Color levelColor(int level);

private:
    // Button actions: the request goes out if the instance still exists; the status line says
    // what is pending until the poll sees the connection flip.
    void requestConnection(std::uint8_t marker, const char* pendingText);

    std::shared_ptr<ObservableAUParameterGroup> parameterTree_;
    std::weak_ptr<VantrelExtensionAudioUnit> audioUnit_;
    State state_;
    std::shared_ptr<platform::RunLoopTimer> pollTimer_; // while shown
};

} // namespace vantrel::monitor
