// UTF-8 block steps with AVX2: thirty-two bytes a step, classified in one
// vector and packed eight characters at a time by byte shuffles. A block of
// ASCII with two-byte characters, or with two- and three-byte ones, makes
// all its values at once (ten three-byte characters in a row take a
// shorter path still, utf8_block_avx2_triples.h); a block with any other
// byte goes the general way, its values made sixteen at a time. The step
// gives what ScalarUtf8Block gives for a block of kAvx2Utf8BlockBytes
// (utf8_block.h).
#ifndef QUENDIX_SIMD_UTF8_BLOCK_AVX2_H
#define QUENDIX_SIMD_UTF8_BLOCK_AVX2_H

#include "simd/utf8_block.h"
#include "simd/utf8_block_avx2_constants.h"
#include "simd/utf8_block_avx2_triples.h"

#include <cstdint>

#if defined(QUENDIX_AVX2_LOOPS)
#include <immintrin.h>

namespace quendix {

constexpr unsigned kAvx2Utf8BlockBytes = 32;

namespace utf8_block_detail {

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

QUENDIX_TARGET_AVX2 inline std::uint64_t Avx2Mask(__m256i lanes) {
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(lanes));
}

QUENDIX_TARGET_AVX2 inline std::uint64_t Avx2Below(__m256i lanes, int limit) {
    return Avx2Mask(_mm256_cmpgt_epi8(_mm256_set1_epi8(static_cast<char>(limit)), lanes));
}

QUENDIX_TARGET_AVX2 inline __m256i Avx2EqualLanes(__m256i lanes, int value) {
    return _mm256_cmpeq_epi8(lanes, _mm256_set1_epi8(static_cast<char>(value)));
}

QUENDIX_TARGET_AVX2 inline std::uint64_t Avx2Equal(__m256i lanes, int value) {
    return Avx2Mask(Avx2EqualLanes(lanes, value));
}

QUENDIX_TARGET_AVX2 inline __m256i Avx2Added(__m256i lanes, int value) {
    return _mm256_add_epi8(lanes, _mm256_set1_epi8(static_cast<char>(value)));
}

// The same signed comparisons as Sse2ByteKinds, on thirty-two bytes.
QUENDIX_TARGET_AVX2 inline ByteKinds Avx2ByteKinds(__m256i block, std::uint64_t nonAscii,
                                                   std::uint64_t carriageReturns) {
    ByteKinds kinds{};
    kinds.nonAscii = nonAscii;
    kinds.continuation = Avx2Below(block, -64);
    kinds.pair = Avx2Below(Avx2Added(block, 0xBE), -98);
    kinds.triple = Avx2Below(Avx2Added(block, 0xA0), -112);
    kinds.stops = carriageReturns;
    if (kinds.triple != 0) {
        const std::uint64_t leadE0 = Avx2Equal(block, 0xE0);
        const std::uint64_t leadED = Avx2Equal(block, 0xED);
        if ((leadE0 | leadED) != 0) {
            kinds.stops |=
                OutOfRangeSeconds(leadE0, leadED, Avx2Below(block, -96), kinds.continuation);
        }
    }
    return kinds;
}

// Sixteen bytes' values if each ended a character: itself for ASCII, else
// its six bits with those of the one or two bytes before it (one, two),
// whose kinds the byte two back tells (a three-byte lead there or not).
QUENDIX_TARGET_AVX2 inline __m256i Avx2EndValues(__m128i atBytes, __m128i oneBytes,
                                                 __m128i twoBytes) {
    const __m256i at = _mm256_cvtepu8_epi16(atBytes);
    const __m256i one = _mm256_cvtepu8_epi16(oneBytes);
    const __m256i two = _mm256_cvtepu8_epi16(twoBytes);
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

// Stores the values whose bits are set in ends (sixteen bits) at out, in
// order, eight lanes a shuffle; returns how many. It may write sixteen.
QUENDIX_TARGET_AVX2 inline unsigned Avx2PackEnds(__m256i values, unsigned ends, char16_t* out) {
    const unsigned low = ends & 0xFF;
    const unsigned high = ends >> 8 & 0xFF;
    const __m256i packed =
        _mm256_shuffle_epi8(values, _mm256_set_m128i(LoadShuffle(high), LoadShuffle(low)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(packed));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + __builtin_popcount(low)),
                     _mm256_extracti128_si256(packed, 1));
    return static_cast<unsigned>(__builtin_popcount(ends & 0xFFFFu));
}

// Which of a block's bytes keep it from the common paths (uncommon: CR, the
// leads C0 and C1 of overlong forms, E0 and ED, whose second bytes have
// narrower ranges, and the bytes from F0 up) and which lead three-byte
// characters (triples). A block with neither holds only ASCII and two-byte
// characters, whole or not; one with triples but no uncommon byte, three-
// byte characters too. Each byte's two nibbles look up flags in two tables;
// a flag both give is set.
struct BlockShape {
    std::uint64_t uncommon;
    std::uint64_t triples;
};
QUENDIX_TARGET_AVX2 inline BlockShape Avx2BlockShape(__m256i block,
                                                     const Avx2BlockConstants& constants) {
    const __m256i nibble = constants.lowNibble;
    const __m256i flags =
        _mm256_and_si256(_mm256_shuffle_epi8(constants.byHigh,
                                             _mm256_and_si256(_mm256_srli_epi16(block, 4), nibble)),
                         _mm256_shuffle_epi8(constants.byLow, _mm256_and_si256(block, nibble)));
    const __m256i plain =
        _mm256_cmpeq_epi8(_mm256_and_si256(flags, nibble), _mm256_setzero_si256());
    return {~Avx2Mask(plain) & 0xFFFFFFFFu, Avx2Mask(flags)};
}

// Each 16-bit character of values (eight of them in each 128-bit lane)
// whose bit is set in the four bytes of ends, as four groups of eight:
// unpacked holds the groups of ends' bytes 0 and 2, unpackedHigh of bytes
// 1 and 3. Returns how many it stored; it may write thirty-two.
QUENDIX_TARGET_AVX2 inline unsigned Avx2PackUnpackedEnds(__m256i unpacked, __m256i unpackedHigh,
                                                         unsigned ends, char16_t* out) {
    const unsigned quarter[4] = {ends & 0xFF, ends >> 8 & 0xFF, ends >> 16 & 0xFF, ends >> 24};
    const __m256i first = _mm256_shuffle_epi8(
        unpacked, _mm256_set_m128i(LoadShuffle(quarter[2]), LoadShuffle(quarter[0])));
    const __m256i second = _mm256_shuffle_epi8(
        unpackedHigh, _mm256_set_m128i(LoadShuffle(quarter[3]), LoadShuffle(quarter[1])));
    // Where each group goes: the count of ends before it, one instruction
    // on any processor with AVX2.
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(first));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + __builtin_popcount(ends & 0xFFu)),
                     _mm256_castsi256_si128(second));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + __builtin_popcount(ends & 0xFFFFu)),
                     _mm256_extracti128_si256(first, 1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + __builtin_popcount(ends & 0xFFFFFFu)),
                     _mm256_extracti128_si256(second, 1));
    return static_cast<unsigned>(__builtin_popcount(ends));
}

// The step on a block without the bytes Avx2BlockShape marks uncommon. Every
// byte's value if it ended a character is made as two bytes, all thirty-two
// at once: the low byte holds its six bits and the low two of the byte
// before; the high byte the next four bits of the byte before and, after a
// three-byte lead two back, that lead's four bits. ASCII is itself over
// zero.
QUENDIX_TARGET_AVX2 inline Utf8Block Avx2CommonBlock(const unsigned char* bytes, __m256i block,
                                                     std::uint64_t nonAscii, std::uint64_t triples,
                                                     char16_t* out,
                                                     const Avx2BlockConstants& constants) {
    const __m256i continuations = _mm256_cmpgt_epi8(constants.twoTopBits, block);
    const std::uint64_t continuation = Avx2Mask(continuations);
    if (IsTripleBlock(continuation, triples)) {
        return Avx2TripleBlock(bytes, block, out, constants);
    }
    const std::uint64_t leads = nonAscii & ~continuation;
    const std::uint64_t expected = leads << 1 | triples << 2;
    const std::uint64_t breaks = (continuation ^ expected) | std::uint64_t{1}
                                                                 << kAvx2Utf8BlockBytes;
    const std::uint64_t ends = ~(leads | triples << 1) & ((breaks & (0 - breaks)) - 1);
    if (ends == 0) {
        return {0, 0, false};
    }
    const __m256i behind = _mm256_permute2x128_si256(block, block, 0x08);
    const __m256i one = _mm256_alignr_epi8(block, behind, 15);
    const __m256i two = _mm256_alignr_epi8(block, behind, 14);
    const __m256i joined =
        _mm256_xor_si256(block, _mm256_and_si256(_mm256_xor_si256(block, _mm256_slli_epi16(one, 6)),
                                                 constants.twoTopBits));
    const __m256i low = _mm256_blendv_epi8(block, joined, continuations);
    const __m256i tripleEnd = _mm256_cmpeq_epi8(_mm256_max_epu8(two, constants.tripleLead), two);
    const __m256i leadBits = _mm256_and_si256(
        tripleEnd, _mm256_and_si256(_mm256_slli_epi16(two, 4), constants.highNibble));
    const __m256i high = _mm256_and_si256(
        _mm256_or_si256(_mm256_and_si256(_mm256_srli_epi16(one, 2), constants.lowNibble), leadBits),
        continuations);
    const unsigned used = 64u - static_cast<unsigned>(__builtin_clzll(ends));
    const unsigned stored =
        Avx2PackUnpackedEnds(_mm256_unpacklo_epi8(low, high), _mm256_unpackhi_epi8(low, high),
                             static_cast<unsigned>(ends), out);
    return {used, stored, GoesOn(used, kAvx2Utf8BlockBytes, true)};
}

// The step on a block of ASCII and two-byte characters (no byte that
// Avx2BlockShape marks). Every byte's value if it ended a character is
// made as two bytes, all thirty-two at once: a continuation takes its six
// bits and the low two of the lead before it as its low byte, the lead's
// three bits above those as its high byte; ASCII is itself over zero.
QUENDIX_TARGET_AVX2 inline Utf8Block Avx2PairBlock(__m256i block, std::uint64_t nonAscii,
                                                   char16_t* out,
                                                   const Avx2BlockConstants& constants) {
    const __m256i continuations = _mm256_cmpgt_epi8(constants.twoTopBits, block);
    const std::uint64_t continuation = Avx2Mask(continuations);
    const std::uint64_t leads = nonAscii & ~continuation;
    const std::uint64_t breaks = (continuation ^ leads << 1) | std::uint64_t{1}
                                                                   << kAvx2Utf8BlockBytes;
    const std::uint64_t ends = ~leads & ((breaks & (0 - breaks)) - 1);
    if (ends == 0) {
        return {0, 0, false};
    }
    const __m256i before =
        _mm256_alignr_epi8(block, _mm256_permute2x128_si256(block, block, 0x08), 15);
    const __m256i joined = _mm256_xor_si256(
        block, _mm256_and_si256(_mm256_xor_si256(block, _mm256_slli_epi16(before, 6)),
                                constants.twoTopBits));
    const __m256i low = _mm256_blendv_epi8(block, joined, continuations);
    const __m256i high = _mm256_and_si256(
        _mm256_and_si256(_mm256_srli_epi16(before, 2), constants.pairLeadBits), continuations);
    const unsigned used = 64u - static_cast<unsigned>(__builtin_clzll(ends));
    const unsigned stored =
        Avx2PackUnpackedEnds(_mm256_unpacklo_epi8(low, high), _mm256_unpackhi_epi8(low, high),
                             static_cast<unsigned>(ends), out);
    return {used, stored, GoesOn(used, kAvx2Utf8BlockBytes, true)};
}

// The step on any other block (one with CR, an error, a four-byte
// character or the leads of narrower ranges). Kept out of the runs of
// steps, which would otherwise make its constants on every run.
QUENDIX_TARGET_AVX2 QUENDIX_APART inline Utf8Block
Avx2GeneralBlock(const unsigned char* bytes, __m256i block, std::uint64_t nonAscii, char16_t* out) {
    const __m128i low = _mm256_castsi256_si128(block);
    const __m128i high = _mm256_extracti128_si256(block, 1);
    const std::uint64_t carriageReturns = Avx2Equal(block, '\r');
    const Plan plan =
        PlanBlock(Avx2ByteKinds(block, nonAscii, carriageReturns), kAvx2Utf8BlockBytes);
    if (plan.used == 0) {
        return {0, 0, false};
    }
    const auto ends = static_cast<unsigned>(plan.ends);
    unsigned stored =
        Avx2PackEnds(Avx2EndValues(low, _mm_slli_si128(low, 1), _mm_slli_si128(low, 2)), ends, out);
    if (plan.used > kAvx2Utf8BlockBytes / 2) {
        const __m128i one = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 15));
        const __m128i two = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 14));
        stored += Avx2PackEnds(Avx2EndValues(high, one, two), ends >> 16, out + stored);
    }
    return {plan.used, stored, GoesOn(plan.used, kAvx2Utf8BlockBytes, nonAscii != 0)};
}

} // namespace utf8_block_detail

// The block step on thirty-two bytes; out needs room for as many
// characters. The second half's values take the bytes before them from
// the block itself.
QUENDIX_TARGET_AVX2 inline Utf8Block
Avx2Utf8Block(const unsigned char* bytes, char16_t* out,
              const utf8_block_detail::Avx2BlockConstants& constants) {
    using namespace utf8_block_detail;
    const __m256i block = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes));
    const __m128i low = _mm256_castsi256_si128(block);
    const __m128i high = _mm256_extracti128_si256(block, 1);
    const std::uint64_t nonAscii = Avx2Mask(block);
    const BlockShape shape = Avx2BlockShape(block, constants);
    if ((shape.uncommon | shape.triples) == 0) {
        if (nonAscii == 0) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_cvtepu8_epi16(low));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 16), _mm256_cvtepu8_epi16(high));
            return {kAvx2Utf8BlockBytes, kAvx2Utf8BlockBytes, false};
        }
        return Avx2PairBlock(block, nonAscii, out, constants);
    }
    if (shape.uncommon == 0) {
        return Avx2CommonBlock(bytes, block, nonAscii, shape.triples, out, constants);
    }
    return Avx2GeneralBlock(bytes, block, nonAscii, out);
}

QUENDIX_TARGET_AVX2 inline Utf8Block Avx2Utf8Block(const unsigned char* bytes, char16_t* out) {
    return Avx2Utf8Block(bytes, out, utf8_block_detail::Avx2MakeBlockConstants());
}

// The step with its constants made once for a whole run of steps.
struct Avx2Utf8Steps {
    utf8_block_detail::Avx2BlockConstants constants;
    QUENDIX_TARGET_AVX2 Utf8Block operator()(const unsigned char* bytes, char16_t* out) const {
        return Avx2Utf8Block(bytes, out, constants);
    }
};

} // namespace quendix

#endif

#endif
