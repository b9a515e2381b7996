// The input file as bytes: opened through its wide path, read unbuffered
// into the stream's fixed buffer, and handed to the decoding loop
// (wide_stream.h) a buffer's worth at a time.
#ifndef QUENDIX_PLATFORM_BYTE_READER_H
#define QUENDIX_PLATFORM_BYTE_READER_H

#include "encoding/decode.h"
#include "platform/file_identity.h"
#include "platform/wide_path.h"

#include <cstddef>
#include <cstdio>

namespace quendix {

constexpr std::size_t kInputBufferBytes = 65536;

struct WideInputStream {
    std::FILE* file = nullptr;
    FileIdentity identity; // which file it is, looked at once when opened
    Encoding encoding = Encoding::Utf8;
    EncodingSource encodingSource = EncodingSource::Default;
    DecoderState decoder;           // what the decoder carries between steps
    unsigned char* bytes = nullptr; // kInputBufferBytes of fixed storage
    std::size_t position = 0;       // next undecoded byte
    std::size_t filled = 0;         // bytes held
    bool fileExhausted = false;     // the file has no more bytes
    bool readFailed = false;        // a read error, as opposed to the end
    bool atEnd = false;             // a read has met the end of input
    // A single-byte encoding's character for each byte, filled when the
    // encoding is chosen, so its read loop is one lookup per byte.
    char16_t byteTable[256];
};

// Opens path for reading. Nothing is read yet. A directory opens for
// reading on some systems but fails on the first read: it counts as a file
// that cannot be opened.
bool OpenInput(WideInputStream& stream, const wchar_t* path, unsigned char* buffer);

// Makes at least wanted undecoded bytes available, unless the file ends
// first. Undecoded bytes move to the front of the buffer to make room.
void EnsureBytes(WideInputStream& stream, std::size_t wanted);

void CloseInput(WideInputStream& stream);

} // namespace quendix

#endif
