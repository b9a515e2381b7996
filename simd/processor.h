// What the processor and the compiler offer beyond the baseline the library
// is built for, decided here once for every vector loop in simd/.
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
#endif

#if defined(QUENDIX_SSE2_LOOPS)
#include <emmintrin.h>
#endif
#if defined(QUENDIX_AVX2_LOOPS)
#include <immintrin.h>
// A function built for AVX2 beside the baseline ones; a loop built so has
// everything it calls inlined into it (QUENDIX_AVX2_LOOP), since a function
// built for AVX2 is not inlined into one that is not.
#define QUENDIX_TARGET_AVX2 __attribute__((target("avx2")))
#define QUENDIX_AVX2_LOOP QUENDIX_TARGET_AVX2 __attribute__((flatten))
#else
#define QUENDIX_TARGET_AVX2
#define QUENDIX_AVX2_LOOP
#endif

namespace quendix {

// The choice above as constants, so the loops choose their path with
// `if constexpr` and every path is compiled in every build.
#if defined(QUENDIX_SSE2_LOOPS)
constexpr bool kSse2Loops = true;
#else
constexpr bool kSse2Loops = false;
#endif
#if defined(QUENDIX_AVX2_LOOPS)
constexpr bool kAvx2Loops = true;
#else
constexpr bool kAvx2Loops = false;
#endif

namespace processor_detail {
enum Avx2State : int { kNotAsked, kAbsent, kPresent };
extern std::atomic<int> KnownAvx2State;
int AskForAvx2();
} // namespace processor_detail

// True when the AVX2 loops are built in and the processor runs them. The
// loops ask on every call, so the answer is kept after the first.
inline bool UseAvx2Loops() {
#if defined(QUENDIX_AVX2_LOOPS)
    int state = processor_detail::KnownAvx2State.load(std::memory_order_relaxed);
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
