#include "convert/text_search.h"

// SSE2 is part of every x86-64 processor; elsewhere, or with QUENDIX_NO_SIMD,
// the same searches run one character at a time.
#if defined(__SSE2__) && !defined(QUENDIX_NO_SIMD)
#define QUENDIX_SEARCH_SSE2 1
#include <emmintrin.h>
#endif

namespace quendix {

namespace {

bool MatchesAt(const char16_t* text, std::size_t start, const Literal& literal) {
    for (std::size_t i = 0; i < literal.length; ++i) {
        if (text[start + i] != literal.text[i]) {
            return false;
        }
    }
    return true;
}

// Tests the anchor and partner characters at each start in [from,
// lastStart], and the whole literal where both match.
std::ptrdiff_t FindLiteralScalar(const char16_t* text, std::size_t from, std::size_t lastStart,
                                 const Literal& literal) {
    const char16_t anchor = literal.text[literal.anchor];
    const char16_t partner = literal.text[literal.partner];
    for (std::size_t start = from; start <= lastStart; ++start) {
        if (text[start + literal.anchor] == anchor && text[start + literal.partner] == partner &&
            MatchesAt(text, start, literal)) {
            return static_cast<std::ptrdiff_t>(start);
        }
    }
    return kNotFound;
}

#if defined(QUENDIX_SEARCH_SSE2)

constexpr std::size_t kBlock = 16; // starts tested per step

inline unsigned LowestBit(unsigned mask) {
    return static_cast<unsigned>(__builtin_ctz(mask));
}

// Sixteen characters narrowed to bytes. A character up to U+00FF keeps its
// value; any other becomes 0x00 or 0xFF, so a byte comparison with a
// character up to U+00FF finds every match and at worst a few that the
// whole comparison then rejects.
inline __m128i LoadNarrowed(const char16_t* text) {
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + 8));
    return _mm_packus_epi16(low, high);
}

// One bit per start in [start, start + 16) where the anchor and the partner
// both match.
inline unsigned CandidateStarts(const char16_t* text, std::size_t start, const Literal& literal,
                                __m128i anchor, __m128i partner) {
    const __m128i anchorHits = _mm_cmpeq_epi8(LoadNarrowed(text + start + literal.anchor), anchor);
    const __m128i partnerHits =
        _mm_cmpeq_epi8(LoadNarrowed(text + start + literal.partner), partner);
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(anchorHits, partnerHits)));
}

std::ptrdiff_t FindLiteralSse2(const char16_t* text, std::size_t from, std::size_t lastStart,
                               const Literal& literal) {
    const __m128i anchor = _mm_set1_epi8(static_cast<char>(literal.text[literal.anchor]));
    const __m128i partner = _mm_set1_epi8(static_cast<char>(literal.text[literal.partner]));
    std::size_t start = from;
    // Every load stays inside the text: the last character read is the
    // literal's last one placed at the block's last start.
    for (; start <= lastStart && lastStart - start >= kBlock - 1; start += kBlock) {
        unsigned candidates = CandidateStarts(text, start, literal, anchor, partner);
        while (candidates != 0) {
            const std::size_t candidate = start + LowestBit(candidates);
            if (MatchesAt(text, candidate, literal)) {
                return static_cast<std::ptrdiff_t>(candidate);
            }
            candidates &= candidates - 1;
        }
    }
    return FindLiteralScalar(text, start, lastStart, literal);
}

bool NarrowsExactly(char16_t c) {
    return c <= 0xFF;
}

#endif

} // namespace

std::ptrdiff_t FindCharacter(const char16_t* text, std::size_t length, std::size_t from,
                             char16_t c) {
    std::size_t i = from;
#if defined(QUENDIX_SEARCH_SSE2)
    const __m128i wanted = _mm_set1_epi16(static_cast<short>(c));
    for (; i < length && length - i >= 8; i += 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        const unsigned hits =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(units, wanted)));
        if (hits != 0) {
            return static_cast<std::ptrdiff_t>(i + LowestBit(hits) / 2);
        }
    }
#endif
    for (; i < length; ++i) {
        if (text[i] == c) {
            return static_cast<std::ptrdiff_t>(i);
        }
    }
    return kNotFound;
}

std::ptrdiff_t FindLiteral(const char16_t* text, std::size_t length, std::size_t from,
                           Literal literal) {
    if (literal.length == 0 || length < literal.length || from > length - literal.length) {
        return kNotFound;
    }
    // Only positions where the whole literal still fits can start it.
    const std::size_t lastStart = length - literal.length;
#if defined(QUENDIX_SEARCH_SSE2)
    if (NarrowsExactly(literal.text[literal.anchor]) &&
        NarrowsExactly(literal.text[literal.partner])) {
        return FindLiteralSse2(text, from, lastStart, literal);
    }
#endif
    return FindLiteralScalar(text, from, lastStart, literal);
}

std::ptrdiff_t LiteralSearch::Find(const char16_t* text, std::size_t length, std::size_t from) {
    const bool insideKnownStretch =
        known_ && from >= searchedFrom_ &&
        (found_ == kNotFound || from <= static_cast<std::size_t>(found_));
    if (!insideKnownStretch) {
        searchedFrom_ = from;
        found_ = FindLiteral(text, length, from, literal_);
        known_ = true;
    }
    return found_;
}

void MendCutEdges(char16_t* piece, std::size_t length) {
    if (length == 0) {
        return;
    }
    if (IsHighSurrogate(piece[length - 1])) {
        piece[length - 1] = u' ';
    }
    if (IsLowSurrogate(piece[0])) {
        piece[0] = u' ';
    }
}

} // namespace quendix
