// The command's entry point and file questions on POSIX systems.
#include "cli/system.h"

#include "cli/arguments.h"
#include "quendix.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv) {
    // Arguments stay as the bytes given: a path need not be UTF-8 to be
    // opened, only to be handed to the library.
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
    facts.volume = static_cast<unsigned long long>(status.st_dev);
    facts.index = static_cast<unsigned long long>(status.st_ino);
    facts.size = static_cast<long long>(status.st_size);
    return facts;
}

} // namespace

void PrepareProcess() {
    std::signal(SIGXFSZ, SIG_IGN);
}

FileFacts ExamineFile(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 ? FactsOf(status) : FileFacts{};
}

FileFacts ExamineStandardStream(StandardStream stream) {
    struct stat status;
    const int descriptor = stream == StandardStream::Input ? 0 : 1;
    return fstat(descriptor, &status) == 0 ? FactsOf(status) : FileFacts{};
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

int ProbeWriteFailure(const std::string& path, long long size) {
    const int descriptor = open(path.c_str(), O_WRONLY);
    if (descriptor < 0) {
        return errno;
    }
    // The write that failed had a whole record to put past size; part of
    // one may still fit, and only the write after it gives the error.
    const char probe[QUENDIX_RECORD_BYTES] = {};
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
    close(descriptor);
    return cause;
}

StagingFile::~StagingFile() {
    if (stream_ != nullptr) {
        std::fclose(stream_);
        unlink(name_.c_str());
    }
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
    stream_ = fdopen(descriptor, "w+b");
    if (stream_ == nullptr) {
        failure = name_ + ": cannot open temporary file: " + std::strerror(errno);
        close(descriptor);
        unlink(name_.c_str());
        return false;
    }
    if (WidenUtf8(name_, libraryPath_)) {
        return true;
    }
    // TMPDIR holds bytes that are not UTF-8, so the library cannot be given
    // the name; the open descriptor still reaches the same file.
    const std::string alias = "/proc/self/fd/" + std::to_string(descriptor);
    if (access(alias.c_str(), R_OK | W_OK) == 0 && WidenUtf8(alias, libraryPath_)) {
        return true;
    }
    failure = name_ + ": the temporary directory's path (TMPDIR) is not valid UTF-8";
    return false;
}

} // namespace quendix_cli
