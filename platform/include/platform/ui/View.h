#pragma once
// A declarative view: a value whose body builds the node tree it is shown as. A view that polls
// starts its run-loop timer on appearance and ends it on disappearance.

#include "platform/ui/Node.h"

namespace platform::ui {

class View {
public:
    virtual ~View() = default;
    // [main] The tree as the view's state stands now.
    virtual Node body() = 0;
    // [main] The view came on screen; each showing has one onAppear and, later, one onDisappear.
    virtual void onAppear() {}
    virtual void onDisappear() {}
};

} // namespace platform::ui
