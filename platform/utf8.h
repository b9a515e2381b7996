// UTF-8 for paths and command-line arguments: one encoder, and a strict
// reading built on the feed decoder, so every part of Quendix agrees on
// what well-formed UTF-8 is.
#ifndef QUENDIX_PLATFORM_UTF8_H
#define QUENDIX_PLATFORM_UTF8_H

#include <cstddef>

namespace quendix {

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

// True when all size bytes are well-formed UTF-8.
bool IsWellFormedUtf8(const char* bytes, std::size_t size);

} // namespace quendix

#endif
