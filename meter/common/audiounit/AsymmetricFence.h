#pragma once
// A full fence split unevenly between the render thread and a rare other side. The render
// thread's half orders only what the compiler emits; the other half makes every running thread of
// the process pass a full fence (Linux's membarrier), which costs microseconds but spares the
// render path a locked instruction. Where the kernel does not offer it, the render half is a full
// fence of its own.

#include <atomic>

namespace vantrel::meter {

// Whether the heavy half reaches every thread; set while the library loads, before any render
// thread exists.
extern bool heavyFenceReachesEveryThread;

// [render] Pairs with asymmetricHeavyFence: a store before either and a load after it cannot
// both miss the other side's store.
inline void asymmetricLightFence() noexcept {
    if (heavyFenceReachesEveryThread) std::atomic_signal_fence(std::memory_order_seq_cst);
    else std::atomic_thread_fence(std::memory_order_seq_cst);
}

void asymmetricHeavyFence() noexcept; // [any but render] Enters the kernel.

} // namespace vantrel::meter
