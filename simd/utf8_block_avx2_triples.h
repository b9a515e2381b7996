// The AVX2 UTF-8 block step's shortest path: a block that starts with ten
// three-byte characters and the lead of an eleventh, which the block cuts
// (text in Chinese or Japanese, nearly all of it). Its characters stand at
// fixed places, so their values come from two fixed byte shuffles, with
// no mask to work out and nothing to pack.
#ifndef QUENDIX_SIMD_UTF8_BLOCK_AVX2_TRIPLES_H
#define QUENDIX_SIMD_UTF8_BLOCK_AVX2_TRIPLES_H

#include "simd/utf8_block.h"
#include "simd/utf8_block_avx2_constants.h"

#include <cstdint>

#if defined(QUENDIX_AVX2_LOOPS)
#include <immintrin.h>

namespace quendix {
namespace utf8_block_detail {

constexpr unsigned kTriplesInBlock = 10;
constexpr unsigned kTripleBlockBytes = 3 * kTriplesInBlock;

// Whether a block without the bytes that keep it from the common paths
// (Avx2BlockShape) holds ten three-byte characters from its start and the
// lead of another at byte 30: its triple leads' bits (from 0 to 30, every
// third) and its continuations' (the two bits after each of the first ten).
inline bool IsTripleBlock(std::uint64_t continuation, std::uint64_t triples) {
    constexpr std::uint64_t kLeads = 0x49249249u;
    constexpr std::uint64_t kFollowers = (kLeads << 1 | kLeads << 2) & 0x3FFFFFFFu;
    return (triples & 0x7FFFFFFFu) == kLeads && (continuation & 0x3FFFFFFFu) == kFollowers;
}

// The ten characters, five from each 128-bit lane: the second lane is
// loaded from byte 15, where the sixth character starts. One shuffle puts
// each character's second and third bytes in a 16-bit lane, whose six bits
// each one multiply-add joins; the other its lead, whose low four bits a
// shift by twelve keeps.
QUENDIX_TARGET_AVX2 inline Utf8Block Avx2TripleBlock(const unsigned char* bytes, __m256i block,
                                                     char16_t* out,
                                                     const Avx2BlockConstants& constants) {
    const __m256i lanes = _mm256_inserti128_si256(
        block, _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 15)), 1);
    const __m256i lastTwo = _mm256_shuffle_epi8(
        lanes, _mm256_setr_epi8(2, 1, 5, 4, 8, 7, 11, 10, 14, 13, -1, -1, -1, -1, -1, -1, 2, 1, 5,
                                4, 8, 7, 11, 10, 14, 13, -1, -1, -1, -1, -1, -1));
    const __m256i leads = _mm256_shuffle_epi8(
        lanes, _mm256_setr_epi8(0, -1, 3, -1, 6, -1, 9, -1, 12, -1, -1, -1, -1, -1, -1, -1, 0, -1,
                                3, -1, 6, -1, 9, -1, 12, -1, -1, -1, -1, -1, -1, -1));
    const __m256i joined = _mm256_maddubs_epi16(_mm256_andnot_si256(constants.twoTopBits, lastTwo),
                                                _mm256_set1_epi16(0x4001));
    const __m256i values = _mm256_or_si256(joined, _mm256_slli_epi16(leads, 12));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(values));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + kTriplesInBlock / 2),
                     _mm256_extracti128_si256(values, 1));
    return {kTripleBlockBytes, kTriplesInBlock, true};
}

} // namespace utf8_block_detail
} // namespace quendix

#endif

#endif
