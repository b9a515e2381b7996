// The command's entry point and file questions on POSIX systems.
#include "cli/system.h"

#include "cli/arguments.h"
#include "cli/record_file.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv) {
    // Arguments stay as the bytes given: the command opens every file
    // itself, so a path need not be UTF-8.
    std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    return quendix_cli::Run(static_cast<int>(arguments.size()), arguments.data());
}

namespace quendix_cli {

namespace {

FileFacts FactsOf(const struct stat& status) {
    FileFacts facts;
    facts.exists = true;
    facts.regular = S_ISREG(status.st_mode);
    facts.directory = S_ISDIR(status.st_mode);
    facts.place.volume = static_cast<unsigned long long>(status.st_dev);
    facts.place.index = static_cast<unsigned long long>(status.st_ino);
    facts.size = static_cast<long long>(status.st_size);
    return facts;
}

bool closedStreams[2] = {};

// The new file being written, removed by the signal handler: a fixed array,
// as a handler may not allocate.
char pendingRemoval[4096];
volatile std::sig_atomic_t removalPending = 0;

void RemovePendingAndDie(int signal) {
    if (removalPending != 0) {
        unlink(pendingRemoval);
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void SetPendingRemoval(const std::string& path) {
    removalPending = 0;
    if (path.size() < sizeof pendingRemoval) {
        std::memcpy(pendingRemoval, path.c_str(), path.size() + 1);
        removalPending = 1;
    }
}

// A closed descriptor gets /dev/null opened the wrong way round, so every
// use of the stream fails (EBADF) while no file the command opens can take
// its number.
void StandInForClosed(int descriptor, int flags) {
    if (fcntl(descriptor, F_GETFD) < 0 && errno == EBADF) {
        if (descriptor < 2) {
            closedStreams[descriptor] = true;
        }
        const int opened = open("/dev/null", flags);
        if (opened >= 0 && opened != descriptor) {
            dup2(opened, descriptor);
            close(opened);
        }
    }
}

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a symbolic link leads to, so that file is replaced and the link
// kept; a path that is no link is itself.
std::string FollowLinks(const std::string& path) {
    std::string target = path;
    for (int hops = 0; hops < 40; ++hops) {
        char buffer[4096];
        const ssize_t length = readlink(target.c_str(), buffer, sizeof buffer);
        if (length <= 0 || static_cast<std::size_t>(length) >= sizeof buffer) {
            break;
        }
        const std::string link(buffer, static_cast<std::size_t>(length));
        target = link[0] == '/' ? link : DirectoryOf(target) + "/" + link;
    }
    return target;
}

mode_t PermissionsFor(const std::string& path) {
    struct stat status;
    if (stat(path.c_str(), &status) == 0) {
        return status.st_mode & 07777;
    }
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

} // namespace

void PrepareProcess() {
    StandInForClosed(0, O_WRONLY);
    StandInForClosed(1, O_RDONLY);
    StandInForClosed(2, O_RDONLY);
    std::signal(SIGXFSZ, SIG_IGN);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        std::signal(signal, RemovePendingAndDie);
    }
}

FileFacts ExamineFile(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 ? FactsOf(status) : FileFacts{};
}

FileFacts ExamineStandardStream(StandardStream stream) {
    return ExamineStream(stream == StandardStream::Input ? stdin : stdout);
}

bool StandardStreamClosed(StandardStream stream) {
    return closedStreams[stream == StandardStream::Input ? 0 : 1];
}

FileFacts ExamineStream(std::FILE* file) {
    struct stat status;
    return fstat(fileno(file), &status) == 0 ? FactsOf(status) : FileFacts{};
}

std::FILE* ShareStream(std::FILE* file, const char* mode) {
    const int descriptor = dup(fileno(file));
    std::FILE* shared = descriptor < 0 ? nullptr : fdopen(descriptor, mode);
    if (shared == nullptr && descriptor >= 0) {
        close(descriptor);
    }
    return shared;
}

long long StreamPosition(std::FILE* file) {
    return static_cast<long long>(lseek(fileno(file), 0, SEEK_CUR));
}

bool CutStream(std::FILE* file, long long size) {
    return ftruncate(fileno(file), static_cast<off_t>(size)) == 0;
}

bool StandardErrorIsTerminal() {
    return isatty(2) == 1;
}

int MakeDirectory(const std::string& path) {
    return mkdir(path.c_str(), 0777) == 0 ? 0 : errno;
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
}

int ProbeWriteFailure(std::FILE* file, long long size) {
    const int descriptor = fileno(file);
    // The write that failed had a whole record to put past size; part of
    // one may still fit, and only the write after it gives the error.
    const char probe[kRecordBytes] = {};
    int cause = 0;
    for (std::size_t done = 0; done < sizeof probe && cause == 0;) {
        const ssize_t wrote = pwrite(descriptor, probe + done, sizeof probe - done,
                                     static_cast<off_t>(size) + static_cast<off_t>(done));
        if (wrote <= 0) {
            cause = wrote < 0 ? errno : EIO;
        } else {
            done += static_cast<std::size_t>(wrote);
        }
    }
    if (ftruncate(descriptor, static_cast<off_t>(size)) != 0 && cause == 0) {
        cause = errno;
    }
    return cause;
}

ReplacementFile::~ReplacementFile() {
    if (stream_ != nullptr) {
        std::fclose(stream_);
        unlink(name_.c_str());
        removalPending = 0;
    }
}

bool ReplacementFile::Create(const std::string& path) {
    target_ = FollowLinks(path);
    name_ = DirectoryOf(target_) + "/." + BaseOf(target_) + ".quendix-XXXXXX";
    const mode_t permissions = PermissionsFor(target_);
    const int descriptor = mkstemp(&name_[0]);
    if (descriptor < 0) {
        return false;
    }
    SetPendingRemoval(name_);
    stream_ = fchmod(descriptor, permissions) == 0 ? fdopen(descriptor, "w+b") : nullptr;
    if (stream_ == nullptr) {
        const int error = errno;
        close(descriptor);
        unlink(name_.c_str());
        removalPending = 0;
        errno = error;
        return false;
    }
    return true;
}

bool PutOnDisk(std::FILE* file) {
    return fsync(fileno(file)) == 0;
}

void PutFileSystemOnDisk(const std::string& directory) {
#if defined(__linux__)
    const int folder = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        syncfs(folder);
        close(folder);
        return;
    }
#else
    (void)directory;
#endif
    sync();
}

int RenameOver(const std::string& from, const std::string& to) {
    const int error = rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
    if (error == 0) {
        removalPending = 0;
    }
    return error;
}

void RemoveFile(const std::string& path) {
    unlink(path.c_str());
    removalPending = 0;
}

bool StagingFile::Create(std::string& failure) {
    const char* directory = std::getenv("TMPDIR");
    name_ = std::string(directory != nullptr && *directory != 0 ? directory : "/tmp") +
            "/quendix-XXXXXX";
    const int descriptor = mkstemp(&name_[0]);
    if (descriptor < 0) {
        failure = name_ + ": cannot create temporary file: " + std::strerror(errno);
        return false;
    }
    // Removed at once: the open descriptor keeps the file, and nothing is
    // left behind however the command ends.
    unlink(name_.c_str());
    stream_ = fdopen(descriptor, "w+b");
    if (stream_ == nullptr) {
        failure = name_ + ": cannot open temporary file: " + std::strerror(errno);
        close(descriptor);
        return false;
    }
    return true;
}

} // namespace quendix_cli
