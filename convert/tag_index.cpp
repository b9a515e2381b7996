#include "convert/tag_index.h"

#include "simd/search_steps.h"

#include <cstring>

namespace quendix {

using loops::Avx2SearchSteps;
using loops::LowestBitOf;
using loops::Sse2SearchSteps;

namespace {

constexpr std::size_t kBucketBits = 8;
static_assert(TagIndex::kBuckets == std::size_t{1} << kBucketBits, "one bucket per hash value");

// A tag is listed only when its first three characters tell its bucket.
constexpr std::size_t kShortestListed = 3;

// The bucket of a tag that may start at the '<' at text, where at least
// three characters remain: the two characters after it, mixed by one
// multiplication whose top bits keep the nine item tags apart.
inline std::size_t BucketAt(const char16_t* text) {
    std::uint32_t pair = 0;
    std::memcpy(&pair, text + 1, sizeof pair);
    return (pair * std::uint32_t{0x9E3779B1}) >> (32 - kBucketBits);
}

// Whether a literal is listed: it starts with '<', has a head the index
// compares whole, and a lower-case letter or '/' follows the '<' (the scan
// looks past a '<' for nothing else once a step is dense with them).
bool IsListed(const Literal& literal) {
    if (literal.length < kShortestListed || literal.length > kLiteralHeadLength ||
        literal.text[0] != u'<') {
        return false;
    }
    const char16_t next = literal.text[1];
    return (next >= u'a' && next < 128) || next == u'/';
}

} // namespace

TagIndex::TagIndex(const char16_t* text, std::size_t length, const Literal* tags, std::size_t count,
                   TagPlace* places, std::size_t capacity)
    : text_(text), length_(length), tags_(tags), count_(count < kMaxTags ? count : kMaxTags),
      places_(places), share_(count_ == 0 ? 0 : capacity / count_) {
    for (unsigned char& tag : byBucket_) {
        tag = kNoTag;
    }
    for (std::size_t tag = 0; tag < count_; ++tag) {
        const Literal& literal = tags[tag];
        listed_[tag] = IsListed(literal);
        chain_[tag] = kNoTag;
        if (listed_[tag]) {
            const std::size_t bucket = BucketAt(literal.text);
            chain_[tag] = byBucket_[bucket];
            byBucket_[bucket] = static_cast<unsigned char>(tag);
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
    Build(text, length);
}

// Lists the tag that starts at the '<' at at, if any. False when that
// tag's places are full: the text from at on is left to direct searches.
// kRoomy: a literal's whole head fits in the text from at, so the
// comparison need not check where the text ends.
template <class Steps, bool kRoomy>
inline bool TagIndex::Visit(const char16_t* text, std::size_t length, std::size_t at) {
    if (!kRoomy && length - at < kShortestListed) {
        return true;
    }
    for (unsigned char tag = byBucket_[BucketAt(text + at)]; tag != kNoTag; tag = chain_[tag]) {
        Cursor& cursor = cursors_[tag];
        if (kRoomy ? Steps::HeadMatchesAt(text + at, cursor.head, cursor.headMask)
                   : LiteralStartsAt(text, length, at, tags_[tag])) {
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

// A step of characters at a time, from at while stop is still ahead. In a
// step that holds four '<' or more, only those that a lower-case letter or
// '/' follows are looked at, so a text dense with '<' costs little more
// than one without; feed text seldom holds that many. False when a tag's
// places ran out.
template <class Steps, bool kRoomy>
inline bool TagIndex::ScanSteps(const char16_t* text, std::size_t length, std::size_t& at,
                                std::size_t stop) {
    // On a copy: a place stored through the caller's reference could be
    // one the visits write, so the compiler would keep it in memory.
    std::size_t step = at;
    for (; stop - step > Steps::kTagChars; step += Steps::kTagChars) {
        std::uint64_t opens = Steps::Opens(text + step);
        if (opens == 0) {
            continue;
        }
        if (Steps::FourOrMore(opens)) {
            opens &= Steps::NamesFollow(text + step + 1);
        }
        for (; opens != 0; opens &= opens - 1) {
            if (!Visit<Steps, kRoomy>(text, length, step + LowestBitOf(opens))) {
                return false;
            }
        }
    }
    at = step;
    return true;
}

// Scans with Steps up to the last step that fits; false when a tag's
// places ran out. Most of the text lies far enough from its end that a
// head read from any '<' there stays inside it.
template <class Steps>
inline bool TagIndex::Scan(const char16_t* text, std::size_t length, std::size_t& at) {
    const std::size_t roomyStop = length > kLiteralHeadLength ? length - kLiteralHeadLength : 0;
    return ScanSteps<Steps, true>(text, length, at, roomyStop) &&
           ScanSteps<Steps, false>(text, length, at, length);
}

QUENDIX_AVX2_LOOP bool TagIndex::ScanAvx2(const char16_t* text, std::size_t length,
                                          std::size_t& at) {
    return Scan<Avx2SearchSteps>(text, length, at);
}

void TagIndex::Build(const char16_t* text, std::size_t length) {
    // Positions must fit the places; a longer text is searched directly.
    if (length >= 0xFFFFFFFF) {
        return;
    }
    std::size_t at = 0;
    if constexpr (kSse2Loops) {
        const bool whole = kAvx2Loops && UseAvx2Loops() ? ScanAvx2(text, length, at)
                                                        : Scan<Sse2SearchSteps>(text, length, at);
        if (!whole) {
            return;
        }
    }
    const std::size_t roomyStop = length > kLiteralHeadLength ? length - kLiteralHeadLength : 0;
    for (; at < length; ++at) {
        if (text[at] != u'<') {
            continue;
        }
        if (at < roomyStop ? !Visit<Sse2SearchSteps, true>(text, length, at)
                           : !Visit<Sse2SearchSteps, false>(text, length, at)) {
            return;
        }
    }
    indexedEnd_ = length;
}

std::ptrdiff_t TagIndex::FindBeyond(std::size_t tag, std::size_t from) {
    // Every place of a listed tag before indexedEnd_ is in its list.
    const std::size_t unlisted = listed_[tag] ? indexedEnd_ : 0;
    return beyond_[tag].Find(text_, length_, from > unlisted ? from : unlisted);
}

} // namespace quendix
