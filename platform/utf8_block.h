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
// step may all write. more: whether another block step is worth trying
// right after, which is when the step went up to the block's end (but for a
// character cut by it) and its last eight bytes were not all ASCII; else
// the run has met something the block steps leave, or ASCII that the
// ASCII loop takes faster.
struct Utf8Block {
    unsigned used;
    unsigned stored;
    bool more;
};

// The bytes a step must take for another to follow: the block's end, or a
// three-byte character cut by it two bytes before.
constexpr unsigned kUtf8BlockGoesOn = 14;

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
    bool nonAsciiEnd = false;
    for (unsigned i = kUtf8BlockBytes / 2; i < kUtf8BlockBytes; ++i) {
        nonAsciiEnd = nonAsciiEnd || bytes[i] >= 0x80;
    }
    return {at, stored, at >= kUtf8BlockGoesOn && nonAsciiEnd};
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

// The block's characters from one bit per byte of each kind: nonAscii (0x80
// and up), continuation (0x80 to 0xBF), pair and triple (leads of two- and
// three-byte characters, C2 to DF and E0 to EF), and stops: bytes the step
// never takes however they stand (CR, the second byte of an overlong form
// or a surrogate).
struct ByteKinds {
    unsigned nonAscii;
    unsigned continuation;
    unsigned pair;
    unsigned triple;
    unsigned stops;
};

inline Plan PlanBlock(const ByteKinds& kinds) {
    const unsigned expected = (kinds.pair | kinds.triple) << 1 | kinds.triple << 2;
    const unsigned other = kinds.nonAscii & ~(kinds.continuation | kinds.pair | kinds.triple);
    // A byte that breaks the block: a continuation where none belongs or
    // none where one does (past the block, the character is cut), a byte
    // that never starts a character here, or a stop.
    const unsigned breaks =
        (kinds.continuation ^ expected) | other | kinds.stops | (kBlockBits + 1);
    const unsigned before = (breaks & (0u - breaks)) - 1;
    const unsigned ends = (~kinds.nonAscii | kinds.pair << 1 | kinds.triple << 2) & before;
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
inline unsigned Sse2Mask(__m128i lanes) {
    return static_cast<unsigned>(_mm_movemask_epi8(lanes));
}

// Bytes that would make a three-byte character an overlong form (below A0
// after E0) or a surrogate (above 9F after ED). Only text with E0 or ED
// leads has them to look for.
inline unsigned Sse2OutOfRangeSeconds(__m128i block, unsigned continuation) {
    const unsigned leadE0 = Sse2Mask(_mm_cmpeq_epi8(block, _mm_set1_epi8(static_cast<char>(0xE0))));
    const unsigned leadED = Sse2Mask(_mm_cmpeq_epi8(block, _mm_set1_epi8(static_cast<char>(0xED))));
    if ((leadE0 | leadED) == 0) {
        return 0;
    }
    const unsigned lowSecond = Sse2Mask(_mm_cmplt_epi8(block, _mm_set1_epi8(-96))); // 80 to 9F
    return (leadE0 << 1 & lowSecond) | (leadED << 1 & continuation & ~lowSecond);
}

// Byte kinds by signed comparisons: continuation bytes are those below -64;
// adding 0xBE puts leads C2 to DF, and adding 0xA0 leads E0 to EF, at the
// bottom of the signed range, where no other byte lands.
inline ByteKinds Sse2ByteKinds(__m128i block) {
    auto below = [](__m128i lanes, int limit) {
        return Sse2Mask(_mm_cmplt_epi8(lanes, _mm_set1_epi8(static_cast<char>(limit))));
    };
    auto shifted = [&](int by) {
        return _mm_add_epi8(block, _mm_set1_epi8(static_cast<char>(by)));
    };
    ByteKinds kinds{};
    kinds.nonAscii = Sse2Mask(block);
    kinds.continuation = below(block, -64);
    kinds.pair = below(shifted(0xBE), -98);
    kinds.triple = below(shifted(0xA0), -112);
    kinds.stops = Sse2Mask(_mm_cmpeq_epi8(block, _mm_set1_epi8('\r')));
    if (kinds.triple != 0) {
        kinds.stops |= Sse2OutOfRangeSeconds(block, kinds.continuation);
    }
    return kinds;
}

// Whether a step that used so many bytes of a block with these kinds should
// be followed by another (Utf8Block::more).
inline bool GoesOn(unsigned used, const ByteKinds& kinds) {
    return used >= kUtf8BlockGoesOn && (kinds.nonAscii >> kUtf8BlockBytes / 2) != 0;
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
    const __m128i zero = _mm_setzero_si128();
    const ByteKinds kinds = Sse2ByteKinds(block);
    if ((kinds.nonAscii | kinds.stops) == 0) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(block, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(block, zero));
        return {kUtf8BlockBytes, kUtf8BlockBytes, false};
    }
    const Plan plan = PlanBlock(kinds);
    if (plan.used == 0) {
        return {0, 0, false};
    }
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
    return {plan.used, stored, GoesOn(plan.used, kinds)};
}
#endif

#if defined(QUENDIX_AVX2_LOOPS)
// Each half of eight values is packed by one shuffle; the second half's go
// right after the first's.
QUENDIX_TARGET_AVX2 inline Utf8Block Avx2Utf8Block(const unsigned char* bytes, char16_t* out) {
    using namespace utf8_block_detail;
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
    const ByteKinds kinds = Sse2ByteKinds(block);
    if ((kinds.nonAscii | kinds.stops) == 0) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_cvtepu8_epi16(block));
        return {kUtf8BlockBytes, kUtf8BlockBytes, false};
    }
    const Plan plan = PlanBlock(kinds);
    if (plan.used == 0) {
        return {0, 0, false};
    }
    const unsigned low = plan.ends & 0xFF;
    const unsigned high = plan.ends >> 8;
    const __m256i packed = _mm256_shuffle_epi8(
        Avx2EndValues(block), _mm256_set_m128i(LoadShuffle(high), LoadShuffle(low)));
    const unsigned lowCount = kBitCounts.count[low];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(packed));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + lowCount),
                     _mm256_extracti128_si256(packed, 1));
    return {plan.used, lowCount + kBitCounts.count[high], GoesOn(plan.used, kinds)};
}
#endif

// Block steps one after another from bytes (size of them at hand) while
// each goes on to the next block, with out's room for room characters.
// Returns the bytes used; adds the characters stored to stored.
template <class Steps>
std::size_t Utf8BlockRun(const unsigned char* bytes, std::size_t size, char16_t* out,
                         std::size_t room, std::size_t& stored) {
    std::size_t used = 0;
    const std::size_t start = stored;
    bool more = true;
    while (more && size - used >= kUtf8BlockBytes && room - (stored - start) >= kUtf8BlockBytes) {
        const Utf8Block block = Steps::Utf8BlockStep(bytes + used, out + (stored - start));
        used += block.used;
        stored += block.stored;
        more = block.more;
    }
    return used;
}

} // namespace quendix

#endif
