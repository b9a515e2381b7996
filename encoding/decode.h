// Bytes become characters here: each encoding decoded as its decoder in the
// WHATWG Encoding Standard is written, with each error giving U+FFFD. The
// conversion itself sees only 16-bit characters.
#ifndef QUENDIX_ENCODING_DECODE_H
#define QUENDIX_ENCODING_DECODE_H

#include "encoding/encoding.h"
#include "encoding/step.h"

#include <cstddef>

namespace quendix {

// Decodes one step starting at bytes: one character, or one error and
// U+FFFD, as the encoding's decoder gives them. Returns the number of bytes
// used and updates state. Bytes that the decoder puts back after an error
// are not used, so the next step decodes them again. Returns 0, leaving
// state alone, when the bytes end inside a step and more may follow (atEnd
// false); with atEnd true and at least one byte it never returns 0, and with
// kMaxStepBytes bytes at hand it never does either.
std::size_t DecodeStep(Encoding encoding, DecoderState& state, const unsigned char* bytes,
                       std::size_t size, bool atEnd, DecodedStep* decoded);

} // namespace quendix

#endif
