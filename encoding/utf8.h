// UTF-8, the one decoder and the one encoder of the whole tree. The
// decoder is inline so that the read loop's fast path for runs of
// non-ASCII text is this very decoder rather than a second one; paths and
// command-line arguments read it strictly.
#ifndef QUENDIX_ENCODING_UTF8_H
#define QUENDIX_ENCODING_UTF8_H

#include "encoding/step.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace quendix {

// The range the byte after each lead byte must lie in, and how many
// continuation bytes the lead calls for (0: the byte never leads). The
// standard's UTF-8 decoder narrows the first continuation after E0, ED, F0
// and F4 to keep out overlong forms, surrogates and values past U+10FFFF.
struct Utf8Lead {
    unsigned char following;
    unsigned char lower;
    unsigned char upper;
};

inline Utf8Lead Utf8LeadOf(unsigned lead) {
    if (lead >= 0xC2 && lead <= 0xDF) {
        return {1, 0x80, 0xBF};
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return {2, static_cast<unsigned char>(lead == 0xE0 ? 0xA0 : 0x80),
                static_cast<unsigned char>(lead == 0xED ? 0x9F : 0xBF)};
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return {3, static_cast<unsigned char>(lead == 0xF0 ? 0x90 : 0x80),
                static_cast<unsigned char>(lead == 0xF4 ? 0x8F : 0xBF)};
    }
    return {0, 0, 0};
}

// Four bytes as one word, the first in the low eight bits.
inline std::uint32_t Utf8FourBytes(const unsigned char* bytes) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    std::uint32_t word = 0;
    std::memcpy(&word, bytes, sizeof word);
    return word;
#else
    return bytes[0] | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
           std::uint32_t{bytes[3]} << 24;
#endif
}

// Whether the four bytes at bytes are one well-formed character; its
// value is in *character when they are. A lead from F0 to F7 and three
// continuations are checked on one word; the value's range then rules out
// overlong forms, values past U+10FFFF and the leads past F4.
inline bool DecodeUtf8FourBytes(const unsigned char* bytes, char32_t* character) {
    const std::uint32_t word = Utf8FourBytes(bytes);
    if ((word & 0xC0C0C0F8u) != 0x808080F0u) {
        return false;
    }
    const char32_t value =
        (word & 0x07) << 18 | (word & 0x3F00) << 4 | (word >> 10 & 0xFC0) | (word >> 24 & 0x3F);
    *character = value;
    return value - 0x10000u < 0x100000u;
}

// Decodes one UTF-8 character or one maximal ill-formed subsequence (one
// U+FFFD) from bytes[0, size), size at least 1. The first byte that breaks a
// sequence is not used: it starts the next step. Returns 0 when the bytes
// end inside a sequence and more may follow (atEnd false).
inline std::size_t DecodeUtf8(const unsigned char* bytes, std::size_t size, bool atEnd,
                              char32_t* character) {
    const unsigned lead = bytes[0];
    if (lead < 0x80) {
        *character = lead;
        return 1;
    }
    // Four-byte characters (emoji, mostly) in English text come alone, and
    // are tested for first: one comparison more for the others.
    if (lead >= 0xF0 && size >= 4 && DecodeUtf8FourBytes(bytes, character)) {
        return 4;
    }
    // Two- and three-byte characters, whole and well-formed, are most of
    // the non-ASCII text in feeds: they are decoded straight away. What
    // they leave (four bytes, errors, a character cut by the end of the
    // bytes) goes the general way below, with the same result.
    if (lead >= 0xC2 && lead <= 0xDF && size >= 2 && (bytes[1] & 0xC0) == 0x80) {
        *character = ((lead & 0x1F) << 6) | (bytes[1] & 0x3F);
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF && size >= 3 && (bytes[2] & 0xC0) == 0x80) {
        const unsigned lower = lead == 0xE0 ? 0xA0 : 0x80;
        const unsigned upper = lead == 0xED ? 0x9F : 0xBF;
        if (bytes[1] >= lower && bytes[1] <= upper) {
            *character = ((lead & 0x0F) << 12) | ((bytes[1] & 0x3F) << 6) | (bytes[2] & 0x3F);
            return 3;
        }
    }
    const Utf8Lead form = Utf8LeadOf(lead);
    if (form.following == 0) {
        *character = kReplacementCharacter;
        return 1;
    }
    char32_t value = lead & (0x3F >> form.following);
    unsigned lower = form.lower;
    unsigned upper = form.upper;
    for (std::size_t i = 1; i <= form.following; ++i) {
        if (i >= size) {
            if (!atEnd) {
                return 0;
            }
            *character = kReplacementCharacter;
            return i;
        }
        if (bytes[i] < lower || bytes[i] > upper) {
            *character = kReplacementCharacter;
            return i;
        }
        lower = 0x80;
        upper = 0xBF;
        value = (value << 6) | (bytes[i] & 0x3F);
    }
    *character = value;
    return form.following + 1u;
}

// The longest UTF-8 form of one character.
constexpr std::size_t kMaxUtf8Bytes = 4;

// Writes the UTF-8 form of value to out, which has room for kMaxUtf8Bytes,
// and returns its length. Returns 0, writing nothing, when value is not a
// Unicode scalar value (a surrogate, or above U+10FFFF).
std::size_t EncodeUtf8(char32_t value, char* out);

// Decodes the character at the start of bytes (size > 0) and returns the
// number of bytes it takes. Returns 0 when the bytes there are not
// well-formed UTF-8: unlike the feed decoder, which reads such bytes as
// U+FFFD and goes on, a path or an argument must be taken as it is or not
// at all.
std::size_t DecodeUtf8Strictly(const char* bytes, std::size_t size, char32_t* character);

} // namespace quendix

#endif
