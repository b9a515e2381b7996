// The input stream as text: the feed file's bytes (byte_reader.h) decoded
// (decode.h) into 16-bit characters. Everything lives in the stream and its
// fixed buffer: nothing is allocated per call.
#ifndef QUENDIX_READING_DECODING_INPUT_H
#define QUENDIX_READING_DECODING_INPUT_H

#include "encoding/decode.h"
#include "encoding/detection.h"
#include "platform/byte_reader.h"

#include <cstddef>

namespace quendix {

// The file's bytes and what decoding them needs: the encoding, the decoder's
// state between steps, and for a single-byte encoding its character for each
// byte, filled when the encoding is chosen so its read loop is one lookup per
// byte.
struct DecodingInput : ByteInput {
    Encoding encoding = Encoding::Utf8;
    EncodingSource encodingSource = EncodingSource::Default;
    DecoderState decoder;
    char16_t byteTable[256];
};

// Reads the first bytes and chooses the encoding from them; call once,
// before the first read. A chosen encoding, when not null, takes the place
// of any declaration; a byte-order mark still wins.
void ChooseEncoding(DecodingInput& stream, const Encoding* chosen = nullptr);

// Reads characters into text until it holds capacity of them or the input
// ends, CR LF arriving as LF. Stores no terminator; returns the number of
// characters stored. What a call cannot store whole (a character above
// U+FFFF, or Big5's letter and mark, with one place left) is left unread
// for the next call, so the text is the same however the reads split it.
std::size_t ReadText(DecodingInput& stream, char16_t* text, std::size_t capacity);

// True once a read has met the end of input (or failed); false after a
// read that stopped only because text was full.
inline bool AtEndOfInput(const DecodingInput& stream) {
    return stream.atEnd;
}

} // namespace quendix

#endif
