#include "convert/text_search.h"

#include <cstring>

namespace quendix {

std::ptrdiff_t FindCharacter(const char16_t* text, std::size_t length, std::size_t from,
                             char16_t c) {
    for (std::size_t i = from; i < length; ++i) {
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
    const std::size_t restBytes = (literal.length - 1) * sizeof(char16_t);
    std::size_t position = from;
    for (;;) {
        const std::ptrdiff_t candidate =
            FindCharacter(text, lastStart + 1, position, literal.text[0]);
        if (candidate == kNotFound) {
            return kNotFound;
        }
        const std::size_t start = static_cast<std::size_t>(candidate);
        if (std::memcmp(text + start + 1, literal.text + 1, restBytes) == 0) {
            return candidate;
        }
        position = start + 1;
    }
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
