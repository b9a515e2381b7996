// Putting a replacement file in place, the same on every platform; the
// steps that differ are in cli/system_posix.cpp and cli/system_windows.cpp.
#include "cli/system.h"

#include <cerrno>

namespace quendix_cli {

bool ReplacementFile::PutInPlace(bool syncFirst) {
    // On disk before the rename, so a crash leaves the old file or the
    // whole new one.
    bool done = std::fflush(stream_) == 0 && (!syncFirst || PutOnDisk(stream_));
    int error = done ? 0 : errno;
    if (std::fclose(stream_) != 0 && done) {
        done = false;
        error = errno;
    }
    stream_ = nullptr;
    if (done) {
        error = RenameOver(name_, target_);
        done = error == 0;
    }
    if (!done) {
        RemoveFile(name_);
    }
    errno = error;
    return done;
}

} // namespace quendix_cli
