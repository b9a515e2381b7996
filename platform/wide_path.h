// Wide-character paths as the host passes them, made ready for the C runtime.
#ifndef QUENDIX_PLATFORM_WIDE_PATH_H
#define QUENDIX_PLATFORM_WIDE_PATH_H

#include <cstddef>
#include <cstdio>

namespace quendix {

// Longest path, in bytes of its encoded form, that the library will open.
constexpr std::size_t kMaxEncodedPath = 4096;

// Encodes a UTF-32 wide path as UTF-8 into buffer (NUL-terminated). False
// when the path holds a value that is not a Unicode scalar value, or when it
// does not fit.
bool EncodePathUtf8(const wchar_t* path, char* buffer, std::size_t bufferSize);

enum class OpenMode { Read, Write };

// Opens path in binary mode: bytes are decoded and encoded by the library
// itself. Writing creates a missing file and leaves an existing
// one as it is, for the caller to empty (see file_identity.h). Returns null
// when the file cannot be opened.
std::FILE* OpenWidePath(const wchar_t* path, OpenMode mode);

} // namespace quendix

#endif
