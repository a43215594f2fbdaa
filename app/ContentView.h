#pragma once
// The container application's window content: tells the user that the MIDI FX plug-in is
// installed and where to add it.

#include "platform/ui/StringTable.h"
#include "platform/ui/View.h"

namespace vantrel {

class ContentView : public platform::ui::View {
public:
    // The two texts are localisation keys, looked up in `strings`, the application's string table.
    explicit ContentView(platform::ui::StringTable strings = {}) : strings_(std::move(strings)) {}

    platform::ui::Node body() override; // [main]

private:
    platform::ui::StringTable strings_;
};

} // namespace vantrel
