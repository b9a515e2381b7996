// What one decoding step gives and carries to the next; the decoders of
// each family (utf8.h, single_byte.h, multi_byte_decoders.h) share it.
#ifndef QUENDIX_ENCODING_STEP_H
#define QUENDIX_ENCODING_STEP_H

#include <cstddef>

namespace quendix {

constexpr char32_t kReplacementCharacter = 0xFFFD;

// What a decoder carries from one step to the next. Only ISO-2022-JP (the
// character set escape sequences switched to, and whether anything has been
// given since the last one) and replacement (whether its one U+FFFD has
// been given) need it.
struct DecoderState {
    unsigned char iso2022JpSet = 0;
    bool iso2022JpOutput = false;
    bool replacementGiven = false;
};

// One step's characters: none (an ISO-2022-JP escape sequence), one, or two
// (Big5's four pointers that stand for a letter and a combining mark).
struct DecodedStep {
    unsigned count;
    char32_t characters[2];
};

// The most bytes a step needs to see before it is decided (gb18030's four).
// A replacement decoder's step takes every byte it is given.
constexpr std::size_t kMaxStepBytes = 4;

} // namespace quendix

#endif
