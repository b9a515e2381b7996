#include "convert/tag_index.h"

namespace quendix {

using loops::Bytes;
using loops::EveryByte;
using loops::HeadMatches;
using loops::LowestBit;
using loops::Mask;
using loops::NarrowedUnits;

namespace {

// Characters narrowed and compared in one step.
constexpr std::size_t kBlock = loops::kBytesPerStep;

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

// One bit for each of the thirty-two characters from text that equals the
// byte in every lane of wanted (a character up to U+00FF).
inline unsigned TwoBlocks(const char16_t* text, Bytes wanted) {
    const unsigned low = Mask(NarrowedUnits(text) == wanted);
    const unsigned high = Mask(NarrowedUnits(text + kBlock) == wanted);
    return low | high << kBlock;
}

// One bit for each of the thirty-two characters from text that is a
// lower-case letter (or any of '{', '|', '}', '~') or '/'.
inline unsigned TagNamesFollow(const char16_t* text) {
    const Bytes beforeLetters = EveryByte('a' - 1);
    const Bytes slash = EveryByte('/');
    unsigned mask = 0;
    for (unsigned half = 0; half < 2; ++half) {
        const Bytes next = NarrowedUnits(text + half * kBlock);
        mask |= Mask((next > beforeLetters) | (next == slash)) << (half * kBlock);
    }
    return mask;
}

} // namespace

TagIndex::TagIndex(const char16_t* text, std::size_t length, const Literal* tags, std::size_t count,
                   TagPlace* places, std::size_t capacity)
    : text_(text), length_(length), tags_(tags), count_(count < kMaxTags ? count : kMaxTags),
      places_(places), share_(count_ == 0 ? 0 : capacity / count_) {
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
    Build(text, length);
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

// Thirty-two characters per step, from at while stop is still ahead. Once a
// step has shown four '<', only its others that a lower-case letter or '/'
// follows are looked at, so a text dense with '<' costs little more than
// one without; feed text seldom holds that many. False when a tag's places
// ran out.
template <bool kRoomy>
bool TagIndex::ScanSteps(const char16_t* text, std::size_t length, std::size_t& at,
                         std::size_t stop) {
    const Bytes open = EveryByte('<');
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

void TagIndex::Build(const char16_t* text, std::size_t length) {
    // Positions must fit the places; a longer text is searched directly.
    if (length >= 0xFFFFFFFF) {
        return;
    }
    std::size_t at = 0;
    // Most of the text lies far enough from its end that a head read from
    // any '<' there stays inside it.
    const std::size_t roomyStop = length > kLiteralHeadLength ? length - kLiteralHeadLength : 0;
    if constexpr (kSse2Loops) {
        if (!ScanSteps<true>(text, length, at, roomyStop) ||
            !ScanSteps<false>(text, length, at, length)) {
            return;
        }
    }
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

std::ptrdiff_t TagIndex::FindBeyond(std::size_t tag, std::size_t from) {
    // Every place of a listed tag before indexedEnd_ is in its list.
    const std::size_t unlisted = listed_[tag] ? indexedEnd_ : 0;
    return beyond_[tag].Find(text_, length_, from > unlisted ? from : unlisted);
}

} // namespace quendix
