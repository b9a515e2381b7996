// The I/O floor: what any conversion of a feed must at least do through the
// C runtime. It reads the input's bytes, then creates the output and writes
// as many bytes as the conversion writes, and does nothing else.
#ifndef QUENDIX_BENCH_IO_FLOOR_H
#define QUENDIX_BENCH_IO_FLOOR_H

#include <cstddef>

namespace io_floor {

// Reads inputPath into buffer (at most capacity bytes), then writes
// outputBytes bytes of content to a new outputPath. Returns the bytes read,
// or 0 when a file could not be opened or a write fell short.
std::size_t ReadThenWrite(const char* inputPath, const char* outputPath, unsigned char* buffer,
                          std::size_t capacity, const unsigned char* content,
                          std::size_t outputBytes);

} // namespace io_floor

#endif
