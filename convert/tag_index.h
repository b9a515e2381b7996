// Where a few tag literals stand in one text, listed in a single pass.
#ifndef QUENDIX_CONVERT_TAG_INDEX_H
#define QUENDIX_CONVERT_TAG_INDEX_H

#include "convert/literal.h"

#include <cstddef>
#include <cstdint>

namespace quendix {

// Where one tag literal starts, in a TagIndex.
using TagPlace = std::uint32_t;

// Finds every occurrence of a few tag literals in one text in a single
// pass, when it is made, then answers each search from that list: the nine
// searches per item would otherwise cross much of the same text again and
// again. A tag listed must start with '<' and a lower-case letter or '/',
// and be at least three and at most a head's characters long; any other is
// searched for directly, as is the rest of the text once a tag's share of the
// places is full. Every answer is the one FindLiteral gives. The
// conversion's searches for each tag start further on each time; one that
// starts earlier walks the tag's list from its beginning.
class TagIndex {
  public:
    static constexpr std::size_t kMaxTags = 16;
    // Tags are looked up by the two characters after their '<', hashed.
    static constexpr std::size_t kBuckets = 256;

    // Lists the tags in text[0, length). text, tags and places must
    // outlive the index; at most kMaxTags tags. Each tag gets an equal
    // share of the places.
    TagIndex(const char16_t* text, std::size_t length, const Literal* tags, std::size_t count,
             TagPlace* places, std::size_t capacity);

    // The first occurrence of tags[tag] at or after from in the text,
    // kNotFound when none or when tag is not one of the tags.
    std::ptrdiff_t Find(std::size_t tag, std::size_t from) {
        if (tag >= count_) {
            return kNotFound;
        }
        // Walk on from the last answer, or from the first place when a
        // search starts earlier. The walk runs on copies, which the
        // compiler keeps in registers.
        Cursor& cursor = cursors_[tag];
        const TagPlace* next = from < cursor.from ? places_ + tag * share_ : cursor.next;
        const TagPlace* const end = cursor.end;
        while (next != end && *next < from) {
            ++next;
        }
        cursor.next = next;
        cursor.from = from;
        if (next != end) {
            return static_cast<std::ptrdiff_t>(*next);
        }
        return FindBeyond(tag, from);
    }

  private:
    static constexpr unsigned char kNoTag = 0xFF;

    // Answers what the list cannot.
    std::ptrdiff_t FindBeyond(std::size_t tag, std::size_t from);
    void Build(const char16_t* text, std::size_t length);
    QUENDIX_AVX2_LOOP bool ScanAvx2(const char16_t* text, std::size_t length, std::size_t& at);
    template <class Steps> bool Scan(const char16_t* text, std::size_t length, std::size_t& at);
    template <class Steps, bool kRoomy>
    bool ScanSteps(const char16_t* text, std::size_t length, std::size_t& at, std::size_t stop);
    template <class Steps, bool kRoomy>
    bool Visit(const char16_t* text, std::size_t length, std::size_t at);

    const char16_t* text_;
    std::size_t length_;
    const Literal* tags_;
    std::size_t count_;
    TagPlace* places_;
    std::size_t share_;          // places per tag
    std::size_t indexedEnd_ = 0; // every place before it is listed
    unsigned char byBucket_[kBuckets];
    unsigned char chain_[kMaxTags]; // the next tag in the same bucket
    bool listed_[kMaxTags];
    // A tag's share of the places runs to limit; those listed so far run
    // to end, and the next search walks on from next. from is where the
    // last search started. The tag's head is kept here too, so that a
    // visit finds all it needs for the tag in one place.
    struct Cursor {
        char16_t head[kLiteralHeadLength];
        std::uint32_t headMask;
        TagPlace* end;
        TagPlace* limit;
        const TagPlace* next;
        std::size_t from;
    };
    Cursor cursors_[kMaxTags];
    LiteralSearch beyond_[kMaxTags]; // past the listed places
};

} // namespace quendix

#endif
