#include "app/ContentView.h"

namespace vantrel {

using namespace platform::ui;

Node ContentView::body() {
    return vStack(Alignment::center, 16,
                  {
                      systemImage("pianokeys").font(Font::system(40)).foregroundStyle(Color::secondary()),
                      text(strings_.localized("Tolvane Vantrel")).font(Font::title2().bold()),
                      text(strings_.localized("Das MIDI FX Plugin ist installiert.\n"
                                              "Füge es in Logic Pro als MIDI FX auf einem Track hinzu."))
                          .font(Font::body())
                          .foregroundStyle(Color::secondary())
                          .multilineTextAlignment(TextAlignment::center),
                  })
        .padding(Edges::all, 40)
        .frame({.width = 400, .height = 200, .alignment = Alignment::center});
}

} // namespace vantrel
