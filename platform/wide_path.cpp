#include "platform/wide_path.h"

#include "encoding/utf8.h"

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
    for (const wchar_t* p = path; *p != 0; ++p) {
        char encoded[kMaxUtf8Bytes];
        // Each wchar_t is one UTF-32 value; a lone surrogate has no UTF-8
        // form and is refused.
        const std::size_t length = EncodeUtf8(static_cast<char32_t>(*p), encoded);
        if (length == 0 || used + length >= bufferSize) {
            return false;
        }
        for (std::size_t i = 0; i < length; ++i) {
            buffer[used++] = encoded[i];
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
    return std::fopen(encoded, "rb");
}

#endif

} // namespace quendix
