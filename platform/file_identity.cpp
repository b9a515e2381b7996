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

} // namespace

bool IdentifyFile(std::FILE* stream, FileIdentity* identity) {
    *identity = FileIdentity{};
    const HANDLE handle = HandleOf(stream);
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        return true; // a console or a pipe
    }
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(handle, &information)) {
        return false;
    }
    identity->kind = (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0
                         ? FileKind::Directory
                         : FileKind::Regular;
    identity->place.volume = information.dwVolumeSerialNumber;
    identity->place.index =
        (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow;
    identity->size = (std::uint64_t{information.nFileSizeHigh} << 32) | information.nFileSizeLow;
    return true;
}

bool CutFile(std::FILE* file, unsigned long long size) {
    if (GetFileType(HandleOf(file)) != FILE_TYPE_DISK) {
        return true;
    }
    return _chsize_s(_fileno(file), static_cast<long long>(size)) == 0;
}

#else

bool IdentifyFile(std::FILE* stream, FileIdentity* identity) {
    *identity = FileIdentity{};
    struct stat status;
    if (fstat(fileno(stream), &status) != 0) {
        return false;
    }
    identity->kind = S_ISREG(status.st_mode)   ? FileKind::Regular
                     : S_ISDIR(status.st_mode) ? FileKind::Directory
                                               : FileKind::Other;
    identity->place.volume = static_cast<std::uint64_t>(status.st_dev);
    identity->place.index = static_cast<std::uint64_t>(status.st_ino);
    identity->size = static_cast<std::uint64_t>(status.st_size);
    return true;
}

bool CutFile(std::FILE* file, unsigned long long size) {
    struct stat status;
    if (fstat(fileno(file), &status) != 0 || !S_ISREG(status.st_mode)) {
        return true;
    }
    return ftruncate(fileno(file), static_cast<off_t>(size)) == 0;
}

#endif

bool IsSameRegularFile(const FileIdentity& first, const FileIdentity& second) {
    return first.kind == FileKind::Regular && second.kind == FileKind::Regular &&
           IsSamePlace(first.place, second.place);
}

} // namespace quendix
