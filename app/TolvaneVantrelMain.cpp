#include "app/TolvaneVantrelMain.h"

#include <nlohmann/json.hpp>

#include "app/TolvaneVantrelApp.h"
#include "platform/ui/TextRendering.h"

namespace vantrel {

namespace {

std::string quoted(const std::string& text) {
    return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

constexpr const char* usage =
    "Usage: TolvaneVantrel [--help]\n"
    "Shows the window of the Tolvane Vantrel container application. Until a graphical renderer\n"
    "exists, the window is printed as the text rendering of its view tree, and the program exits.\n";

void printWindow(std::ostream& out) {
    const TolvaneVantrelApp app;
    const platform::ui::WindowGroup group = app.body();
    out << "window " << quoted(group.title.value_or(TolvaneVantrelApp::name)) << '\n';
    for (const std::string& line : platform::ui::renderLines(group.content()->body()))
        out << "  " << line << '\n';
}

} // namespace

int runTolvaneVantrel(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    for (const std::string& argument : arguments) {
        if (argument == "--help" || argument == "-h") {
            out << usage;
            return 0;
        }
        err << "TolvaneVantrel: unknown argument " << quoted(argument) << '\n' << usage;
        return 2;
    }
    printWindow(out);
    return 0;
}

} // namespace vantrel
