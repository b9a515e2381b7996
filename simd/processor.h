// What the processor offers beyond the baseline the library is built for.
#ifndef QUENDIX_SIMD_PROCESSOR_H
#define QUENDIX_SIMD_PROCESSOR_H

#include <atomic>

// SSE2 is part of every x86-64 processor, so the text loops are built for
// it there; elsewhere, or with QUENDIX_NO_SIMD, they run one character at
// a time.
#if defined(__SSE2__) && !defined(QUENDIX_NO_SIMD)
#define QUENDIX_SSE2_LOOPS 1
#endif

// The loops that copy and widen text are bound by their stores, and an
// AVX2 store takes 32 bytes where an SSE2 store takes 16. x86 builds with
// GCC or Clang carry both forms and choose at run time; QUENDIX_NO_AVX2
// (or QUENDIX_NO_SIMD) keeps to the SSE2 or scalar loops.
#if defined(QUENDIX_SSE2_LOOPS) && !defined(QUENDIX_NO_AVX2) && defined(__GNUC__) &&               \
    (defined(__x86_64__) || defined(__i386__))
#define QUENDIX_AVX2_LOOPS 1
#define QUENDIX_TARGET_AVX2 __attribute__((target("avx2")))
#endif

namespace quendix {

namespace processor_detail {
enum Avx2State : int { kNotAsked, kAbsent, kPresent };
extern std::atomic<int> avx2State;
int AskForAvx2();
} // namespace processor_detail

// True when the AVX2 loops are built in and the processor runs them. The
// loops ask on every call, so the answer is kept after the first.
inline bool UseAvx2Loops() {
#if defined(QUENDIX_AVX2_LOOPS)
    int state = processor_detail::avx2State.load(std::memory_order_relaxed);
    if (state == processor_detail::kNotAsked) {
        state = processor_detail::AskForAvx2();
    }
    return state == processor_detail::kPresent;
#else
    return false;
#endif
}

} // namespace quendix

#endif
