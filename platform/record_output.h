// The record file's stream: 16-bit characters queued in fixed storage and
// handed to the file as UTF-16LE. Nothing is allocated per call.
#ifndef QUENDIX_PLATFORM_RECORD_OUTPUT_H
#define QUENDIX_PLATFORM_RECORD_OUTPUT_H

#include <cstddef>
#include <cstdio>

namespace quendix {

// The output buffer holds all the records of a typical full feed (about
// 240 items, 310 KB, in 320 KiB), so a conversion hands them to the file
// in one write; larger feeds of short items take a few more.
constexpr std::size_t kOutputBufferUnits = 163840;

struct RecordOutput {
    std::FILE* file = nullptr;
    char16_t* units = nullptr;           // kOutputBufferUnits of fixed storage
    std::size_t pending = 0;             // units waiting in the buffer
    unsigned long long bytesWritten = 0; // bytes the file has accepted
    bool failed = false;
};

// Creates path, or empties it when it exists.
bool OpenOutput(RecordOutput& stream, const wchar_t* path, char16_t* buffer);

// The same for a file the caller has opened for writing: the stream takes
// it over and closes it. False when file is null.
bool AdoptOutput(RecordOutput& stream, std::FILE* file, char16_t* buffer);

// Room for count units at the end of the queue, count at most
// kOutputBufferUnits: the queued units go to the file first when the room
// left is too small. Null once a write has failed. The units put there
// join the queue only through CommitUnits.
char16_t* ReserveUnits(RecordOutput& stream, std::size_t count);

// Queues the count units put at the place ReserveUnits gave.
void CommitUnits(RecordOutput& stream, std::size_t count);

// Hands every queued unit to the file. False when the file refused any.
bool FlushOutput(RecordOutput& stream);

// Flushes and closes. False when the close failed; a failed flush shows in
// failed, with bytesWritten telling how far the file got.
bool CloseOutput(RecordOutput& stream);

} // namespace quendix

#endif
