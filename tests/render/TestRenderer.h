#pragma once
// One renderer for a test executable: its fonts are loaded once.

#include "platform/ui/render/Renderer.h"

namespace vantrel::render::test {

inline const platform::ui::render::Renderer& renderer() {
    static const platform::ui::render::Renderer shared;
    return shared;
}

} // namespace vantrel::render::test
