#include "rtguard/RealtimeGuard.h"

// The sanitizers own the allocator (g++ and clang say so differently); the guard steps aside.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VANTREL_GUARD_SANITIZED
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define VANTREL_GUARD_SANITIZED
#endif
#endif

#include <cstddef>
#include <cstdlib>

namespace platform_test {
namespace {

thread_local bool active = false;
thread_local RealtimeGuard::Counts threadCounts{};

} // namespace

RealtimeGuard::RealtimeGuard() {
    threadCounts = Counts{};
    active = true;
}
RealtimeGuard::~RealtimeGuard() {
    active = false;
}
const RealtimeGuard::Counts& RealtimeGuard::current() {
    return threadCounts;
}
bool RealtimeGuard::available() {
#ifdef VANTREL_GUARD_SANITIZED
    return false;
#else
    return true;
#endif
}

} // namespace platform_test

#ifndef VANTREL_GUARD_SANITIZED

#include <dlfcn.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <semaphore.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>

using platform_test::active;
using platform_test::threadCounts;

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* pointer);
}

namespace {

// Counts one allocation and passes `pointer` on.
void* counted(void* pointer) {
    if (active) ++threadCounts.allocations;
    return pointer;
}
void countSystemCall() {
    if (active) ++threadCounts.systemCalls;
}

// The next definition of a libc function, found once.
template <typename Function> Function next(Function& cached, const char* name) {
    if (cached == nullptr) cached = reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
    return cached;
}

} // namespace

extern "C" {

void* malloc(std::size_t size) {
    return counted(__libc_malloc(size));
}
void* calloc(std::size_t count, std::size_t size) {
    return counted(__libc_calloc(count, size));
}
void* realloc(void* pointer, std::size_t size) {
    return counted(__libc_realloc(pointer, size));
}
void free(void* pointer) {
    if (active && pointer != nullptr) ++threadCounts.frees;
    __libc_free(pointer);
}
void* memalign(std::size_t alignment, std::size_t size) {
    return counted(__libc_memalign(alignment, size));
}
void* aligned_alloc(std::size_t alignment, std::size_t size) {
    return memalign(alignment, size);
}
int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
    *out = memalign(alignment, size);
    return *out == nullptr ? ENOMEM : 0;
}

int pthread_mutex_lock(pthread_mutex_t* mutex) {
    static int (*real)(pthread_mutex_t*) = nullptr;
    if (active) ++threadCounts.mutexLocks;
    return next(real, "pthread_mutex_lock")(mutex);
}

#define VANTREL_COUNTED_CALL(ret, name, params, args)                                                        \
    ret name params {                                                                                        \
        static ret(*real) params = nullptr;                                                                  \
        countSystemCall();                                                                                   \
        return next(real, #name) args;                                                                       \
    }

VANTREL_COUNTED_CALL(ssize_t, write, (int fd, const void* data, std::size_t size), (fd, data, size))
VANTREL_COUNTED_CALL(ssize_t, read, (int fd, void* data, std::size_t size), (fd, data, size))
VANTREL_COUNTED_CALL(int, close, (int fd), (fd))
VANTREL_COUNTED_CALL(int, nanosleep, (const struct timespec* duration, struct timespec* rest),
                     (duration, rest))
VANTREL_COUNTED_CALL(int, clock_nanosleep,
                     (clockid_t clock, int flags, const struct timespec* duration, struct timespec* rest),
                     (clock, flags, duration, rest))
VANTREL_COUNTED_CALL(int, usleep, (useconds_t duration), (duration))
VANTREL_COUNTED_CALL(int, sched_yield, (), ())
VANTREL_COUNTED_CALL(int, poll, (struct pollfd * fds, nfds_t count, int timeout), (fds, count, timeout))
VANTREL_COUNTED_CALL(int, sem_wait, (sem_t * semaphore), (semaphore))
VANTREL_COUNTED_CALL(int, pthread_cond_wait, (pthread_cond_t * condition, pthread_mutex_t* mutex),
                     (condition, mutex))
VANTREL_COUNTED_CALL(int, pthread_cond_timedwait,
                     (pthread_cond_t * condition, pthread_mutex_t* mutex, const struct timespec* until),
                     (condition, mutex, until))

#undef VANTREL_COUNTED_CALL

long syscall(long number, ...) {
    static long (*real)(long, ...) = nullptr;
    countSystemCall();
    va_list args;
    va_start(args, number);
    long values[6];
    for (long& value : values)
        value = va_arg(args, long);
    va_end(args);
    return next(real, "syscall")(number, values[0], values[1], values[2], values[3], values[4], values[5]);
}

} // extern "C"

#endif
