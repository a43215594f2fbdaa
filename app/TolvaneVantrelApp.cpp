#include "app/TolvaneVantrelApp.h"

#include "app/ContentView.h"

namespace vantrel {

platform::ui::WindowGroup TolvaneVantrelApp::body() const {
    // The application ships no translations: its string table is empty.
    return {.title = std::nullopt, .content = [] { return std::make_shared<ContentView>(); }};
}

} // namespace vantrel
