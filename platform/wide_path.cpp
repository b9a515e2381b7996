#include "platform/wide_path.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <wchar.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace quendix {

bool EncodePathUtf8(const wchar_t* path, char* buffer, std::size_t bufferSize) {
    std::size_t used = 0;
    auto put = [&](unsigned value) {
        if (used + 1 >= bufferSize) {
            return false;
        }
        buffer[used++] = static_cast<char>(value);
        return true;
    };
    for (const wchar_t* p = path; *p != 0; ++p) {
        const unsigned long value = static_cast<unsigned long>(*p);
        bool ok = true;
        if (value < 0x80) {
            ok = put(value);
        } else if (value < 0x800) {
            ok = put(0xC0 | (value >> 6)) && put(0x80 | (value & 0x3F));
        } else if (value >= 0xD800 && value <= 0xDFFF) {
            ok = false;
        } else if (value < 0x10000) {
            ok = put(0xE0 | (value >> 12)) && put(0x80 | ((value >> 6) & 0x3F)) &&
                 put(0x80 | (value & 0x3F));
        } else if (value <= 0x10FFFF) {
            ok = put(0xF0 | (value >> 18)) && put(0x80 | ((value >> 12) & 0x3F)) &&
                 put(0x80 | ((value >> 6) & 0x3F)) && put(0x80 | (value & 0x3F));
        } else {
            ok = false;
        }
        if (!ok) {
            return false;
        }
    }
    if (bufferSize == 0) {
        return false;
    }
    buffer[used] = 0;
    return true;
}

#if defined(_WIN32)

std::FILE* OpenWidePath(const wchar_t* path, OpenMode mode) {
    if (path == nullptr || path[0] == 0) {
        return nullptr;
    }
    // Windows paths are already UTF-16: the wide API takes them as they are.
    if (mode == OpenMode::Read) {
        return _wfopen(path, L"rb");
    }
    // Created when missing, and otherwise not emptied yet: the caller first
    // makes sure it is not the input.
    const int descriptor = _wopen(path, _O_WRONLY | _O_CREAT | _O_BINARY, _S_IREAD | _S_IWRITE);
    return descriptor < 0 ? nullptr : _fdopen(descriptor, "wb");
}

#else

std::FILE* OpenWidePath(const wchar_t* path, OpenMode mode) {
    if (path == nullptr) {
        return nullptr;
    }
    char encoded[kMaxEncodedPath];
    if (!EncodePathUtf8(path, encoded, sizeof encoded) || encoded[0] == 0) {
        return nullptr;
    }
    if (mode == OpenMode::Write) {
        // Created when missing, and otherwise not emptied yet: the caller
        // first makes sure it is not the input.
        const int descriptor = open(encoded, O_WRONLY | O_CREAT, 0666);
        return descriptor < 0 ? nullptr : fdopen(descriptor, "wb");
    }
    std::FILE* stream = std::fopen(encoded, "rb");
    if (stream == nullptr) {
        return stream;
    }
    // A directory opens for reading here but fails on the first read; treat
    // it as what it is, a file that cannot be opened.
    struct stat status;
    if (fstat(fileno(stream), &status) != 0 || S_ISDIR(status.st_mode)) {
        std::fclose(stream);
        return nullptr;
    }
    return stream;
}

#endif

} // namespace quendix
