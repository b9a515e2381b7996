// Which file an open stream is, and cutting it short: what keeps a
// conversion from reading a directory, from emptying its own input and from
// leaving half a record. Each file is looked at once, when it is opened.
#ifndef QUENDIX_PLATFORM_FILE_IDENTITY_H
#define QUENDIX_PLATFORM_FILE_IDENTITY_H

#include <cstdint>
#include <cstdio>

namespace quendix {

enum class FileKind { Regular, Directory, Other };

// Where a file lies, however it is reached: by one path or another, a hard
// link or a symbolic link.
struct FilePlace {
    std::uint64_t volume = 0; // device, or volume serial number
    std::uint64_t index = 0;  // inode, or file index
};

// The one comparison every same-file rule is built on. Which files may
// match is the rule's own: the library's takes regular files only
// (IsSameRegularFile); the command's takes any file the system describes,
// a pipe or a terminal among them, to see that its output is its standard
// output.
constexpr bool IsSamePlace(const FilePlace& first, const FilePlace& second) {
    return first.volume == second.volume && first.index == second.index;
}

struct FileIdentity {
    FileKind kind = FileKind::Other;
    FilePlace place;
    std::uint64_t size = 0;
};

// What file stream is open on. False when the system cannot tell.
bool IdentifyFile(std::FILE* stream, FileIdentity* identity);

// True when both are the same regular file, by whatever path they were
// opened.
bool IsSameRegularFile(const FileIdentity& first, const FileIdentity& second);

// Cuts a file open for writing to its first size bytes. A file that cannot
// be cut, a device or a pipe, is left as it is. False when a regular file
// could not be cut.
bool CutFile(std::FILE* file, unsigned long long size);

} // namespace quendix

#endif
