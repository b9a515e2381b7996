// The vector steps of the searches: the tag index's (where '<' stands among
// a step of characters, which of them a tag name can follow, whether a
// tag's head starts at a place), the summary's search for either of two
// markers, and the record filter's for a pair of characters in a title. SSE2 on every x86-64 build,
// AVX2 beside it; each search takes its loop through one or the other.
#ifndef QUENDIX_SIMD_SEARCH_STEPS_H
#define QUENDIX_SIMD_SEARCH_STEPS_H

#include "simd/text_loops.h"

#include <cstddef>
#include <cstdint>

namespace quendix {
namespace loops {

inline std::size_t LowestBitOf(std::uint64_t mask) {
    return static_cast<std::size_t>(__builtin_ctzll(mask));
}

struct Sse2SearchSteps {
    // Characters looked at in one step of a tag scan.
    static constexpr std::size_t kTagChars = 2 * kBytesPerStep;
    // Starts tested in one step of a search for either of two markers.
    static constexpr std::size_t kStarts = kBytesPerStep;

    // Whether mask has four bits or more: past that many '<' in one step,
    // the scan looks only at those a tag name can follow.
    static bool FourOrMore(std::uint64_t mask) {
        mask &= mask - 1;
        mask &= mask - 1;
        mask &= mask - 1;
        return mask != 0;
    }

    // One bit for each of the kTagChars characters from text that is '<'.
    static std::uint64_t Opens(const char16_t* text) {
        const Bytes open = EveryByte('<');
        const unsigned low = Mask(NarrowedUnits(text) == open);
        const unsigned high = Mask(NarrowedUnits(text + kBytesPerStep) == open);
        return low | high << kBytesPerStep;
    }

    // One bit for each of the kTagChars characters from text that is a
    // lower-case letter (or any of '{', '|', '}', '~') or '/'.
    static std::uint64_t NamesFollow(const char16_t* text) {
        const Bytes beforeLetters = EveryByte('a' - 1);
        const Bytes slash = EveryByte('/');
        unsigned mask = 0;
        for (unsigned half = 0; half < 2; ++half) {
            const Bytes next = NarrowedUnits(text + half * kBytesPerStep);
            mask |= Mask((next > beforeLetters) | (next == slash)) << (half * kBytesPerStep);
        }
        return mask;
    }

    static bool HeadMatchesAt(const char16_t* text, const char16_t* head, std::uint32_t mask) {
        return HeadMatches(text, head, mask);
    }

    // Starts a search for a pair of characters tests in one step.
    static constexpr std::size_t kPairStarts = kUnitsPerStep;

    // Whether first followed by second stands anywhere in text[0, length),
    // where length > kPairStarts: paired comparisons a step at a time, the
    // last step overlapping the one before, and one test at the end.
    static bool HoldsPair(const char16_t* text, std::size_t length, char16_t first,
                          char16_t second) {
        const Units firsts = EveryUnit(first);
        const Units seconds = EveryUnit(second);
        Units pairs = NoUnits();
        const std::size_t lastStep = length - 1 - kPairStarts;
        for (std::size_t i = 0;; i += kPairStarts) {
            const std::size_t at = i < lastStep ? i : lastStep;
            pairs =
                pairs | ((LoadUnits(text + at) == firsts) & (LoadUnits(text + at + 1) == seconds));
            if (at == lastStep) {
                return Mask(pairs) != 0;
            }
        }
    }

    // One bit for each of the kStarts starts from base where the character
    // firstOffset on is first, or the one secondOffset on is second (each
    // up to U+00FF).
    static unsigned EitherAt(const char16_t* base, std::size_t firstOffset, char first,
                             std::size_t secondOffset, char second) {
        return Mask((NarrowedUnits(base + firstOffset) == EveryByte(first)) |
                    (NarrowedUnits(base + secondOffset) == EveryByte(second)));
    }
};

#if defined(QUENDIX_AVX2_LOOPS)

// The same, thirty-two characters narrowed in one pack, and sixty-four a
// step of the tag scan. Only a function built for AVX2 (QUENDIX_AVX2_LOOP)
// may inline these.
struct Avx2SearchSteps {
    static constexpr std::size_t kTagChars = 64;
    static constexpr std::size_t kStarts = 32;

    // The pack interleaves its two loads' 128-bit halves; this
    // permutation puts them back in the text's order.
    static constexpr int kPackOrder = 0xD8;

    // The thirty-two characters from text narrowed as NarrowedUnits does,
    // in the pack's order.
    QUENDIX_TARGET_AVX2 static __m256i Packed(const char16_t* text) {
        const __m256i* const from = reinterpret_cast<const __m256i*>(text);
        return _mm256_packus_epi16(_mm256_loadu_si256(from), _mm256_loadu_si256(from + 1));
    }
    // The same in the text's order.
    QUENDIX_TARGET_AVX2 static __m256i Narrowed(const char16_t* text) {
        return _mm256_permute4x64_epi64(Packed(text), kPackOrder);
    }

    // An AVX2 processor counts bits in one instruction.
    QUENDIX_TARGET_AVX2 static bool FourOrMore(std::uint64_t mask) {
        return __builtin_popcountll(mask) >= 4;
    }

    // Sixty-four characters as two masks of thirty-two.
    QUENDIX_TARGET_AVX2 static std::uint64_t Halves(unsigned low, unsigned high) {
        return std::uint64_t{low} | std::uint64_t{high} << 32;
    }

    QUENDIX_TARGET_AVX2 static unsigned OpensOf32(const char16_t* text) {
        const __m256i equal = _mm256_cmpeq_epi8(Narrowed(text), _mm256_set1_epi8('<'));
        return static_cast<unsigned>(_mm256_movemask_epi8(equal));
    }
    QUENDIX_TARGET_AVX2 static std::uint64_t Opens(const char16_t* text) {
        return Halves(OpensOf32(text), OpensOf32(text + 32));
    }

    QUENDIX_TARGET_AVX2 static unsigned NamesFollowOf32(const char16_t* text) {
        const __m256i next = Narrowed(text);
        const __m256i letters = _mm256_cmpgt_epi8(next, _mm256_set1_epi8('a' - 1));
        const __m256i slashes = _mm256_cmpeq_epi8(next, _mm256_set1_epi8('/'));
        return static_cast<unsigned>(_mm256_movemask_epi8(_mm256_or_si256(letters, slashes)));
    }
    QUENDIX_TARGET_AVX2 static std::uint64_t NamesFollow(const char16_t* text) {
        return Halves(NamesFollowOf32(text), NamesFollowOf32(text + 32));
    }

    QUENDIX_TARGET_AVX2 static unsigned EitherAt(const char16_t* base, std::size_t firstOffset,
                                                 char first, std::size_t secondOffset,
                                                 char second) {
        // Both comparisons are made in the pack's order and put back once.
        const __m256i either = _mm256_or_si256(
            _mm256_cmpeq_epi8(Packed(base + firstOffset), _mm256_set1_epi8(first)),
            _mm256_cmpeq_epi8(Packed(base + secondOffset), _mm256_set1_epi8(second)));
        return static_cast<unsigned>(
            _mm256_movemask_epi8(_mm256_permute4x64_epi64(either, kPackOrder)));
    }

    static constexpr std::size_t kPairStarts = 16;

    QUENDIX_TARGET_AVX2 static bool HoldsPair(const char16_t* text, std::size_t length,
                                              char16_t first, char16_t second) {
        const __m256i firsts = _mm256_set1_epi16(static_cast<short>(first));
        const __m256i seconds = _mm256_set1_epi16(static_cast<short>(second));
        __m256i pairs = _mm256_setzero_si256();
        const std::size_t lastStep = length - 1 - kPairStarts;
        for (std::size_t i = 0;; i += kPairStarts) {
            const std::size_t at = i < lastStep ? i : lastStep;
            const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + at));
            const __m256i next =
                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + at + 1));
            pairs = _mm256_or_si256(pairs, _mm256_and_si256(_mm256_cmpeq_epi16(here, firsts),
                                                            _mm256_cmpeq_epi16(next, seconds)));
            if (at == lastStep) {
                return !_mm256_testz_si256(pairs, pairs);
            }
        }
    }

    // The whole head (kHeadLength characters) in one comparison.
    QUENDIX_TARGET_AVX2 static bool HeadMatchesAt(const char16_t* text, const char16_t* head,
                                                  std::uint32_t mask) {
        const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text));
        const __m256i wanted = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(head));
        const unsigned equal =
            static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi16(here, wanted)));
        return (equal & mask) == mask;
    }
};
static_assert(kHeadLength * sizeof(char16_t) == sizeof(__m256i), "a head is one AVX2 vector");

#else
using Avx2SearchSteps = Sse2SearchSteps;
#endif

} // namespace loops
} // namespace quendix

#endif
