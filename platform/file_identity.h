// Which file an open stream is, and cutting it short: what keeps a
// conversion from emptying its own input and from leaving half a record.
#ifndef QUENDIX_PLATFORM_FILE_IDENTITY_H
#define QUENDIX_PLATFORM_FILE_IDENTITY_H

#include <cstdio>

namespace quendix {

// True when both streams are open on the same regular file, by whatever
// path: the same one, another, a hard link or a symbolic link.
bool IsSameFile(std::FILE* first, std::FILE* second);

// Cuts a file open for writing to its first size bytes. A file that cannot
// be cut, a device or a pipe, is left as it is. False when a regular file
// could not be cut.
bool CutFile(std::FILE* file, unsigned long long size);

} // namespace quendix

#endif
