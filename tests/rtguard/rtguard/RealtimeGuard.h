#pragma once
// Counts what the calling thread does that a render path must not: allocations and frees
// (malloc family and operator new/delete), mutex locks, and blocking or I/O system calls.
// Only calls made on the thread that holds the guard, while it lives, are counted.
//
// The counting replaces the allocator entry points, which the address and thread sanitizers
// replace themselves; in those builds available() is false and nothing is counted.

namespace platform_test {

class RealtimeGuard {
public:
    RealtimeGuard();
    ~RealtimeGuard();
    RealtimeGuard(const RealtimeGuard&) = delete;
    RealtimeGuard& operator=(const RealtimeGuard&) = delete;

    static bool available();

    long allocations() const;
    long frees() const;
    long mutexLocks() const;
    long systemCalls() const;
    // Everything above taken together; zero for a clean render path.
    long violations() const { return allocations() + frees() + mutexLocks() + systemCalls(); }
};

} // namespace platform_test
