// UTF-16's surrogates, in one place for everything that splits a character
// above U+FFFF into a pair or joins a pair into one: the UTF-16 decoders,
// the read loop, the records' mended edges and the command's arguments.
#ifndef QUENDIX_ENCODING_UTF16_H
#define QUENDIX_ENCODING_UTF16_H

namespace quendix {

// The first character that needs a surrogate pair.
constexpr char32_t kFirstPairedCharacter = 0x10000;

constexpr bool IsHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
constexpr bool IsLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}
constexpr bool IsSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDFFF;
}

// The halves of a character at or above kFirstPairedCharacter.
constexpr char32_t HighSurrogateOf(char32_t character) {
    return 0xD800 + ((character - kFirstPairedCharacter) >> 10);
}
constexpr char32_t LowSurrogateOf(char32_t character) {
    return 0xDC00 + ((character - kFirstPairedCharacter) & 0x3FF);
}

// The character a high and a low surrogate stand for.
constexpr char32_t JoinSurrogates(char32_t high, char32_t low) {
    return kFirstPairedCharacter + ((high - 0xD800) << 10) + (low - 0xDC00);
}

} // namespace quendix

#endif
