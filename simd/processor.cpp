#include "simd/processor.h"

namespace quendix {
namespace processor_detail {

// Constant-initialised: the library runs no code at load, so the processor
// is asked on the first conversion instead.
std::atomic<int> KnownAvx2State{kNotAsked};

int AskForAvx2() {
    int state = kAbsent;
#if defined(QUENDIX_AVX2_LOOPS)
    __builtin_cpu_init();
    state = __builtin_cpu_supports("avx2") ? kPresent : kAbsent;
#endif
    KnownAvx2State.store(state, std::memory_order_relaxed);
    return state;
}

} // namespace processor_detail
} // namespace quendix
