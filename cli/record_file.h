// What makes a file a record file, judged by its content: the command will
// replace one without --force, and show prints only one.
#ifndef QUENDIX_CLI_RECORD_FILE_H
#define QUENDIX_CLI_RECORD_FILE_H

#include "quendix.h"

#include <cstddef>
#include <cstdio>
#include <string>

namespace quendix_cli {

// A record's size, as the library's header gives it.
constexpr std::size_t kRecordChars = QUENDIX_RECORD_CHARS;
constexpr std::size_t kRecordBytes = QUENDIX_RECORD_BYTES;

// Why bytes, the start of a file of fileSize bytes, are not records; empty
// when they are. Records: the size a multiple of 1300; the file not
// beginning as a feed does (a byte-order mark, or '<' after white space not
// followed by the NUL of UTF-16LE text); each record UTF-16LE with no
// low surrogate alone (a field cut at its width may end in a lone high
// one) and holding a space, as every padded field and every date does.
// size must be a multiple of 1300 unless it is the whole file.
std::string NotRecordsReason(const unsigned char* bytes, std::size_t size,
                             unsigned long long fileSize);

// The same for a whole open file, read from where it stands to its end.
std::string NotRecordFileReason(std::FILE* file, unsigned long long fileSize);

} // namespace quendix_cli

#endif
