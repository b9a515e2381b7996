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

// The constants' bytes, each repeated to thirty-two: one load each makes
// them, where building them from immediates takes three instructions.
struct Avx2ConstantBytes {
    alignas(32) unsigned char lanes[7][32];
    constexpr Avx2ConstantBytes() : lanes{} {
        constexpr unsigned char kCr = 1, kOverlong = 2, kNarrow = 4, kFour = 8, kTriple = 0x80;
        constexpr unsigned char kAny = kFour | kTriple;
        constexpr unsigned char byHigh[16] = {
            kCr, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, kOverlong, 0, kNarrow | kTriple, kFour};
        constexpr unsigned char byLow[16] = {kAny | kOverlong | kNarrow,
                                             kAny | kOverlong,
                                             kAny,
                                             kAny,
                                             kAny,
                                             kAny,
                                             kAny,
                                             kAny,
                                             kAny,
                                             kAny,
                                             kAny,
                                             kAny,
                                             kAny,
                                             kAny | kCr | kNarrow,
                                             kAny,
                                             kAny};
        constexpr unsigned char repeated[5] = {0x0F, 0xC0, 0x07, 0xF0, 0xE0};
        for (unsigned i = 0; i < 32; ++i) {
            lanes[0][i] = byHigh[i % 16];
            lanes[1][i] = byLow[i % 16];
            for (unsigned k = 0; k < 5; ++k) {
                lanes[2 + k][i] = repeated[k];
            }
        }
    }
};
inline constexpr Avx2ConstantBytes kAvx2ConstantBytes{};

// An unaligned load, as fast on aligned data: not every toolchain for
// Windows honours an alignment of thirty-two.
QUENDIX_TARGET_AVX2 inline __m256i Avx2LoadConstant(unsigned index) {
    return Avx2Kept(
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kAvx2ConstantBytes.lanes[index])));
}

QUENDIX_TARGET_AVX2 inline Avx2BlockConstants Avx2MakeBlockConstants() {
    Avx2BlockConstants constants{};
    constants.byHigh = Avx2LoadConstant(0);
    constants.byLow = Avx2LoadConstant(1);
    constants.lowNibble = Avx2LoadConstant(2);
    constants.twoTopBits = Avx2LoadConstant(3);
    constants.pairLeadBits = Avx2LoadConstant(4);
    constants.highNibble = Avx2LoadConstant(5);
    constants.tripleLead = Avx2LoadConstant(6);
    return constants;
}

} // namespace utf8_block_detail
} // namespace quendix

#endif

#endif
