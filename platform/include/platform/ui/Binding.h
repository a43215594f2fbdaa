#pragma once
// A two-way connection from a control to a value the control does not own.

#include <functional>

namespace platform::ui {

template <typename T> struct Binding {
    std::function<T()> get{};
    std::function<void(T)> set{};
};

} // namespace platform::ui
