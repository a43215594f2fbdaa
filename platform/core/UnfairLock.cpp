#include "platform/core/UnfairLock.h"

#include <thread>

namespace platform {

void UnfairLock::lock() noexcept {
    for (int spins = 0; !try_lock(); ++spins) {
        if (spins < 64) {
#if defined(__x86_64__) || defined(__i386__)
            __builtin_ia32_pause();
#endif
        } else {
            std::this_thread::yield();
        }
    }
}

} // namespace platform
