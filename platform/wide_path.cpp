#include "platform/wide_path.h"

#if defined(_WIN32)
#include <wchar.h>
#else
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
    return _wfopen(path, mode == OpenMode::Read ? L"rb" : L"wb");
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
    std::FILE* stream = std::fopen(encoded, mode == OpenMode::Read ? "rb" : "wb");
    if (stream == nullptr || mode == OpenMode::Write) {
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
