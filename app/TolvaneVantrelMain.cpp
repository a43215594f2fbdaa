#include "app/TolvaneVantrelMain.h"

#include <stdexcept>

#include <nlohmann/json.hpp>

#include "app/TolvaneVantrelApp.h"
#include "app/TolvaneVantrelWindow.h"
#include "platform/ui/TextRendering.h"

namespace vantrel {

namespace {

std::string quoted(const std::string& text) {
    return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

constexpr const char* usage =
    "Usage: TolvaneVantrel [--help]\n"
    "Shows the window of the Tolvane Vantrel container application until it is closed. With no\n"
    "X display (DISPLAY) the window is printed as the text rendering of its view tree instead.\n";

void printWindow(const TolvaneVantrelApp& app, std::ostream& out) {
    const platform::ui::WindowGroup group = app.body();
    out << "window " << quoted(group.title.value_or(TolvaneVantrelApp::name)) << '\n';
    for (const std::string& line : platform::ui::renderLines(group.content()->body()))
        out << "  " << line << '\n';
}

} // namespace

int runTolvaneVantrel(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                      const char* display) {
    for (const std::string& argument : arguments) {
        if (argument == "--help" || argument == "-h") {
            out << usage;
            return 0;
        }
        err << "TolvaneVantrel: unknown argument " << quoted(argument) << '\n' << usage;
        return 2;
    }
    const TolvaneVantrelApp app;
    if (display == nullptr || *display == '\0') {
        err << "TolvaneVantrel: no display (DISPLAY is not set); the window follows as text\n";
    } else {
        try {
            showTolvaneVantrelWindow(app);
            return 0;
        } catch (const std::runtime_error& problem) {
            err << "TolvaneVantrel: " << problem.what() << "; the window follows as text\n";
        }
    }
    printWindow(app, out);
    return 0;
}

} // namespace vantrel
