// Copying records and feeds between open streams, for the staging files.
#ifndef QUENDIX_CLI_STREAM_COPY_H
#define QUENDIX_CLI_STREAM_COPY_H

#include <cstdio>

namespace quendix_cli {

// Copies from one stream to the other to its end, keeping the error that
// stopped it. Returns 0, or the error with readFailed telling which side.
int CopyStream(std::FILE* from, std::FILE* to, bool& readFailed);

// A regular file that refused part of the records is cut back to the
// whole ones it took, from where they began.
void KeepWholeRecords(std::FILE* target, long long start);

} // namespace quendix_cli

#endif
