// The vector constants of the AVX2 UTF-8 block step's common paths
// (utf8_block_avx2.h), made once for a run of steps.
#ifndef QUENDIX_SIMD_UTF8_BLOCK_AVX2_CONSTANTS_H
#define QUENDIX_SIMD_UTF8_BLOCK_AVX2_CONSTANTS_H

#include "simd/processor.h"

#if defined(QUENDIX_AVX2_LOOPS)
#include <immintrin.h>

namespace quendix {
namespace utf8_block_detail {

// The vector constants of the common paths. A run of steps makes them once
// and keeps them in registers: left to itself, the compiler builds them
// again in every step.
struct Avx2BlockConstants {
    __m256i byHigh;
    __m256i byLow;
    __m256i lowNibble;
    __m256i twoTopBits;
    __m256i pairLeadBits;
    __m256i highNibble;
    __m256i tripleLead;
};

// Hides a constant's value from the compiler, so that it stays in the
// register it was made in rather than being made again where it is used.
QUENDIX_TARGET_AVX2 inline __m256i Avx2Kept(__m256i value) {
#if defined(__GNUC__)
    __asm__("" : "+x"(value));
#endif
    return value;
}

QUENDIX_TARGET_AVX2 inline Avx2BlockConstants Avx2MakeBlockConstants() {
    constexpr char kCr = 1, kOverlong = 2, kNarrow = 4, kFour = 8, kTriple = -128;
    constexpr char kAny = kFour | kTriple;
    Avx2BlockConstants constants{};
    constants.byHigh = Avx2Kept(_mm256_broadcastsi128_si256(_mm_setr_epi8(
        kCr, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, kOverlong, 0, kNarrow | kTriple, kFour)));
    constants.byLow = Avx2Kept(_mm256_broadcastsi128_si256(
        _mm_setr_epi8(kAny | kOverlong | kNarrow, kAny | kOverlong, kAny, kAny, kAny, kAny, kAny,
                      kAny, kAny, kAny, kAny, kAny, kAny, kAny | kCr | kNarrow, kAny, kAny)));
    constants.lowNibble = Avx2Kept(_mm256_set1_epi8(0x0F));
    constants.twoTopBits = Avx2Kept(_mm256_set1_epi8(static_cast<char>(0xC0)));
    constants.pairLeadBits = Avx2Kept(_mm256_set1_epi8(0x07));
    constants.highNibble = Avx2Kept(_mm256_set1_epi8(static_cast<char>(0xF0)));
    constants.tripleLead = Avx2Kept(_mm256_set1_epi8(static_cast<char>(0xE0)));
    return constants;
}

} // namespace utf8_block_detail
} // namespace quendix

#endif

#endif
