// quendix: the command-line face of the library.
//   quendix convert INPUT OUTPUT   convert a saved feed into a record file
//   quendix show [--json] FILE     print a record file
// The library reports only a count, so the command checks what it cannot:
// that the input can be read, that the output can be written, and that
// every record reached the file.
#include "cli/arguments.h"
#include "cli/show.h"
#include "quendix.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#ifndef QUENDIX_VERSION
#define QUENDIX_VERSION "unknown"
#endif

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr long long kRecordBytes = 1300;

const char kUsage[] =
    "Usage: quendix convert INPUT OUTPUT\n"
    "       quendix show [--json] FILE\n"
    "       quendix --help | --version\n"
    "\n"
    "convert  Reads the RSS 2.0 feed INPUT ('-' for standard input) and writes one\n"
    "         650-character record per news item to OUTPUT, as UTF-16LE. Prints the\n"
    "         number of records written.\n"
    "show     Prints the records of FILE, one block per record with its title,\n"
    "         date, summary and link; with --json, one JSON object per line.\n"
    "\n"
    "Exit status: 0 on success, 1 when a file cannot be read or written, 2 on bad usage.\n";

int Fail(const std::string& path, const char* what, int error) {
    std::fprintf(stderr, "quendix: %s: %s: %s\n", path.c_str(), what, std::strerror(error));
    return kExitFailure;
}

int UsageError(const char* message) {
    std::fprintf(stderr, "quendix: %s\n\n%s", message, kUsage);
    return kExitUsage;
}

// The input must open for reading and must not be a directory.
int CheckInput(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return Fail(path, "cannot open input", errno);
    }
    struct stat status;
    const bool isDirectory = fstat(fileno(file), &status) == 0 && S_ISDIR(status.st_mode);
    std::fclose(file);
    return isDirectory ? Fail(path, "cannot read input", EISDIR) : 0;
}

bool IsRegularOrMissing(const std::string& path) {
    struct stat status;
    if (stat(path.c_str(), &status) != 0) {
        return true;
    }
    return S_ISREG(status.st_mode);
}

// Opening for append creates a missing output and leaves an existing one
// as it is, so a failure here costs the user nothing.
int CheckOutput(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (file == nullptr) {
        return Fail(path, "cannot create output", errno);
    }
    std::fclose(file);
    return 0;
}

// Copies the finished record file to a destination that is not a regular
// file (a device, a pipe, standard output), checking every write.
int CopyToDestination(const std::string& from, const std::string& to) {
    std::FILE* source = std::fopen(from.c_str(), "rb");
    std::FILE* target = to == "-" ? stdout : std::fopen(to.c_str(), "wb");
    if (source == nullptr || target == nullptr) {
        const int error = errno;
        if (source != nullptr) {
            std::fclose(source);
        }
        return Fail(to, "cannot create output", error);
    }
    char chunk[65536];
    std::size_t got = 0;
    bool written = true;
    while (written && (got = std::fread(chunk, 1, sizeof chunk, source)) > 0) {
        written = std::fwrite(chunk, 1, got, target) == got;
    }
    written = written && std::fflush(target) == 0;
    const int error = errno;
    std::fclose(source);
    if (target != stdout) {
        written = std::fclose(target) == 0 && written;
    }
    return written ? 0 : Fail(to, "write failed", error);
}

int RunConversion(const std::wstring& input, const std::string& outputName,
                  const std::wstring& output) {
    const int records = ConvertFile(input.c_str(), output.c_str());
    struct stat status;
    if (stat(outputName.c_str(), &status) != 0) {
        Fail(outputName, "cannot create output", errno);
        return -1;
    }
    if (static_cast<long long>(status.st_size) != records * kRecordBytes) {
        Fail(outputName, "write failed", EIO);
        return -1;
    }
    return records;
}

bool Widen(const std::string& path, std::wstring& wide) {
    if (quendix_cli::WidenUtf8(path, wide)) {
        return true;
    }
    std::fprintf(stderr, "quendix: %s: path is not valid UTF-8\n", path.c_str());
    return false;
}

int Convert(const std::string& inputName, const std::string& outputName) {
    const std::string inputPath = inputName == "-" ? "/dev/stdin" : inputName;
    std::wstring input;
    if (!Widen(inputPath, input) || CheckInput(inputPath) != 0) {
        return kExitFailure;
    }
    if (outputName != "-" && IsRegularOrMissing(outputName)) {
        std::wstring output;
        if (!Widen(outputName, output) || CheckOutput(outputName) != 0) {
            return kExitFailure;
        }
        const int records = RunConversion(input, outputName, output);
        if (records < 0) {
            return kExitFailure;
        }
        std::printf("%d\n", records);
        return 0;
    }
    // Not a plain file: convert into a temporary file, then copy it over.
    const char* directory = std::getenv("TMPDIR");
    std::string staging =
        std::string(directory && *directory ? directory : "/tmp") + "/quendix-XXXXXX";
    const int descriptor = mkstemp(&staging[0]);
    if (descriptor < 0) {
        return Fail(staging, "cannot create temporary file", errno);
    }
    close(descriptor);
    std::wstring staged;
    Widen(staging, staged);
    const int records = RunConversion(input, staging, staged);
    const int status = records < 0 ? kExitFailure : CopyToDestination(staging, outputName);
    std::remove(staging.c_str());
    if (status != 0) {
        return status;
    }
    std::fprintf(outputName == "-" ? stderr : stdout, "%d\n", records);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return UsageError("no command given");
    }
    const std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (command == "--version") {
        std::printf("quendix %s\n", QUENDIX_VERSION);
        return 0;
    }
    if (command == "convert") {
        if (argc != 4) {
            return UsageError("convert takes an input and an output");
        }
        return Convert(argv[2], argv[3]);
    }
    if (command == "show") {
        const bool asJson = argc == 4 && std::string(argv[2]) == "--json";
        if (argc != (asJson ? 4 : 3)) {
            return UsageError("show takes one record file, optionally after --json");
        }
        return quendix_cli::ShowRecords(argv[asJson ? 3 : 2], asJson);
    }
    return UsageError(("unknown command '" + command + "'").c_str());
}
