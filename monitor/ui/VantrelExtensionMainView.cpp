#include "monitor/ui/VantrelExtensionMainView.h"

#include <cstdio>
#include <limits>
#include <utility>

#include "monitor/common/audiounit/VantrelExtensionAudioUnit.h"
#include "protocol/ReceiverMessages.h"

namespace vantrel::monitor {

using namespace platform::ui;

namespace {

constexpr const char* version = "3.7.5";
constexpr auto pollInterval = platform::milliseconds(100);

std::string hexID(std::uint32_t uniqueID) {
    char buffer[9];
    std::snprintf(buffer, sizeof buffer, "%08X", static_cast<unsigned>(uniqueID));
    return buffer;
}

Node instanceIDText(std::string content) {
    return text(std::move(content))
        .font(Font::system(9, Font::Weight::regular, Font::Design::monospaced))
        .foregroundStyle(Color::tertiary());
}

} // namespace

VantrelExtensionMainView::VantrelExtensionMainView(std::shared_ptr<ObservableAUParameterGroup> parameterTree,
                                                   std::weak_ptr<VantrelExtensionAudioUnit> audioUnit)
    : parameterTree_(std::move(parameterTree)), audioUnit_(std::move(audioUnit)) {}

VantrelExtensionMainView::~VantrelExtensionMainView() {
    onDisappear();
}

void VantrelExtensionMainView::onAppear() {
    if (const auto unit = audioUnit_.lock()) {
        state_.uniqueID = unit->uniqueID();
        state_.isConnected = unit->isConnected();
        state_.connectedTrackName = unit->connectedTrackName();
        state_.articulationNames = unit->articulationNames();
    } else {
        state_.uniqueID = 0;
        state_.isConnected = false;
        state_.connectedTrackName.clear();
        state_.articulationNames.clear();
    }
    onDisappear(); // one poll, however often the view is told it appears
    // The timer ends with the view (its destructor), so no tick can reach a view that is gone.
    pollTimer_ = platform::RunLoopTimer::scheduledRepeating(pollInterval, [this] { updateMonitorData(); });
}

void VantrelExtensionMainView::onDisappear() {
    if (pollTimer_) pollTimer_->invalidate();
    pollTimer_.reset();
}

void VantrelExtensionMainView::updateMonitorData() {
    const auto unit = audioUnit_.lock();
    if (!unit) return;

    const bool wasConnected = state_.isConnected;
    state_.isConnected = unit->isConnected();
    state_.connectedTrackName = unit->connectedTrackName();
    if (state_.isConnected != wasConnected) state_.statusText.clear();

    state_.articulationNames = unit->articulationNames();
    state_.articulationNotes = unit->articulationNotes();

    MonitorSnapshot snapshot = unit->monitorSnapshot();
    state_.ccValues = std::move(snapshot.monitorCCValues);
    state_.activeArticulation = snapshot.monitorActiveArticulation;
    state_.lastNoteVelocity = snapshot.monitorLastNoteVelocity;
}

void VantrelExtensionMainView::requestConnection(std::uint8_t marker, const char* pendingText) {
    if (const auto unit = audioUnit_.lock()) unit->sendConnectRequest(marker);
    state_.statusText = pendingText;
}

Node VantrelExtensionMainView::body() {
    return vStack(Alignment::center, 0,
                  {
                      statusBar().padding(Edges::horizontal, 10).padding(Edges::vertical, 6),
                      divider().opacity(0.3),
                      state_.isConnected ? monitorSections() : connectView(),
                  })
        .frame({.width = 340, .height = 500});
}

Node VantrelExtensionMainView::monitorSections() const {
    std::vector<Node> sections{ccSection()};
    if (!state_.articulationNames.empty()) sections.push_back(articulationSection());
    return scrollView(true, vStack(Alignment::center, 12, std::move(sections))
                                .padding(Edges::horizontal, 10)
                                .padding(Edges::vertical, 8));
}

Node VantrelExtensionMainView::statusBar() {
    std::vector<Node> items;
    items.push_back(circle()
                        .fill(state_.isConnected ? Color::green() : Color::orange())
                        .frame({.width = 8, .height = 8}));
    if (state_.isConnected && !state_.connectedTrackName.empty()) {
        items.push_back(text(state_.connectedTrackName)
                            .font(Font::system(12, Font::Weight::semibold))
                            .foregroundStyle(Color::primary())
                            .lineLimit(1)
                            .truncationMode(TruncationMode::tail));
    } else {
        items.push_back(text("Not connected").font(Font::system(11)).foregroundStyle(Color::secondary()));
    }
    items.push_back(spacer());
    if (state_.isConnected) {
        items.push_back(button(
            text("Disconnect").font(Font::system(10)).foregroundStyle(Color::red()), ButtonStyle::plain,
            [this] { requestConnection(protocol::disconnectRequestType, "Disconnecting..."); }));
    }
    items.push_back(instanceIDText(hexID(state_.uniqueID)));
    items.push_back(
        text(std::string("v") + version).font(Font::system(9)).foregroundStyle(Color::tertiary()));
    return hStack(Alignment::center, 6, std::move(items));
}

Node VantrelExtensionMainView::connectView() {
    std::vector<Node> items{
        spacer(),
        systemImage("link.badge.plus").font(Font::system(36)).foregroundStyle(Color::orange()),
        text("Select this track in Logic,\nthen press Connect.")
            .font(Font::system(12))
            .foregroundStyle(Color::secondary())
            .multilineTextAlignment(TextAlignment::center),
        button(text("Connect to selected track")
                   .font(Font::system(13, Font::Weight::semibold))
                   .frame({.maxWidth = std::numeric_limits<double>::infinity()})
                   .padding(Edges::vertical, 8),
               ButtonStyle::borderedProminent,
               [this] { requestConnection(protocol::connectRequestType, "Connecting..."); })
            .padding(Edges::horizontal, 30),
    };
    if (!state_.statusText.empty()) {
        items.push_back(text(state_.statusText).font(Font::system(10)).foregroundStyle(Color::secondary()));
    }
    items.push_back(instanceIDText("ID: " + hexID(state_.uniqueID)));
    items.push_back(spacer());
    return vStack(Alignment::center, 16, std::move(items));
}

} // namespace vantrel::monitor
