// A piece cut out of whole text holds whole characters only: the mends a
// field gets where a cut would split a surrogate pair.
#ifndef QUENDIX_CONVERT_RECORD_EDGES_H
#define QUENDIX_CONVERT_RECORD_EDGES_H

#include "encoding/utf16.h"

#include <cstddef>

namespace quendix {

// Makes a piece copied from whole text hold whole characters only: a first
// half of a pair left at its end, or a second half left at its start,
// becomes a space in copy. The edges are judged on from, the text copied,
// so that a check right after a vector copy need not wait for its stores.
inline void MendCopiedEdges(char16_t* copy, const char16_t* from, std::size_t length) {
    if (length == 0) {
        return;
    }
    if (IsHighSurrogate(from[length - 1])) {
        copy[length - 1] = u' ';
    }
    if (IsLowSurrogate(from[0])) {
        copy[0] = u' ';
    }
}

} // namespace quendix

#endif
