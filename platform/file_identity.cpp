#include "platform/file_identity.h"

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quendix {

#if defined(_WIN32)

namespace {

HANDLE HandleOf(std::FILE* file) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
}

bool IsDiskFile(std::FILE* file) {
    return GetFileType(HandleOf(file)) == FILE_TYPE_DISK;
}

} // namespace

bool IsSameFile(std::FILE* first, std::FILE* second) {
    BY_HANDLE_FILE_INFORMATION a;
    BY_HANDLE_FILE_INFORMATION b;
    if (!IsDiskFile(first) || !IsDiskFile(second) ||
        !GetFileInformationByHandle(HandleOf(first), &a) ||
        !GetFileInformationByHandle(HandleOf(second), &b)) {
        return false;
    }
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

bool CutFile(std::FILE* file, unsigned long long size) {
    if (!IsDiskFile(file)) {
        return true;
    }
    return _chsize_s(_fileno(file), static_cast<long long>(size)) == 0;
}

#else

namespace {

bool RegularFileStatus(std::FILE* file, struct stat& status) {
    return fstat(fileno(file), &status) == 0 && S_ISREG(status.st_mode);
}

} // namespace

bool IsSameFile(std::FILE* first, std::FILE* second) {
    struct stat a;
    struct stat b;
    return RegularFileStatus(first, a) && RegularFileStatus(second, b) && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

bool CutFile(std::FILE* file, unsigned long long size) {
    struct stat status;
    if (!RegularFileStatus(file, status)) {
        return true;
    }
    return ftruncate(fileno(file), static_cast<off_t>(size)) == 0;
}

#endif

} // namespace quendix
