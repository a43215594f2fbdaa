#pragma once
// A value (a list, a string) that one side replaces whole while others, the render thread among
// them, read it. A reader sees the old or the new value, whole, and neither allocates nor frees:
// replaced values are released by a later writer, once no reader can still hold them.

#include <atomic>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace platform {

template <typename T> class Published {
public:
    explicit Published(T initial = T{}) : current_(new T(std::move(initial))) {}
    ~Published() {
        delete current_.load();
        for (const T* old : retired_)
            delete old;
    }
    Published(const Published&) = delete;
    Published& operator=(const Published&) = delete;

    // A reader's view of the value; the value stays valid while the Reader lives. [any, render]
    // Never allocates, frees or blocks.
    class Reader {
    public:
        explicit Reader(const Published& owner) noexcept : owner_(owner) {
            owner_.readers_.fetch_add(1, std::memory_order_seq_cst);
            value_ = owner_.current_.load(std::memory_order_seq_cst);
        }
        ~Reader() { owner_.readers_.fetch_sub(1, std::memory_order_release); }
        Reader(const Reader&) = delete;
        Reader& operator=(const Reader&) = delete;
        const T& operator*() const noexcept { return *value_; }
        const T* operator->() const noexcept { return value_; }

    private:
        const Published& owner_;
        const T* value_;
    };

    Reader read() const noexcept { return Reader(*this); }
    // A copy of the current value. [any but render] Allocates.
    T copy() const {
        Reader reader(*this);
        return *reader;
    }

    // Replaces the value whole. [any but render] Allocates, and frees what no reader can hold.
    void publish(T value) {
        const T* fresh = new T(std::move(value));
        std::lock_guard guard(writerMutex_);
        retired_.push_back(current_.exchange(fresh, std::memory_order_seq_cst));
        // A reader that registered after this load reads `fresh`, so with none registered now
        // nothing retired can still be in use.
        if (readers_.load(std::memory_order_seq_cst) == 0) {
            for (const T* old : retired_)
                delete old;
            retired_.clear();
        }
    }

private:
    std::atomic<const T*> current_;
    mutable std::atomic<int> readers_{0};
    std::mutex writerMutex_;
    std::vector<const T*> retired_;
};

} // namespace platform
