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

inline __m128i Load(const char16_t* text) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(text));
}

// Sixteen characters narrowed to bytes. A character up to U+00FF keeps its
// value; any other becomes 0x00 or 0xFF, so a byte comparison with a
// character up to U+00FF finds every match and at worst a few that the
// whole comparison then rejects.
inline __m128i LoadNarrowed(const char16_t* text) {
    return _mm_packus_epi16(Load(text), Load(text + 8));
}

// Whether the literal starts at start, where at least its length of text
// remains: its head compared in two steps when the text leaves room.
inline bool MatchesAt(const char16_t* text, std::size_t length, std::size_t start,
                      const Literal& literal) {
    if (length - start < kLiteralHeadLength || literal.length > kLiteralHeadLength) {
        return MatchesAt(text, start, literal);
    }
    const unsigned low = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi16(Load(text + start), Load(literal.head))));
    const unsigned high = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi16(Load(text + start + 8), Load(literal.head + 8))));
    return ((low | high << 16) & literal.headMask) == literal.headMask;
}

// One bit for each of the sixteen starts from base where the anchor, and
// the partner too when kPair, match.
template <bool kPair>
inline unsigned CandidateStarts(const char16_t* base, const Literal& literal, __m128i anchor,
                                __m128i partner) {
    __m128i hits = _mm_cmpeq_epi8(LoadNarrowed(base + literal.anchor), anchor);
    if (kPair) {
        hits = _mm_and_si128(hits, _mm_cmpeq_epi8(LoadNarrowed(base + literal.partner), partner));
    }
    return static_cast<unsigned>(_mm_movemask_epi8(hits));
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
std::ptrdiff_t FindLiteralSse2(const char16_t* text, std::size_t length, std::size_t from,
                               std::size_t lastStart, const Literal& literal) {
    const __m128i anchor = _mm_set1_epi8(static_cast<char>(literal.text[literal.anchor]));
    const __m128i partner = _mm_set1_epi8(static_cast<char>(literal.text[literal.partner]));
    const std::size_t lastBlock = lastStart - (kBlock - 1);
    std::size_t start = from;
    for (; start <= lastBlock; start += kBlock) {
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
                           const Literal& literal) {
    if (literal.length == 0 || length < literal.length || from > length - literal.length) {
        return kNotFound;
    }
    // Only positions where the whole literal still fits can start it.
    const std::size_t lastStart = length - literal.length;
#if defined(QUENDIX_SEARCH_SSE2)
    if (lastStart >= kBlock - 1 && NarrowsExactly(literal.text[literal.anchor]) &&
        NarrowsExactly(literal.text[literal.partner])) {
        return literal.pairedScan ? FindLiteralSse2<true>(text, length, from, lastStart, literal)
                                  : FindLiteralSse2<false>(text, length, from, lastStart, literal);
    }
#endif
    return FindLiteralScalar(text, from, lastStart, literal);
}

std::ptrdiff_t LiteralSearch::Search(const char16_t* text, std::size_t length, std::size_t from) {
    searchedFrom_ = from;
    found_ = FindLiteral(text, length, from, literal_);
    known_ = true;
    return found_;
}

TagIndex::TagIndex(const Literal* tags, std::size_t count, TagPlace* places, std::size_t capacity)
    : tags_(tags), count_(count < kMaxTags ? count : kMaxTags), places_(places),
      capacity_(capacity) {
    for (unsigned char& tag : byFirst_) {
        tag = kNoTag;
    }
    for (unsigned char& tag : bySecond_) {
        tag = kNoTag;
    }
    for (std::size_t tag = 0; tag < count_; ++tag) {
        const Literal& literal = tags[tag];
        const bool closing = literal.length >= 3 && literal.text[1] == u'/';
        const char16_t key = closing ? literal.text[2] : literal.length >= 2 ? literal.text[1] : 0;
        // The scan looks past a '<' only for a lower-case letter or '/'.
        listed_[tag] = literal.length >= 2 && literal.text[0] == u'<' && key != 0 && key < 128 &&
                       (closing || key >= u'a');
        chain_[tag] = kNoTag;
        if (listed_[tag]) {
            unsigned char& head = closing ? bySecond_[key] : byFirst_[key];
            chain_[tag] = head;
            head = static_cast<unsigned char>(tag);
        }
        first_[tag] = last_[tag] = cursor_[tag] = kNoPlace;
        cursorFrom_[tag] = 0;
        beyond_[tag] = LiteralSearch(literal);
    }
}

// The listed tag that starts at at, or count_ when none does.
inline std::size_t TagIndex::TagAt(const char16_t* text, std::size_t length, std::size_t at) const {
    const std::size_t left = length - at;
    if (left < 3 || text[at + 1] >= 128) {
        return count_;
    }
    unsigned char tag = byFirst_[text[at + 1]];
    if (text[at + 1] == u'/') {
        tag = text[at + 2] < 128 ? bySecond_[text[at + 2]] : kNoTag;
    }
    for (; tag != kNoTag; tag = chain_[tag]) {
        const Literal& literal = tags_[tag];
#if defined(QUENDIX_SEARCH_SSE2)
        if (left >= literal.length && MatchesAt(text, length, at, literal)) {
#else
        if (left >= literal.length && MatchesAt(text, at, literal)) {
#endif
            return tag;
        }
    }
    return count_;
}

// Lists the tag that starts at the '<' at at, if any. False when the
// storage is full: the places from at on are left to direct searches.
inline bool TagIndex::Visit(const char16_t* text, std::size_t length, std::size_t at) {
    const std::size_t tag = TagAt(text, length, at);
    if (tag == count_) {
        return true;
    }
    if (used_ == capacity_) {
        indexedEnd_ = at;
        return false;
    }
    const std::uint32_t place = static_cast<std::uint32_t>(used_++);
    places_[place] = TagPlace{static_cast<std::uint32_t>(at), kNoPlace};
    if (last_[tag] == kNoPlace) {
        first_[tag] = cursor_[tag] = place;
    } else {
        places_[last_[tag]].next = place;
    }
    last_[tag] = place;
    return true;
}

void TagIndex::Build(const char16_t* text, std::size_t length) {
    built_ = true;
    // Positions must fit the places; a longer text is searched directly.
    if (length >= kNoPlace) {
        return;
    }
    std::size_t at = 0;
#if defined(QUENDIX_SEARCH_SSE2)
    // Sixteen characters per step. Where a step holds more than one '<',
    // only those followed by a lower-case letter or '/' are looked at, so a
    // text dense with '<' costs little more than one without.
    const __m128i open = _mm_set1_epi8('<');
    const __m128i afterLetters = _mm_set1_epi8('a' - 1);
    const __m128i slash = _mm_set1_epi8('/');
    for (; length - at >= kBlock + 1; at += kBlock) {
        unsigned opens =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(LoadNarrowed(text + at), open)));
        if (opens == 0) {
            continue;
        }
        if ((opens & (opens - 1)) != 0) {
            const __m128i next = LoadNarrowed(text + at + 1);
            opens &= static_cast<unsigned>(_mm_movemask_epi8(
                _mm_or_si128(_mm_cmpgt_epi8(next, afterLetters), _mm_cmpeq_epi8(next, slash))));
        }
        for (; opens != 0; opens &= opens - 1) {
            if (!Visit(text, length, at + LowestBit(opens))) {
                return;
            }
        }
    }
#endif
    for (; at < length; ++at) {
        if (text[at] == u'<' && !Visit(text, length, at)) {
            return;
        }
    }
    indexedEnd_ = length;
}

std::ptrdiff_t TagIndex::FindBeyond(std::size_t tag, const char16_t* text, std::size_t length,
                                    std::size_t from) {
    if (!built_) {
        Build(text, length);
        return Find(tag, text, length, from);
    }
    if (tag >= count_) {
        return kNotFound;
    }
    if (!listed_[tag] || from >= indexedEnd_) {
        return beyond_[tag].Find(text, length, from);
    }
    return beyond_[tag].Find(text, length, indexedEnd_);
}

} // namespace quendix
