#pragma once
// How callbacks that can outlive an instance (its render block, its MIDI notify handler) reach it:
// weakly, and without ever owning it. A callback that finds the instance gone does nothing. The
// instance closes the gate first thing in its destructor, and closing waits for the callbacks
// already inside. A callback that locked a std::weak_ptr instead could end up holding the last
// reference when the host lets go, and would then run the destructor, with its frees and MIDI
// disposals, on the render thread; through the gate the destructor always runs on the host's side.

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "meter/common/audiounit/AsymmetricFence.h"

namespace vantrel::meter {

template <typename T> class CallbackGate {
    struct State {
        explicit State(T* target) : target(target) {}
        std::atomic<T*> target;
        std::atomic<std::uint32_t> inside{0}; // callbacks on any thread
        std::atomic<bool> renderInside{false}; // the render calls, which never overlap
    };

public:
    // A callback's stay inside the gate: the target, or null once the gate is closed, valid while
    // the Entry lives. [any, render] Never allocates, frees or waits.
    class Entry {
    public:
        // Counting in before looking (both sequentially consistent, as in close()) means that
        // either this sees null or close() sees this callback inside and waits for it.
        explicit Entry(State& state) noexcept : state_(state), render_(false) {
            state_.inside.fetch_add(1, std::memory_order_seq_cst);
            target_ = state_.target.load(std::memory_order_seq_cst);
        }
        // The same with a flag of the render thread's own and the light half of a fence whose
        // heavy half close() pays: no locked instruction on the render path.
        struct OnRenderThread {};
        Entry(State& state, OnRenderThread) noexcept : state_(state), render_(true) {
            state_.renderInside.store(true, std::memory_order_relaxed);
            asymmetricLightFence();
            target_ = state_.target.load(std::memory_order_acquire);
        }
        ~Entry() {
            if (render_) state_.renderInside.store(false, std::memory_order_release);
            else state_.inside.fetch_sub(1, std::memory_order_release);
        }
        Entry(const Entry&) = delete;
        Entry& operator=(const Entry&) = delete;

        T* get() const noexcept { return target_; }

    private:
        State& state_;
        const bool render_;
        T* target_;
    };

    // What a callback keeps; it never keeps the target alive. [any, render] enter() never allocates.
    class Handle {
    public:
        Entry enter() const noexcept { return Entry(*state_); }
        // For render calls, which the host never overlaps for one instance. [render]
        Entry enterFromRender() const noexcept { return Entry(*state_, typename Entry::OnRenderThread{}); }

    private:
        friend class CallbackGate;
        explicit Handle(std::shared_ptr<State> state) : state_(std::move(state)) {}
        std::shared_ptr<State> state_;
    };

    explicit CallbackGate(T* target) : state_(std::make_shared<State>(target)) {}
    ~CallbackGate() { close(); }
    CallbackGate(const CallbackGate&) = delete;
    CallbackGate& operator=(const CallbackGate&) = delete;

    Handle handle() const { return Handle(state_); } // [any but render] Allocates nothing itself.

    // Turns callbacks away from now on and waits for those inside to leave. Never call it from one
    // of the target's own callbacks. [any but render]
    void close() noexcept {
        state_->target.store(nullptr, std::memory_order_seq_cst);
        asymmetricHeavyFence();
        while (state_->inside.load(std::memory_order_acquire) != 0 ||
               state_->renderInside.load(std::memory_order_acquire))
            std::this_thread::yield();
    }

private:
    std::shared_ptr<State> state_;
};

} // namespace vantrel::meter
