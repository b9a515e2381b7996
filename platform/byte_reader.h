// The input file as bytes: opened through its wide path, read unbuffered
// into a fixed buffer, and handed to the read loop (reading/decoding_input.h)
// a buffer's worth at a time. It knows nothing of encodings.
#ifndef QUENDIX_PLATFORM_BYTE_READER_H
#define QUENDIX_PLATFORM_BYTE_READER_H

#include "platform/file_identity.h"

#include <cstddef>
#include <cstdio>

namespace quendix {

constexpr std::size_t kInputBufferBytes = 65536;

struct ByteInput {
    std::FILE* file = nullptr;
    FileIdentity identity;          // which file it is, looked at once when opened
    unsigned char* bytes = nullptr; // kInputBufferBytes of fixed storage
    std::size_t position = 0;       // next undecoded byte
    std::size_t filled = 0;         // bytes held
    bool fileExhausted = false;     // the file has no more bytes
    bool readFailed = false;        // a read error, as opposed to the end
    int readError = 0;              // the system's error number for it
    bool atEnd = false;             // a read has met the end of input
};

// Opens path for reading. Nothing is read yet. A directory opens for
// reading on some systems but fails on the first read: it counts as a file
// that cannot be opened.
bool OpenInput(ByteInput& stream, const wchar_t* path, unsigned char* buffer);

// The same for a file the caller has opened: the stream takes it over and
// closes it, also when it refuses it (a directory, or no file at all).
bool AdoptInput(ByteInput& stream, std::FILE* file, unsigned char* buffer);

// Makes at least wanted undecoded bytes available, unless the file ends
// first. Undecoded bytes move to the front of the buffer to make room.
void EnsureBytes(ByteInput& stream, std::size_t wanted);

void CloseInput(ByteInput& stream);

} // namespace quendix

#endif
