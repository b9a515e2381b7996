#include "cli/stream_copy.h"

#include "cli/record_file.h"
#include "cli/system.h"

#include <cerrno>

namespace quendix_cli {

// Copies from one stream to the other to its end, keeping the error that
// stopped it. Returns 0, or the error with readFailed telling which side.
int CopyStream(std::FILE* from, std::FILE* to, bool& readFailed) {
    char chunk[65536];
    readFailed = false;
    for (;;) {
        const std::size_t got = std::fread(chunk, 1, sizeof chunk, from);
        if (got > 0 && std::fwrite(chunk, 1, got, to) != got) {
            return errno != 0 ? errno : EIO;
        }
        if (got < sizeof chunk) {
            break;
        }
    }
    if (std::ferror(from)) {
        readFailed = true;
        return errno != 0 ? errno : EIO;
    }
    return std::fflush(to) == 0 ? 0 : (errno != 0 ? errno : EIO);
}

// A regular file that refused part of the records is cut back to the
// whole ones it took, from where they began.
void KeepWholeRecords(std::FILE* target, long long start) {
    const long long end = StreamPosition(target);
    if (start >= 0 && end >= start && ExamineStream(target).regular) {
        CutStream(target, start + (end - start) / static_cast<long long>(kRecordBytes) *
                                      static_cast<long long>(kRecordBytes));
    }
}

} // namespace quendix_cli
