#include "meter/common/audiounit/AsymmetricFence.h"

#include <linux/membarrier.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace vantrel::meter {

namespace {
long membarrier(int command) noexcept {
    return syscall(SYS_membarrier, command, 0, 0);
}
} // namespace

bool heavyFenceReachesEveryThread = false;

namespace {
[[maybe_unused]] const bool heavyFenceRegistered =
    (heavyFenceReachesEveryThread = membarrier(MEMBARRIER_CMD_REGISTER_PRIVATE_EXPEDITED) == 0, true);
} // namespace

void asymmetricHeavyFence() noexcept {
    // A registered process cannot be refused the expedited fence; the full fence is for processes
    // the kernel would not register.
    if (heavyFenceReachesEveryThread) membarrier(MEMBARRIER_CMD_PRIVATE_EXPEDITED);
    else std::atomic_thread_fence(std::memory_order_seq_cst);
}

} // namespace vantrel::meter
