// What the command asks of the operating system, answered once per
// platform: cli/system_posix.cpp and cli/system_windows.cpp. Everything
// else in cli/ is the same on both.
#ifndef QUENDIX_CLI_SYSTEM_H
#define QUENDIX_CLI_SYSTEM_H

#include "platform/file_identity.h"

#include <cstdio>
#include <string>

namespace quendix_cli {

// Runs the command on its UTF-8 arguments (the command name left out) and
// returns the exit status. Each platform's entry point calls it.
int Run(int argc, const std::string* argv);

// Puts the standard streams in binary mode, so records and text go out
// byte for byte; makes a write past the file size limit fail with EFBIG
// instead of ending the process, so the command can say so; puts a stand-in
// that fails every use in place of a closed standard stream, so no file the
// command opens takes its place; and removes the file being written (see
// ReplacementFile) when SIGINT, SIGTERM or SIGHUP ends the process.
void PrepareProcess();

// What the command needs to know of a file before it writes anything.
struct FileFacts {
    bool exists = false;
    bool regular = false;
    bool directory = false;
    quendix::FilePlace place; // which file it is, however it is reached
    long long size = 0;
};

// Facts about the file at path, links followed; exists is false when it
// cannot be examined.
FileFacts ExamineFile(const std::string& path);

enum class StandardStream { Input, Output };

// Facts about the file a standard stream is connected to.
FileFacts ExamineStandardStream(StandardStream stream);

// True when the standard stream was closed when the command started.
bool StandardStreamClosed(StandardStream stream);

// Facts about the file an open stream reads or writes.
FileFacts ExamineStream(std::FILE* file);

// A second stream on the same open file, with its own descriptor, for the
// library to take over and close. Null, with errno set, when it cannot.
std::FILE* ShareStream(std::FILE* file, const char* mode);

// Where the stream's file stands now, in bytes; -1 when it cannot tell.
long long StreamPosition(std::FILE* file);

// Cuts the regular file the stream writes to its first size bytes.
bool CutStream(std::FILE* file, long long size);

// True when both are one file the system described, whatever its kind: a
// pipe or a terminal as well as a regular file.
inline bool IsSameDescribedFile(const FileFacts& one, const FileFacts& other) {
    return one.exists && other.exists && quendix::IsSamePlace(one.place, other.place);
}

// True when standard error goes to a terminal, where a progress line can
// be kept up to date in place.
bool StandardErrorIsTerminal();

// Creates the directory at path, its parent already there. Returns 0, or
// the error (EEXIST when something is there already).
int MakeDirectory(const std::string& path);

// Opens path with a binary stdio mode ("rb", "ab", "wb"). Null, with errno
// set, when it cannot.
std::FILE* OpenFile(const std::string& path, const char* mode);

// After a write to the stream's file failed and the file was cut back to
// its size bytes of whole records: tries to write one more record there,
// then puts the file back as it was. Returns the error that write gives
// (ENOSPC, EFBIG, ...), the real cause of the failure, or 0 when it now
// succeeds.
int ProbeWriteFailure(std::FILE* file, long long size);

// The steps of putting a replacement file in place, per platform: its
// bytes on disk (true when they are), renamed over the old file (0, or the
// error), or removed when it will not be used. Each also ends the removal
// a signal would make.
bool PutOnDisk(std::FILE* file);

// Puts everything written to the file system that holds directory on disk,
// for a batch of files renamed into it. It waits for the disk once instead
// of once a file.
void PutFileSystemOnDisk(const std::string& directory);
int RenameOver(const std::string& from, const std::string& to);
void RemoveFile(const std::string& path);

// The new version of an output file, written beside it and renamed over it
// only once it is whole, so the old file is never lost: on failure, or
// when a signal ends the process, the new file is removed.
class ReplacementFile {
  public:
    ReplacementFile() = default;
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Creates ".NAME.quendix-XXXXXX" in the directory of the file path
    // names (a symbolic link followed to its file), with that file's
    // permissions, or the umask's when there is none yet. False, with errno
    // set, when it cannot.
    bool Create(const std::string& path);
    const std::string& Name() const { return name_; }
    std::FILE* Stream() const { return stream_; }
    // Puts the new file on disk (unless told not to), closes it and renames
    // it over the old one. False, with errno set, when any of it fails.
    bool PutInPlace(bool syncFirst);

  private:
    std::string target_;
    std::string name_;
    std::FILE* stream_ = nullptr;
};

// A temporary file the records are staged in before they go to standard
// output or a device; it never outlives the command, whatever ends it.
class StagingFile {
  public:
    StagingFile() = default;
    ~StagingFile() {
        if (stream_ != nullptr) {
            std::fclose(stream_);
        }
    }
    StagingFile(const StagingFile&) = delete;
    StagingFile& operator=(const StagingFile&) = delete;

    // Creates the file in the temporary directory. False, with the reason
    // in failure, when it cannot.
    bool Create(std::string& failure);
    // Its path, for messages.
    const std::string& Name() const { return name_; }
    // The file, open for reading and writing.
    std::FILE* Stream() const { return stream_; }

  private:
    std::string name_;
    std::FILE* stream_ = nullptr;
};

} // namespace quendix_cli

#endif
