// The command's entry point and file questions on Windows, where paths and
// arguments are UTF-16 and the wide API is the one that takes them all.
#include "cli/system.h"

#include "cli/arguments.h"
#include "cli/record_file.h"

#include <cerrno>
#include <cstdlib>
#include <cwchar>
#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <vector>
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        std::string argument;
        if (!quendix_cli::NarrowToUtf8(argv[i], argument)) {
            std::fprintf(stderr, "quendix: argument %d is not valid UTF-16\n", i);
            return 2;
        }
        arguments.push_back(argument);
    }
    return quendix_cli::Run(static_cast<int>(arguments.size()), arguments.data());
}

namespace quendix_cli {

namespace {

std::wstring Wide(const std::string& text) {
    std::wstring wide;
    WidenUtf8(text, wide);
    return wide;
}

FileFacts FactsOf(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION information;
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr ||
        !GetFileInformationByHandle(handle, &information)) {
        return FileFacts{};
    }
    FileFacts facts;
    facts.exists = true;
    facts.directory = (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    facts.regular = !facts.directory && GetFileType(handle) == FILE_TYPE_DISK;
    facts.place.volume = information.dwVolumeSerialNumber;
    facts.place.index = (static_cast<unsigned long long>(information.nFileIndexHigh) << 32) |
                        information.nFileIndexLow;
    facts.size =
        static_cast<long long>((static_cast<unsigned long long>(information.nFileSizeHigh) << 32) |
                               information.nFileSizeLow);
    return facts;
}

} // namespace

void PrepareProcess() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

FileFacts ExamineFile(const std::string& path) {
    // No access asked for: only the file's information is read. Backup
    // semantics let a directory be opened too, so it can be named as one.
    const HANDLE handle =
        CreateFileW(Wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return FileFacts{};
    }
    const FileFacts facts = FactsOf(handle);
    CloseHandle(handle);
    return facts;
}

FileFacts ExamineStandardStream(StandardStream stream) {
    return ExamineStream(stream == StandardStream::Input ? stdin : stdout);
}

bool StandardStreamClosed(StandardStream stream) {
    const HANDLE handle =
        GetStdHandle(stream == StandardStream::Input ? STD_INPUT_HANDLE : STD_OUTPUT_HANDLE);
    return handle == nullptr || handle == INVALID_HANDLE_VALUE;
}

FileFacts ExamineStream(std::FILE* file) {
    const int descriptor = _fileno(file);
    return descriptor < 0 ? FileFacts{}
                          : FactsOf(reinterpret_cast<HANDLE>(_get_osfhandle(descriptor)));
}

std::FILE* ShareStream(std::FILE* file, const char* mode) {
    const int descriptor = _dup(_fileno(file));
    std::FILE* shared = descriptor < 0 ? nullptr : _fdopen(descriptor, mode);
    if (shared == nullptr && descriptor >= 0) {
        _close(descriptor);
    }
    return shared;
}

long long StreamPosition(std::FILE* file) {
    return _lseeki64(_fileno(file), 0, SEEK_CUR);
}

bool CutStream(std::FILE* file, long long size) {
    return _chsize_s(_fileno(file), size) == 0;
}

bool StandardErrorIsTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}

int MakeDirectory(const std::string& path) {
    return _wmkdir(Wide(path).c_str()) == 0 ? 0 : errno;
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
    return _wfopen(Wide(path).c_str(), Wide(mode).c_str());
}

int ProbeWriteFailure(std::FILE* file, long long size) {
    const int descriptor = _dup(_fileno(file));
    if (descriptor < 0) {
        return errno;
    }
    // The write that failed had a whole record to put past size; part of
    // one may still fit, and only the write after it gives the error.
    const char probe[kRecordBytes] = {};
    int cause = 0;
    if (_lseeki64(descriptor, size, SEEK_SET) != size) {
        cause = errno;
    }
    for (unsigned done = 0; done < sizeof probe && cause == 0;) {
        const int wrote = _write(descriptor, probe + done, sizeof probe - done);
        if (wrote <= 0) {
            cause = wrote < 0 ? errno : EIO;
        } else {
            done += static_cast<unsigned>(wrote);
        }
    }
    if (_chsize_s(descriptor, size) != 0 && cause == 0) {
        cause = errno;
    }
    _close(descriptor);
    return cause;
}

ReplacementFile::~ReplacementFile() {
    if (stream_ != nullptr) {
        std::fclose(stream_);
        _wremove(Wide(name_).c_str());
    }
}

bool ReplacementFile::Create(const std::string& path) {
    // The name the file has; a link is not followed, as Windows replaces
    // the file a rename names.
    target_ = path;
    const std::size_t slash = path.find_last_of("/\\");
    const std::string directory = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        name_ = directory + "." + base + ".quendix-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(attempt);
        const int descriptor = _wopen(Wide(name_).c_str(), _O_CREAT | _O_EXCL | _O_RDWR | _O_BINARY,
                                      _S_IREAD | _S_IWRITE);
        if (descriptor >= 0) {
            stream_ = _fdopen(descriptor, "w+b");
            return stream_ != nullptr;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    return false;
}

bool PutOnDisk(std::FILE* file) {
    (void)file; // the flush is all; the rename itself is written through
    return true;
}

void PutFileSystemOnDisk(const std::string& directory) {
    (void)directory; // each file was written through when it was renamed
}

int RenameOver(const std::string& from, const std::string& to) {
    if (MoveFileExW(Wide(from).c_str(), Wide(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return 0;
    }
    return GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
}

void RemoveFile(const std::string& path) {
    _wremove(Wide(path).c_str());
}

bool StagingFile::Create(std::string& failure) {
    wchar_t directory[MAX_PATH + 1];
    wchar_t name[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, directory);
    if (length == 0 || length > MAX_PATH || GetTempFileNameW(directory, L"qdx", 0, name) == 0) {
        failure = "cannot create temporary file (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    NarrowToUtf8(name, name_);
    // 'D': removed when closed, however the command ends.
    stream_ = _wfopen(name, L"w+bD");
    if (stream_ == nullptr) {
        failure = name_ + ": cannot open temporary file";
        _wremove(name);
        return false;
    }
    return true;
}

} // namespace quendix_cli
