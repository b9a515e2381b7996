// The input stream: the feed file read as bytes and decoded here (see
// decode.h) into 16-bit characters. Its buffer is fixed storage: nothing is
// allocated per call.
#ifndef QUENDIX_PLATFORM_WIDE_STREAM_H
#define QUENDIX_PLATFORM_WIDE_STREAM_H

#include "platform/decode.h"
#include "platform/wide_path.h"

#include <cstddef>
#include <cstdio>

namespace quendix {

constexpr std::size_t kInputBufferBytes = 65536;

struct WideInputStream {
    std::FILE* file = nullptr;
    Encoding encoding = Encoding::Utf8;
    EncodingSource encodingSource = EncodingSource::Default;
    unsigned char* bytes = nullptr; // kInputBufferBytes of fixed storage
    std::size_t position = 0;       // next undecoded byte
    std::size_t filled = 0;         // bytes held
    bool fileExhausted = false;     // the file has no more bytes
    bool readFailed = false;        // a read error, as opposed to the end
    bool atEnd = false;             // a read has met the end of input
};

// Opens path for reading. Nothing is read yet.
bool OpenInput(WideInputStream& stream, const wchar_t* path, unsigned char* buffer);

// Reads the first bytes and chooses the encoding from them; call once,
// before the first read. A chosen encoding, when not null, takes the place
// of any declaration; a byte-order mark still wins.
void ChooseEncoding(WideInputStream& stream, const Encoding* chosen = nullptr);

// Reads one line into line: at most limit - 1 characters, then a
// terminator; stops after a newline and keeps it. CR LF arrives as LF. A
// character above U+FFFF that would not fit whole is left for the next read.
// Returns the number of characters stored (0 at the end of input).
std::size_t ReadLine(WideInputStream& stream, char16_t* line, std::size_t limit);

// Reads characters into text until it holds capacity of them or the input
// ends: the characters that ReadLine calls would give, joined, without a
// call per line. A character above U+FFFF that would not fit whole is left
// unread. Stores no terminator; returns the number of characters stored.
std::size_t ReadText(WideInputStream& stream, char16_t* text, std::size_t capacity);

// True once a read has met the end of input (or failed).
inline bool AtEndOfInput(const WideInputStream& stream) {
    return stream.atEnd;
}

void CloseInput(WideInputStream& stream);

} // namespace quendix

#endif
