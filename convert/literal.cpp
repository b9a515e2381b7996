#include "convert/literal.h"

#include "simd/search_steps.h"

namespace quendix {

using loops::Bytes;
using loops::EveryByte;
using loops::kBytesPerStep;
using loops::LowestBit;
using loops::Mask;
using loops::NarrowedUnits;

namespace {

bool MatchesAt(const char16_t* text, std::size_t start, const Literal& literal) {
    for (std::size_t i = 0; i < literal.length; ++i) {
        if (text[start + i] != literal.text[i]) {
            return false;
        }
    }
    return true;
}

// Whether the literal starts at start, where at least its length of text
// remains: its head compared in one step where a head's length remains.
inline bool MatchesAt(const char16_t* text, std::size_t length, std::size_t start,
                      const Literal& literal) {
    if constexpr (kSse2Loops) {
        if (length - start >= kLiteralHeadLength && literal.length <= kLiteralHeadLength) {
            return loops::HeadMatches(text + start, literal.head, literal.headMask);
        }
    }
    return MatchesAt(text, start, literal);
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

// One bit for each of the sixteen starts from base where the anchor, and
// the partner too when kPair, match.
template <bool kPair>
inline unsigned CandidateStarts(const char16_t* base, const Literal& literal, Bytes anchor,
                                Bytes partner) {
    Bytes hits = NarrowedUnits(base + literal.anchor) == anchor;
    if (kPair) {
        hits = hits & (NarrowedUnits(base + literal.partner) == partner);
    }
    return Mask(hits);
}

// The first of the candidate starts from base where the literal matches
// whole. Kept out of line, so the scan loop stays small.
__attribute__((noinline)) std::ptrdiff_t FirstMatch(const char16_t* text, std::size_t length,
                                                    std::size_t base, unsigned candidates,
                                                    const Literal& literal) {
    for (; candidates != 0; candidates &= candidates - 1) {
        const std::size_t candidate = base + LowestBit(candidates);
        // The partner first: a near-miss of a rare anchor fails there.
        if (text[candidate + literal.partner] == literal.text[literal.partner] &&
            MatchesAt(text, length, candidate, literal)) {
            return static_cast<std::ptrdiff_t>(candidate);
        }
    }
    return kNotFound;
}

// Tests sixteen starts per step. A last, partial step is placed so that it
// ends at lastStart, overlapping the one before, so every load stays inside
// the text; the starts it repeats are masked off.
template <bool kPair>
std::ptrdiff_t FindLiteralInSteps(const char16_t* text, std::size_t length, std::size_t from,
                                  std::size_t lastStart, const Literal& literal) {
    const Bytes anchor = EveryByte(static_cast<char>(literal.text[literal.anchor]));
    const Bytes partner = EveryByte(static_cast<char>(literal.text[literal.partner]));
    const std::size_t lastBlock = lastStart - (kBytesPerStep - 1);
    std::size_t start = from;
    for (; start <= lastBlock; start += kBytesPerStep) {
        const unsigned candidates = CandidateStarts<kPair>(text + start, literal, anchor, partner);
        if (candidates != 0) {
            const std::ptrdiff_t found = FirstMatch(text, length, start, candidates, literal);
            if (found != kNotFound) {
                return found;
            }
        }
    }
    if (start > lastStart) {
        return kNotFound;
    }
    const unsigned candidates = CandidateStarts<kPair>(text + lastBlock, literal, anchor, partner) &
                                (~0u << (start - lastBlock));
    return candidates == 0 ? kNotFound : FirstMatch(text, length, lastBlock, candidates, literal);
}

// A character the narrowed comparison tells apart from every other.
bool NarrowsExactly(char16_t c) {
    return c <= 0xFF;
}

} // namespace

std::ptrdiff_t FindLiteral(const char16_t* text, std::size_t length, std::size_t from,
                           const Literal& literal) {
    if (literal.length == 0 || length < literal.length || from > length - literal.length) {
        return kNotFound;
    }
    // Only positions where the whole literal still fits can start it.
    const std::size_t lastStart = length - literal.length;
    if constexpr (kSse2Loops) {
        if (lastStart >= kBytesPerStep - 1 && NarrowsExactly(literal.text[literal.anchor]) &&
            NarrowsExactly(literal.text[literal.partner])) {
            return literal.pairedScan
                       ? FindLiteralInSteps<true>(text, length, from, lastStart, literal)
                       : FindLiteralInSteps<false>(text, length, from, lastStart, literal);
        }
    }
    return FindLiteralScalar(text, from, lastStart, literal);
}

bool LiteralStartsAt(const char16_t* text, std::size_t length, std::size_t at,
                     const Literal& literal) {
    return length - at >= literal.length && MatchesAt(text, length, at, literal);
}

namespace {

bool MatchesEitherAt(const char16_t* text, std::size_t length, std::size_t start,
                     const Literal& first, const Literal& second) {
    return (length - start >= first.length && MatchesAt(text, start, first)) ||
           (length - start >= second.length && MatchesAt(text, start, second));
}

std::ptrdiff_t FindEitherScalar(const char16_t* text, std::size_t length, std::size_t from,
                                const Literal& first, const Literal& second) {
    for (std::size_t start = from; start < length; ++start) {
        if (MatchesEitherAt(text, length, start, first, second)) {
            return static_cast<std::ptrdiff_t>(start);
        }
    }
    return kNotFound;
}

inline std::ptrdiff_t FirstOfEither(const char16_t* text, std::size_t length, std::size_t base,
                                    unsigned candidates, const Literal& first,
                                    const Literal& second) {
    for (; candidates != 0; candidates &= candidates - 1) {
        const std::size_t candidate = base + LowestBit(candidates);
        if (MatchesEitherAt(text, length, candidate, first, second)) {
            return static_cast<std::ptrdiff_t>(candidate);
        }
    }
    return kNotFound;
}

// Tests a step of starts at a time for either anchor; the starts where one
// matches are checked whole. The last step is placed so that its loads
// end at the text's end, overlapping the one before; the starts it repeats
// are masked off.
template <class Steps>
inline std::ptrdiff_t FindEitherInSteps(const char16_t* text, std::size_t length, std::size_t from,
                                        const Literal& first, const Literal& second) {
    constexpr std::size_t kStarts = Steps::kStarts;
    const std::size_t reach =
        (first.anchor > second.anchor ? first.anchor : second.anchor) + kStarts;
    if (length < reach || from > length) {
        return FindEitherScalar(text, length, from, first, second);
    }
    const char firstAnchor = static_cast<char>(first.text[first.anchor]);
    const char secondAnchor = static_cast<char>(second.text[second.anchor]);
    auto candidatesAt = [&](std::size_t base) {
        return Steps::EitherAt(text + base, first.anchor, firstAnchor, second.anchor, secondAnchor);
    };
    const std::size_t lastBase = length - reach;
    std::size_t start = from;
    for (; start <= lastBase; start += kStarts) {
        const unsigned candidates = candidatesAt(start);
        const std::ptrdiff_t found =
            candidates == 0 ? kNotFound
                            : FirstOfEither(text, length, start, candidates, first, second);
        if (found != kNotFound) {
            return found;
        }
    }
    if (start < lastBase + kStarts) {
        const unsigned candidates = candidatesAt(lastBase) & (~0u << (start - lastBase));
        const std::ptrdiff_t found =
            FirstOfEither(text, length, lastBase, candidates, first, second);
        if (found != kNotFound) {
            return found;
        }
        start = lastBase + kStarts;
    }
    // The few starts past the last step, where the later anchor would lie
    // beyond the text.
    return FindEitherScalar(text, length, start, first, second);
}

QUENDIX_AVX2_LOOP std::ptrdiff_t FindEitherAvx2(const char16_t* text, std::size_t length,
                                                std::size_t from, const Literal& first,
                                                const Literal& second) {
    return FindEitherInSteps<loops::Avx2SearchSteps>(text, length, from, first, second);
}

} // namespace

std::ptrdiff_t FindEither(const char16_t* text, std::size_t length, std::size_t from,
                          const Literal& first, const Literal& second) {
    if (first.length == 0 || second.length == 0) {
        return kNotFound;
    }
    if constexpr (kSse2Loops) {
        if (NarrowsExactly(first.text[first.anchor]) &&
            NarrowsExactly(second.text[second.anchor])) {
            return kAvx2Loops && UseAvx2Loops() ? FindEitherAvx2(text, length, from, first, second)
                                                : FindEitherInSteps<loops::Sse2SearchSteps>(
                                                      text, length, from, first, second);
        }
    }
    return FindEitherScalar(text, length, from, first, second);
}

std::ptrdiff_t LiteralSearch::Search(const char16_t* text, std::size_t length, std::size_t from) {
    searchedFrom_ = from;
    found_ = FindLiteral(text, length, from, literal_);
    known_ = true;
    return found_;
}

} // namespace quendix
