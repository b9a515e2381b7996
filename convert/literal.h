// Literal substring search over 16-bit text: a literal, prepared once, and
// the searches for it.
#ifndef QUENDIX_CONVERT_LITERAL_H
#define QUENDIX_CONVERT_LITERAL_H

#include "simd/text_loops.h"

#include <cstddef>
#include <cstdint>

namespace quendix {

constexpr std::ptrdiff_t kNotFound = -1;

// A stretch of 16-bit text that lives elsewhere, usually in FeedText.
struct TextView {
    const char16_t* text;
    std::size_t length;
};

// The characters of a literal compared in one step when a search checks a
// possible match.
constexpr std::size_t kLiteralHeadLength = loops::kHeadLength;

// A literal and how to look for it. A search first tests the anchor, its
// least common character in feed text, and then the partner, its first
// character (or, when that is the anchor, the next least common): both in
// one vector step unless the anchor is rare enough to be looked for alone.
// Only a place where both match is compared whole, so text dense with
// near-misses of the literal costs about as little to search as any other.
struct Literal {
    const char16_t* text;
    std::size_t length;
    std::size_t anchor;
    std::size_t partner;               // the anchor itself for one character
    bool pairedScan;                   // the partner is tested with the anchor
    char16_t head[kLiteralHeadLength]; // the first characters, zero after the end
    std::uint32_t headMask;            // two bits for each character of head compared
};

namespace literal_detail {

constexpr bool OneOf(char16_t c, const char16_t* set) {
    for (; *set != 0; ++set) {
        if (*set == c) {
            return true;
        }
    }
    return false;
}

// How often a character turns up in feed text, on a rough scale of 1 to 10:
// spaces, common letters and tag brackets score high; capitals, digits and
// entity or attribute punctuation low.
constexpr int Commonness(char16_t c) {
    if (OneOf(c, u" etaoinshr")) {
        return 10;
    }
    if (OneOf(c, u"<>")) {
        return 8;
    }
    if (OneOf(c, u"dlucm")) {
        return 7;
    }
    if (OneOf(c, u"/\"\n")) {
        return 6;
    }
    if (OneOf(c, u"vkjxqz")) {
        return 2;
    }
    return (c >= u'a' && c <= u'z') ? 5 : 1;
}

// An anchor this rare is worth testing alone.
constexpr int kRareEnough = 2;

// The least common position other than skip; a tie goes to the later
// position, which tells an element's name apart sooner than its bracket.
constexpr std::size_t RarestPosition(const char16_t* text, std::size_t length, std::size_t skip) {
    std::size_t best = length;
    for (std::size_t i = 0; i < length; ++i) {
        if (i != skip && (best == length || Commonness(text[i]) <= Commonness(text[best]))) {
            best = i;
        }
    }
    return best == length ? skip : best;
}

// The first character pins down where a match starts: with the anchor it
// rejects a closing tag that holds the same name as an opening one.
constexpr std::size_t PartnerPosition(const char16_t* text, std::size_t length,
                                      std::size_t anchor) {
    return anchor != 0 ? 0 : RarestPosition(text, length, anchor);
}

} // namespace literal_detail

template <std::size_t N> constexpr Literal MakeLiteral(const char16_t (&text)[N]) {
    static_assert(N >= 2, "a literal holds at least one character");
    const std::size_t anchor = literal_detail::RarestPosition(text, N - 1, N);
    const std::size_t partner = literal_detail::PartnerPosition(text, N - 1, anchor);
    const bool paired =
        partner != anchor && literal_detail::Commonness(text[anchor]) > literal_detail::kRareEnough;
    Literal literal{text, N - 1, anchor, partner, paired, {}, 0};
    for (std::size_t i = 0; i < N - 1 && i < kLiteralHeadLength; ++i) {
        literal.head[i] = text[i];
        literal.headMask |= std::uint32_t{3} << (2 * i);
    }
    return literal;
}

// Index of the first occurrence of literal that starts at or after from and
// lies wholly inside text[0, length); kNotFound when none.
std::ptrdiff_t FindLiteral(const char16_t* text, std::size_t length, std::size_t from,
                           const Literal& literal);

// Index of the first start at or after from where first or second occurs
// wholly inside text[0, length); kNotFound when neither does. One pass
// over the text finds what two searches would.
std::ptrdiff_t FindEither(const char16_t* text, std::size_t length, std::size_t from,
                          const Literal& first, const Literal& second);

// Whether literal starts at at and lies wholly inside text[0, length).
bool LiteralStartsAt(const char16_t* text, std::size_t length, std::size_t at,
                     const Literal& literal);

// Remembers the last answer for one literal over one text. The conversion's
// searches for a literal start at positions that never go back, so a search
// that starts inside the stretch already known to be free of the literal
// gets its answer without looking again. That keeps a whole conversion
// linear even when every search runs to the end of the text.
class LiteralSearch {
  public:
    LiteralSearch() = default;
    explicit LiteralSearch(const Literal& literal) : literal_(literal) {}
    std::ptrdiff_t Find(const char16_t* text, std::size_t length, std::size_t from);

  private:
    std::ptrdiff_t Search(const char16_t* text, std::size_t length, std::size_t from);

    Literal literal_{};
    bool known_ = false;
    std::size_t searchedFrom_ = 0;
    std::ptrdiff_t found_ = kNotFound;
};

inline std::ptrdiff_t LiteralSearch::Find(const char16_t* text, std::size_t length,
                                          std::size_t from) {
    const bool insideKnownStretch =
        known_ && from >= searchedFrom_ &&
        (found_ == kNotFound || from <= static_cast<std::size_t>(found_));
    return insideKnownStretch ? found_ : Search(text, length, from);
}

} // namespace quendix

#endif
