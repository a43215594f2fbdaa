#pragma once
// Counts what the calling thread does that a render path must not: allocations and frees
// (the malloc family, through which operator new and delete go), mutex locks, and blocking or I/O system
// calls. Only calls made on the thread that holds the guard, while it lives, are counted.
//
// The counting replaces the allocator entry points, which the address and thread sanitizers
// replace themselves; in those builds available() is false and nothing is counted.

#include <ostream>

namespace platform_test {

class RealtimeGuard {
public:
    RealtimeGuard();
    ~RealtimeGuard();
    RealtimeGuard(const RealtimeGuard&) = delete;
    RealtimeGuard& operator=(const RealtimeGuard&) = delete;

    static bool available();

    struct Counts {
        long allocations, frees, mutexLocks, systemCalls;
        friend bool operator==(const Counts&, const Counts&) = default;
        friend std::ostream& operator<<(std::ostream& out, const Counts& c) {
            return out << c.allocations << " allocations, " << c.frees << " frees, " << c.mutexLocks
                       << " mutex locks, " << c.systemCalls << " system calls";
        }
    };
    const Counts& counts() const { return current(); }

    long allocations() const { return current().allocations; }
    long frees() const { return current().frees; }
    long mutexLocks() const { return current().mutexLocks; }
    long systemCalls() const { return current().systemCalls; }
    // Everything above taken together; zero for a clean render path.
    long violations() const { return allocations() + frees() + mutexLocks() + systemCalls(); }

private:
    static const Counts& current();
};

} // namespace platform_test
