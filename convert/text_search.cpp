#include "convert/text_search.h"

#include "platform/processor.h"

#if defined(QUENDIX_SSE2_LOOPS)
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

#if defined(QUENDIX_SSE2_LOOPS)

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

// Whether a literal's head, with mask holding two bits for each of its
// characters, starts at text, where at least a head's length of text
// remains: compared in two steps.
inline bool HeadMatches(const char16_t* text, const char16_t* head, std::uint32_t mask) {
    const unsigned low =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(Load(text), Load(head))));
    const unsigned high =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(Load(text + 8), Load(head + 8))));
    return ((low | high << 16) & mask) == mask;
}

// Whether the literal starts at text, where at least a literal's head of
// text remains.
inline bool MatchesWithRoom(const char16_t* text, const Literal& literal) {
    return literal.length > kLiteralHeadLength ? MatchesAt(text, 0, literal)
                                               : HeadMatches(text, literal.head, literal.headMask);
}

// Whether the literal starts at start, where at least its length of text
// remains.
inline bool MatchesAt(const char16_t* text, std::size_t length, std::size_t start,
                      const Literal& literal) {
    return length - start < kLiteralHeadLength ? MatchesAt(text, start, literal)
                                               : MatchesWithRoom(text + start, literal);
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

std::ptrdiff_t FindLiteral(const char16_t* text, std::size_t length, std::size_t from,
                           const Literal& literal) {
    if (literal.length == 0 || length < literal.length || from > length - literal.length) {
        return kNotFound;
    }
    // Only positions where the whole literal still fits can start it.
    const std::size_t lastStart = length - literal.length;
#if defined(QUENDIX_SSE2_LOOPS)
    if (lastStart >= kBlock - 1 && NarrowsExactly(literal.text[literal.anchor]) &&
        NarrowsExactly(literal.text[literal.partner])) {
        return literal.pairedScan ? FindLiteralSse2<true>(text, length, from, lastStart, literal)
                                  : FindLiteralSse2<false>(text, length, from, lastStart, literal);
    }
#endif
    return FindLiteralScalar(text, from, lastStart, literal);
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

#if defined(QUENDIX_SSE2_LOOPS)
struct EitherAnchors {
    __m128i first;
    __m128i second;
};

// One bit for each of the sixteen starts from base where either anchor
// matches.
inline unsigned EitherCandidates(const char16_t* base, const Literal& first, const Literal& second,
                                 EitherAnchors anchors) {
    return static_cast<unsigned>(_mm_movemask_epi8(
        _mm_or_si128(_mm_cmpeq_epi8(LoadNarrowed(base + first.anchor), anchors.first),
                     _mm_cmpeq_epi8(LoadNarrowed(base + second.anchor), anchors.second))));
}

std::ptrdiff_t FirstOfEither(const char16_t* text, std::size_t length, std::size_t base,
                             unsigned candidates, const Literal& first, const Literal& second) {
    for (; candidates != 0; candidates &= candidates - 1) {
        const std::size_t candidate = base + LowestBit(candidates);
        if (MatchesEitherAt(text, length, candidate, first, second)) {
            return static_cast<std::ptrdiff_t>(candidate);
        }
    }
    return kNotFound;
}

// Tests sixteen starts per step for either anchor; the starts where one
// matches are checked whole. The last step is placed so that its loads
// end at the text's end, overlapping the one before; the starts it repeats
// are masked off.
std::ptrdiff_t FindEitherSse2(const char16_t* text, std::size_t length, std::size_t from,
                              const Literal& first, const Literal& second) {
    const std::size_t reach =
        (first.anchor > second.anchor ? first.anchor : second.anchor) + kBlock;
    if (length < reach || from > length) {
        return FindEitherScalar(text, length, from, first, second);
    }
    const EitherAnchors anchors{_mm_set1_epi8(static_cast<char>(first.text[first.anchor])),
                                _mm_set1_epi8(static_cast<char>(second.text[second.anchor]))};
    const std::size_t lastBase = length - reach;
    std::size_t start = from;
    for (; start <= lastBase; start += kBlock) {
        const unsigned candidates = EitherCandidates(text + start, first, second, anchors);
        const std::ptrdiff_t found =
            candidates == 0 ? kNotFound
                            : FirstOfEither(text, length, start, candidates, first, second);
        if (found != kNotFound) {
            return found;
        }
    }
    if (start < lastBase + kBlock) {
        const unsigned candidates =
            EitherCandidates(text + lastBase, first, second, anchors) & (~0u << (start - lastBase));
        const std::ptrdiff_t found =
            FirstOfEither(text, length, lastBase, candidates, first, second);
        if (found != kNotFound) {
            return found;
        }
        start = lastBase + kBlock;
    }
    // The few starts past the last step, where the later anchor would lie
    // beyond the text.
    return FindEitherScalar(text, length, start, first, second);
}
#endif

} // namespace

std::ptrdiff_t FindEither(const char16_t* text, std::size_t length, std::size_t from,
                          const Literal& first, const Literal& second) {
    if (first.length == 0 || second.length == 0) {
        return kNotFound;
    }
#if defined(QUENDIX_SSE2_LOOPS)
    if (NarrowsExactly(first.text[first.anchor]) && NarrowsExactly(second.text[second.anchor])) {
        return FindEitherSse2(text, length, from, first, second);
    }
#endif
    return FindEitherScalar(text, length, from, first, second);
}

std::ptrdiff_t LiteralSearch::Search(const char16_t* text, std::size_t length, std::size_t from) {
    searchedFrom_ = from;
    found_ = FindLiteral(text, length, from, literal_);
    known_ = true;
    return found_;
}

namespace {

constexpr std::size_t kNoKey = 0x10000;

// The key of the tag at text: the character after '<', or 128 plus the one
// after "</"; kNoKey when there is none. Here at least three characters
// remain.
inline std::size_t KeyAt(const char16_t* text) {
    if (text[1] >= 128) {
        return kNoKey;
    }
    if (text[1] != u'/') {
        return text[1];
    }
    return text[2] < 128 ? 128 + std::size_t{text[2]} : kNoKey;
}

// The key of the tag at text, where left characters remain: with only two,
// "<x" may still start an opening tag but "</" no closing one.
inline std::size_t KeyAt(const char16_t* text, std::size_t left) {
    if (left >= 3) {
        return KeyAt(text);
    }
    return left == 2 && text[1] < 128 && text[1] != u'/' ? text[1] : kNoKey;
}

#if !defined(QUENDIX_SSE2_LOOPS)
inline bool HeadMatches(const char16_t* text, const char16_t* head, std::uint32_t mask) {
    for (std::size_t i = 0; i < kLiteralHeadLength; ++i) {
        if ((mask >> (2 * i) & 3) != 0 && text[i] != head[i]) {
            return false;
        }
    }
    return true;
}
#endif

inline bool MatchesWhole(const char16_t* text, std::size_t length, std::size_t at,
                         const Literal& literal) {
#if defined(QUENDIX_SSE2_LOOPS)
    return length - at >= literal.length && MatchesAt(text, length, at, literal);
#else
    return length - at >= literal.length && MatchesAt(text, at, literal);
#endif
}

#if defined(QUENDIX_SSE2_LOOPS)
// One bit for each of the thirty-two characters from text that equals the
// byte in every lane of wanted (a character up to U+00FF).
inline unsigned TwoBlocks(const char16_t* text, __m128i wanted) {
    const unsigned low =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(LoadNarrowed(text), wanted)));
    const unsigned high = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(LoadNarrowed(text + kBlock), wanted)));
    return low | high << kBlock;
}

// One bit for each of the thirty-two characters from text that is a
// lower-case letter (or any of '{', '|', '}', '~') or '/'.
inline unsigned TagNamesFollow(const char16_t* text) {
    const __m128i beforeLetters = _mm_set1_epi8('a' - 1);
    const __m128i slash = _mm_set1_epi8('/');
    unsigned mask = 0;
    for (unsigned half = 0; half < 2; ++half) {
        const __m128i next = LoadNarrowed(text + half * kBlock);
        const __m128i names =
            _mm_or_si128(_mm_cmpgt_epi8(next, beforeLetters), _mm_cmpeq_epi8(next, slash));
        mask |= static_cast<unsigned>(_mm_movemask_epi8(names)) << (half * kBlock);
    }
    return mask;
}
#endif

} // namespace

TagIndex::TagIndex(const Literal* tags, std::size_t count, TagPlace* places, std::size_t capacity)
    : tags_(tags), count_(count < kMaxTags ? count : kMaxTags), places_(places),
      share_(count_ == 0 ? 0 : capacity / count_) {
    for (unsigned char& tag : byKey_) {
        tag = kNoTag;
    }
    for (std::size_t tag = 0; tag < count_; ++tag) {
        const Literal& literal = tags[tag];
        const std::size_t key =
            literal.text[0] == u'<' ? KeyAt(literal.text, literal.length) : kNoKey;
        // The scan looks past a '<' only for a lower-case letter or '/',
        // and compares no more than a head.
        listed_[tag] = key != kNoKey && key >= u'a' && literal.length <= kLiteralHeadLength;
        chain_[tag] = kNoTag;
        if (listed_[tag]) {
            chain_[tag] = byKey_[key];
            byKey_[key] = static_cast<unsigned char>(tag);
        }
        TagPlace* const share = places_ + tag * share_;
        Cursor& cursor = cursors_[tag];
        for (std::size_t i = 0; i < kLiteralHeadLength; ++i) {
            cursor.head[i] = literal.head[i];
        }
        cursor.headMask = literal.headMask;
        cursor.end = share;
        cursor.limit = share + share_;
        cursor.next = share;
        cursor.from = 0;
        beyond_[tag] = LiteralSearch(literal);
    }
}

// Lists the tag that starts at the '<' at at, if any. False when that
// tag's places are full: the text from at on is left to direct searches.
// kRoomy: a literal's whole head fits in the text from at, so neither the
// key nor the comparison needs to check where the text ends.
template <bool kRoomy>
inline bool TagIndex::Visit(const char16_t* text, std::size_t length, std::size_t at) {
    const std::size_t key = kRoomy ? KeyAt(text + at) : KeyAt(text + at, length - at);
    if (key == kNoKey) {
        return true;
    }
    for (unsigned char tag = byKey_[key]; tag != kNoTag; tag = chain_[tag]) {
        Cursor& cursor = cursors_[tag];
        if (kRoomy ? HeadMatches(text + at, cursor.head, cursor.headMask)
                   : MatchesWhole(text, length, at, tags_[tag])) {
            if (cursor.end == cursor.limit) {
                indexedEnd_ = at;
                return false;
            }
            *cursor.end++ = static_cast<TagPlace>(at);
            return true;
        }
    }
    return true;
}

#if defined(QUENDIX_SSE2_LOOPS)
// Thirty-two characters per step, from at while stop is still ahead. Once a
// step has shown four '<', only its others that a lower-case letter or '/'
// follows are looked at, so a text dense with '<' costs little more than
// one without; feed text seldom holds that many. False when a tag's places
// ran out.
template <bool kRoomy>
bool TagIndex::ScanSteps(const char16_t* text, std::size_t length, std::size_t& at,
                         std::size_t stop) {
    const __m128i open = _mm_set1_epi8('<');
    for (; stop - at > 2 * kBlock; at += 2 * kBlock) {
        unsigned opens = TwoBlocks(text + at, open);
        for (int visits = 0; opens != 0; opens &= opens - 1) {
            if (++visits == 4) {
                opens &= TagNamesFollow(text + at + 1);
                if (opens == 0) {
                    break;
                }
            }
            if (!Visit<kRoomy>(text, length, at + LowestBit(opens))) {
                return false;
            }
        }
    }
    return true;
}
#endif

void TagIndex::Build(const char16_t* text, std::size_t length) {
    built_ = true;
    // Positions must fit the places; a longer text is searched directly.
    if (length >= 0xFFFFFFFF) {
        return;
    }
    std::size_t at = 0;
    // Most of the text lies far enough from its end that a head read from
    // any '<' there stays inside it.
    const std::size_t roomyStop = length > kLiteralHeadLength ? length - kLiteralHeadLength : 0;
#if defined(QUENDIX_SSE2_LOOPS)
    if (!ScanSteps<true>(text, length, at, roomyStop) ||
        !ScanSteps<false>(text, length, at, length)) {
        return;
    }
#endif
    for (; at < length; ++at) {
        if (text[at] != u'<') {
            continue;
        }
        if (at < roomyStop ? !Visit<true>(text, length, at) : !Visit<false>(text, length, at)) {
            return;
        }
    }
    indexedEnd_ = length;
}

std::ptrdiff_t TagIndex::FindBeyond(std::size_t tag, const char16_t* text, std::size_t length,
                                    std::size_t from) {
    if (tag >= count_) {
        return kNotFound;
    }
    // Every place of a listed tag before indexedEnd_ is in its list.
    const std::size_t unlisted = listed_[tag] ? indexedEnd_ : 0;
    return beyond_[tag].Find(text, length, from > unlisted ? from : unlisted);
}

} // namespace quendix
