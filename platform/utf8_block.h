// UTF-8 sixteen bytes at a time: ASCII other than CR and well-formed two-
// and three-byte characters, which are nearly all the text of feeds in any
// script. Each block step takes the whole characters at the start of its
// sixteen bytes and stops before anything else (CR, a four-byte character,
// an ill-formed sequence, a character cut by the block's end), which the
// one-at-a-time decoder (utf8.h) then takes. A well-formed character decodes
// to the same value whatever follows it, so the two give the same text
// however the bytes are split between reads.
#ifndef QUENDIX_PLATFORM_UTF8_BLOCK_H
#define QUENDIX_PLATFORM_UTF8_BLOCK_H

#include "platform/processor.h"

#include <cstddef>

#if defined(QUENDIX_SSE2_LOOPS)
#include <emmintrin.h>
#endif
#if defined(QUENDIX_AVX2_LOOPS)
#include <immintrin.h>
#endif

namespace quendix {

constexpr std::size_t kUtf8BlockBytes = 16;

// What one block step took: used bytes from the input, stored 16-bit
// characters to the output. Both are 0 when the first character is not one
// the step takes. Out needs room for kUtf8BlockBytes characters, which the
// step may all write.
struct Utf8Block {
    unsigned used;
    unsigned stored;
};

// The plain form: the vector forms must give exactly this, and builds
// without vectors run it.
inline Utf8Block ScalarUtf8Block(const unsigned char* bytes, char16_t* out) {
    unsigned at = 0;
    unsigned stored = 0;
    auto continues = [&](unsigned i) { return (bytes[i] & 0xC0) == 0x80; };
    while (at < kUtf8BlockBytes) {
        const unsigned lead = bytes[at];
        if (lead < 0x80 && lead != '\r') {
            out[stored++] = static_cast<char16_t>(lead);
            at += 1;
        } else if (lead >= 0xC2 && lead <= 0xDF && at + 1 < kUtf8BlockBytes && continues(at + 1)) {
            out[stored++] = static_cast<char16_t>((lead & 0x1F) << 6 | (bytes[at + 1] & 0x3F));
            at += 2;
        } else if (lead >= 0xE0 && lead <= 0xEF && at + 2 < kUtf8BlockBytes && continues(at + 1) &&
                   continues(at + 2) && !(lead == 0xE0 && bytes[at + 1] < 0xA0) &&
                   !(lead == 0xED && bytes[at + 1] > 0x9F)) {
            out[stored++] = static_cast<char16_t>(
                (lead & 0x0F) << 12 | (bytes[at + 1] & 0x3F) << 6 | (bytes[at + 2] & 0x3F));
            at += 3;
        } else {
            break;
        }
    }
    return {at, stored};
}

namespace utf8_block_detail {

// Bits 0 to 15 of a 32-bit mask set for the block's 16 bytes; bits above
// stand for bytes past the block.
constexpr unsigned kBlockBits = 0xFFFF;

// The last byte of each whole character the step takes (ends), and how many
// bytes those characters cover (used), from one bit per byte of each kind.
struct Plan {
    unsigned ends;
    unsigned used;
};

// ascii: below 0x80; continuation: 0x80 to 0xBF; pair and triple: leads of
// two- and three-byte characters (C2 to DF, E0 to EF); carriageReturn: CR;
// tooLowAfter (below A0) and tooHighAfter (above 9F) mark the bytes after
// E0 and ED that would make an overlong form or a surrogate.
struct ByteKinds {
    unsigned ascii;
    unsigned continuation;
    unsigned pair;
    unsigned triple;
    unsigned carriageReturn;
    unsigned tooLowAfter;
    unsigned tooHighAfter;
};

inline Plan PlanBlock(const ByteKinds& kinds) {
    const unsigned expected = kinds.pair << 1 | kinds.triple << 1 | kinds.triple << 2;
    const unsigned other =
        ~(kinds.ascii | kinds.continuation | kinds.pair | kinds.triple) & kBlockBits;
    // A byte that breaks the block: a continuation where none belongs or
    // none where one does (past the block, the character is cut), a byte
    // that never starts a character here, CR, or an out-of-range second byte.
    const unsigned breaks = (kinds.continuation ^ expected) | other | kinds.carriageReturn |
                            kinds.tooLowAfter | kinds.tooHighAfter | (kBlockBits + 1);
    const unsigned before = (1u << __builtin_ctz(breaks)) - 1;
    const unsigned ends = (kinds.ascii | kinds.pair << 1 | kinds.triple << 2) & before;
    if (ends == 0) {
        return {0, 0};
    }
    return {ends, 32u - static_cast<unsigned>(__builtin_clz(ends))};
}

// The number of set bits in each byte value: the byte's ends as characters.
struct BitCounts {
    unsigned char count[256];
    constexpr BitCounts() : count{} {
        for (unsigned i = 1; i < 256; ++i) {
            count[i] = static_cast<unsigned char>(count[i >> 1] + (i & 1));
        }
    }
};
inline constexpr BitCounts kBitCounts{};

#if defined(QUENDIX_SSE2_LOOPS)
// Continuation bytes, 0x80 to 0xBF, are the signed bytes below -64, leads
// C2 to DF those from -62 to -33, and leads E0 to EF those from -32 to -17.
inline Plan Sse2PlanBlock(__m128i block) {
    auto mask = [](__m128i lanes) { return static_cast<unsigned>(_mm_movemask_epi8(lanes)); };
    auto between = [&](int low, int high) {
        return mask(
            _mm_and_si128(_mm_cmpgt_epi8(block, _mm_set1_epi8(static_cast<char>(low - 1))),
                          _mm_cmplt_epi8(block, _mm_set1_epi8(static_cast<char>(high + 1)))));
    };
    auto equal = [&](int value) {
        return mask(_mm_cmpeq_epi8(block, _mm_set1_epi8(static_cast<char>(value))));
    };
    ByteKinds kinds{};
    kinds.ascii = ~mask(block) & kBlockBits;
    kinds.continuation = mask(_mm_cmplt_epi8(block, _mm_set1_epi8(-64)));
    kinds.pair = between(-62, -33);
    kinds.triple = between(-32, -17);
    kinds.carriageReturn = equal('\r');
    const unsigned lowSecond = mask(_mm_cmplt_epi8(block, _mm_set1_epi8(-96))); // 80 to 9F
    kinds.tooLowAfter = equal(0xE0) << 1 & lowSecond;
    kinds.tooHighAfter = equal(0xED) << 1 & kinds.continuation & ~lowSecond;
    return PlanBlock(kinds);
}

// Every byte's value if it ended a character: itself for ASCII, else its
// six bits with those of the one or two bytes before it, whose kinds the
// byte two back tells (a three-byte lead there or not).
struct Sse2Values {
    __m128i low;
    __m128i high;
};
inline __m128i Sse2EndValues(__m128i at, __m128i one, __m128i two) {
    const __m128i six = _mm_set1_epi16(0x3F);
    const __m128i tripleEnd =
        _mm_cmpeq_epi16(_mm_and_si128(two, _mm_set1_epi16(0xF0)), _mm_set1_epi16(0xE0));
    const __m128i leadBits = _mm_or_si128(_mm_set1_epi16(0x1F), _mm_and_si128(tripleEnd, six));
    const __m128i joined = _mm_or_si128(
        _mm_or_si128(_mm_and_si128(at, six), _mm_slli_epi16(_mm_and_si128(one, leadBits), 6)),
        _mm_and_si128(tripleEnd, _mm_slli_epi16(two, 12)));
    const __m128i ascii = _mm_cmplt_epi16(at, _mm_set1_epi16(0x80));
    return _mm_or_si128(_mm_and_si128(ascii, at), _mm_andnot_si128(ascii, joined));
}
#endif

#if defined(QUENDIX_AVX2_LOOPS)
// For each set of eight bits, the byte shuffle that moves the 16-bit lanes
// whose bits are set to the front, in order.
struct PackShuffles {
    unsigned char control[256][16];
    constexpr PackShuffles() : control{} {
        for (unsigned bits = 0; bits < 256; ++bits) {
            unsigned next = 0;
            for (unsigned lane = 0; lane < 8; ++lane) {
                if ((bits >> lane & 1) != 0) {
                    control[bits][2 * next] = static_cast<unsigned char>(2 * lane);
                    control[bits][2 * next + 1] = static_cast<unsigned char>(2 * lane + 1);
                    ++next;
                }
            }
            for (; next < 8; ++next) {
                control[bits][2 * next] = 0x80;
                control[bits][2 * next + 1] = 0x80;
            }
        }
    }
};
inline constexpr PackShuffles kPackShuffles{};

QUENDIX_TARGET_AVX2 inline __m256i Avx2EndValues(__m128i block) {
    const __m256i at = _mm256_cvtepu8_epi16(block);
    const __m256i one = _mm256_cvtepu8_epi16(_mm_slli_si128(block, 1));
    const __m256i two = _mm256_cvtepu8_epi16(_mm_slli_si128(block, 2));
    const __m256i six = _mm256_set1_epi16(0x3F);
    const __m256i tripleEnd =
        _mm256_cmpeq_epi16(_mm256_and_si256(two, _mm256_set1_epi16(0xF0)), _mm256_set1_epi16(0xE0));
    const __m256i leadBits =
        _mm256_or_si256(_mm256_set1_epi16(0x1F), _mm256_and_si256(tripleEnd, six));
    const __m256i joined =
        _mm256_or_si256(_mm256_or_si256(_mm256_and_si256(at, six),
                                        _mm256_slli_epi16(_mm256_and_si256(one, leadBits), 6)),
                        _mm256_and_si256(tripleEnd, _mm256_slli_epi16(two, 12)));
    const __m256i ascii = _mm256_cmpgt_epi16(_mm256_set1_epi16(0x80), at);
    return _mm256_blendv_epi8(joined, at, ascii);
}

QUENDIX_TARGET_AVX2 inline __m128i LoadShuffle(unsigned bits) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(kPackShuffles.control[bits]));
}
#endif

} // namespace utf8_block_detail

#if defined(QUENDIX_SSE2_LOOPS)
// Without a byte shuffle, the values of the characters' last bytes are
// gathered one at a time from where the vector left them.
inline Utf8Block Sse2Utf8Block(const unsigned char* bytes, char16_t* out) {
    using namespace utf8_block_detail;
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
    const Plan plan = Sse2PlanBlock(block);
    if (plan.used == 0) {
        return {0, 0};
    }
    const __m128i zero = _mm_setzero_si128();
    const __m128i one = _mm_slli_si128(block, 1);
    const __m128i two = _mm_slli_si128(block, 2);
    alignas(16) char16_t values[kUtf8BlockBytes];
    _mm_store_si128(reinterpret_cast<__m128i*>(values),
                    Sse2EndValues(_mm_unpacklo_epi8(block, zero), _mm_unpacklo_epi8(one, zero),
                                  _mm_unpacklo_epi8(two, zero)));
    _mm_store_si128(reinterpret_cast<__m128i*>(values + 8),
                    Sse2EndValues(_mm_unpackhi_epi8(block, zero), _mm_unpackhi_epi8(one, zero),
                                  _mm_unpackhi_epi8(two, zero)));
    unsigned stored = 0;
    for (unsigned ends = plan.ends; ends != 0; ends &= ends - 1) {
        out[stored++] = values[__builtin_ctz(ends)];
    }
    return {plan.used, stored};
}
#endif

#if defined(QUENDIX_AVX2_LOOPS)
// Each half of eight values is packed by one shuffle; the second half's go
// right after the first's.
QUENDIX_TARGET_AVX2 inline Utf8Block Avx2Utf8Block(const unsigned char* bytes, char16_t* out) {
    using namespace utf8_block_detail;
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
    const Plan plan = Sse2PlanBlock(block);
    if (plan.used == 0) {
        return {0, 0};
    }
    const unsigned low = plan.ends & 0xFF;
    const unsigned high = plan.ends >> 8;
    const __m256i packed = _mm256_shuffle_epi8(
        Avx2EndValues(block), _mm256_set_m128i(LoadShuffle(high), LoadShuffle(low)));
    const unsigned lowCount = kBitCounts.count[low];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(packed));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + lowCount),
                     _mm256_extracti128_si256(packed, 1));
    return {plan.used, lowCount + kBitCounts.count[high]};
}
#endif

} // namespace quendix

#endif
