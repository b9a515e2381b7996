// Literal substring search over 16-bit text, and the rules for cutting a
// piece out of it.
#ifndef QUENDIX_CONVERT_TEXT_SEARCH_H
#define QUENDIX_CONVERT_TEXT_SEARCH_H

#include <cstddef>

namespace quendix {

constexpr std::ptrdiff_t kNotFound = -1;

struct Literal {
    const char16_t* text;
    std::size_t length;
};

template <std::size_t N> constexpr Literal MakeLiteral(const char16_t (&text)[N]) {
    return Literal{text, N - 1};
}

// Index of the first position in text[0, length) of the character c, at or
// after from; kNotFound when none.
std::ptrdiff_t FindCharacter(const char16_t* text, std::size_t length, std::size_t from,
                             char16_t c);

// Index of the first occurrence of literal that starts at or after from and
// lies wholly inside text[0, length); kNotFound when none.
std::ptrdiff_t FindLiteral(const char16_t* text, std::size_t length, std::size_t from,
                           Literal literal);

// Remembers the last answer for one literal over one text. The conversion's
// searches for a literal start at positions that never go back, so a search
// that starts inside the stretch already known to be free of the literal
// gets its answer without looking again. That keeps a whole conversion
// linear even when every search runs to the end of the text.
class LiteralSearch {
  public:
    explicit LiteralSearch(Literal literal) : literal_(literal) {}
    std::ptrdiff_t Find(const char16_t* text, std::size_t length, std::size_t from);

  private:
    Literal literal_;
    bool known_ = false;
    std::size_t searchedFrom_ = 0;
    std::ptrdiff_t found_ = kNotFound;
};

inline bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
inline bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Makes a piece cut out of whole text hold whole characters only: a first
// half of a pair left at its end, or a second half left at its start,
// becomes a space.
void MendCutEdges(char16_t* piece, std::size_t length);

} // namespace quendix

#endif
