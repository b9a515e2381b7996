// The library reports only a count, so the command checks what it cannot:
// that the input can be read, that the output may be replaced and is not
// the input, and that every record reached the file; and when a write
// fails, it finds out why.
#include "cli/convert_command.h"

#include "cli/arguments.h"
#include "cli/explain.h"
#include "cli/system.h"
#include "quendix.h"

#include <cerrno>
#include <cstring>

namespace quendix_cli {

namespace {

constexpr int kExitFailure = 1;
constexpr long long kRecordBytes = QUENDIX_RECORD_BYTES;

int Fail(const std::string& path, const std::string& what) {
    std::fprintf(stderr, "quendix: %s: %s\n", path.c_str(), what.c_str());
    return kExitFailure;
}

int Fail(const std::string& path, const char* what, int error) {
    return Fail(path, std::string(what) + ": " + std::strerror(error));
}

enum class OutputKind {
    File,           // a regular file or none yet: the library writes it
    StandardOutput, // '-', or the very file standard output goes to
    Device,         // anything else (a device, a pipe): filled through a copy
};

struct Plan {
    bool inputIsStandard = false;
    FileFacts input;
    OutputKind outputKind = OutputKind::File;
    FileFacts output;
};

bool IsAsciiSpace(unsigned char byte) {
    return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\r' || byte == '\f';
}

// A feed opens with a byte-order mark, or with '<' after white space at
// most. A record file can open with '<' too, but in UTF-16LE: a NUL follows
// it, which no byte-encoded feed has there.
bool BeginsLikeFeed(const unsigned char* head, std::size_t size) {
    if ((size >= 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF) ||
        (size >= 2 &&
         ((head[0] == 0xFF && head[1] == 0xFE) || (head[0] == 0xFE && head[1] == 0xFF)))) {
        return true;
    }
    std::size_t at = 0;
    while (at < size && IsAsciiSpace(head[at])) {
        ++at;
    }
    return at < size && head[at] == '<' && (at + 1 == size || head[at + 1] != 0);
}

// Why an existing file does not look like a record file; empty when it does.
std::string NotRecordFileReason(const std::string& path, const FileFacts& facts) {
    if (facts.size % kRecordBytes != 0) {
        return "its size, " + std::to_string(facts.size) + " bytes, is not a multiple of " +
               std::to_string(kRecordBytes);
    }
    unsigned char head[256];
    std::FILE* file = OpenFile(path, "rb");
    const std::size_t got = file != nullptr ? std::fread(head, 1, sizeof head, file) : 0;
    if (file != nullptr) {
        std::fclose(file);
    }
    return BeginsLikeFeed(head, got) ? "it begins like a feed" : "";
}

int CheckInput(const ConvertRequest& request, Plan& plan) {
    plan.inputIsStandard = request.input == "-";
    if (plan.inputIsStandard) {
        plan.input = ExamineStandardStream(StandardStream::Input);
        return 0;
    }
    plan.input = ExamineFile(request.input);
    if (plan.input.directory) {
        return Fail(request.input, "cannot read input", EISDIR);
    }
    std::FILE* file = OpenFile(request.input, "rb");
    if (file == nullptr) {
        return Fail(request.input, "cannot open input", errno);
    }
    std::fclose(file);
    return 0;
}

int CheckOutput(const ConvertRequest& request, Plan& plan) {
    const FileFacts standardOutput = ExamineStandardStream(StandardStream::Output);
    plan.output = request.output == "-" ? standardOutput : ExamineFile(request.output);
    if (request.output == "-" || IsSameFile(plan.output, standardOutput)) {
        plan.outputKind = OutputKind::StandardOutput;
    } else if (plan.output.exists && !plan.output.regular) {
        plan.outputKind = OutputKind::Device;
    }
    if (plan.input.regular && IsSameFile(plan.input, plan.output)) {
        return Fail(request.output,
                    "not written: it is the same file as the input, " + request.input);
    }
    if (plan.outputKind != OutputKind::File || !plan.output.exists || request.force) {
        return 0;
    }
    const std::string reason = NotRecordFileReason(request.output, plan.output);
    if (!reason.empty()) {
        return Fail(request.output, "not replaced: it is not a record file (" + reason +
                                        "); use --force to replace it");
    }
    return 0;
}

// Copies from one stream to the other to its end, keeping the error that
// stopped it. Returns 0, or the error with readFailed telling which side.
int CopyStream(std::FILE* from, std::FILE* to, bool& readFailed) {
    char chunk[65536];
    readFailed = false;
    for (;;) {
        const std::size_t got = std::fread(chunk, 1, sizeof chunk, from);
        if (got > 0 && std::fwrite(chunk, 1, got, to) != got) {
            return errno != 0 ? errno : EIO;
        }
        if (got < sizeof chunk) {
            break;
        }
    }
    if (std::ferror(from)) {
        readFailed = true;
        return errno != 0 ? errno : EIO;
    }
    return std::fflush(to) == 0 ? 0 : (errno != 0 ? errno : EIO);
}

// Standard input is copied whole into a staging file first: the library
// opens its input by path, and a pipe, a socket or a terminal has none that
// reopens it from where it stands.
int StageStandardInput(StagingFile& staging) {
    std::string failure;
    if (!staging.Create(failure)) {
        return Fail("-", "cannot stage standard input: " + failure);
    }
    bool readFailed = false;
    errno = 0;
    const int error = CopyStream(stdin, staging.Stream(), readFailed);
    if (error != 0) {
        return readFailed ? Fail("-", "cannot read standard input", error)
                          : Fail(staging.Name(), "cannot stage standard input", error);
    }
    return 0;
}

// The finished records go from the staging file to standard output or to
// a device, every write checked.
int DeliverStaged(const ConvertRequest& request, OutputKind kind, StagingFile& staging) {
    const bool toStandard = kind == OutputKind::StandardOutput;
    const std::string name = request.output == "-" ? "standard output" : request.output;
    std::FILE* target = toStandard ? stdout : OpenFile(request.output, "wb");
    if (target == nullptr) {
        return Fail(name, "cannot create output", errno);
    }
    bool readFailed = false;
    errno = 0;
    std::rewind(staging.Stream());
    int error = CopyStream(staging.Stream(), target, readFailed);
    if (!toStandard && std::fclose(target) != 0 && error == 0) {
        error = errno != 0 ? errno : EIO;
    }
    if (error != 0) {
        return readFailed ? Fail(staging.Name(), "cannot read staged records", error)
                          : Fail(name, "write failed", error);
    }
    return 0;
}

// The file the library wrote must hold every record it counted, and no
// record may have been refused. When it falls short, the cause is found by
// writing there again.
int CheckRecordsLanded(const std::string& path, const std::string& name, int records,
                       const ConversionWatch& watch) {
    const FileFacts written = ExamineFile(path);
    if (!written.exists) {
        return Fail(name, "cannot create output", ENOENT);
    }
    if (written.size == records * kRecordBytes && !watch.WriteRefused()) {
        return 0;
    }
    const int cause = ProbeWriteFailure(path, written.size);
    const std::string landed =
        "; the file holds " + std::to_string(written.size / kRecordBytes) + " complete records";
    return Fail(name, std::string("write failed: ") +
                          (cause != 0 ? std::strerror(cause) : "the file ended short") + landed);
}

int Widen(const std::string& path, std::wstring& wide) {
    return WidenUtf8(path, wide) ? 0 : Fail(path, "path is not valid UTF-8");
}

void NoteNothingKept(const ConvertRequest& request, int records, const ConversionWatch& watch) {
    if (records == 0 && watch.ItemsReached() > 0 && !request.explain) {
        std::fprintf(stderr,
                     "quendix: %s: no records written from %lld items; --explain tells what "
                     "became of each\n",
                     request.input.c_str(), watch.ItemsReached());
    }
}

} // namespace

// Prints the count of records, or hands it back through countOut.
static int Convert(const ConvertRequest& request, int* countOut) {
    Plan plan;
    if (CheckInput(request, plan) != 0 || CheckOutput(request, plan) != 0) {
        return kExitFailure;
    }
    std::wstring inputPath;
    std::wstring outputPath;
    StagingFile stagedInput;
    StagingFile stagedOutput;
    if (plan.inputIsStandard) {
        if (StageStandardInput(stagedInput) != 0) {
            return kExitFailure;
        }
        inputPath = stagedInput.LibraryPath();
    } else if (Widen(request.input, inputPath) != 0) {
        return kExitFailure;
    }
    const bool staged = plan.outputKind != OutputKind::File;
    std::string failure;
    if (staged && !stagedOutput.Create(failure)) {
        return Fail(request.output, "cannot stage the records: " + failure);
    }
    if (staged) {
        outputPath = stagedOutput.LibraryPath();
    } else if (Widen(request.output, outputPath) != 0) {
        return kExitFailure;
    } else if (std::FILE* created = OpenFile(request.output, "ab")) {
        // Opening for append creates a missing output and leaves an
        // existing one as it is, so a failure here costs the user nothing.
        std::fclose(created);
    } else {
        return Fail(request.output, "cannot create output", errno);
    }

    ConversionWatch watch(request.explain);
    quendix::ConversionOptions options;
    options.encodingChosen = request.encodingChosen;
    options.encoding = request.encoding;
    const int records =
        quendix::ConvertFileWith(inputPath.c_str(), outputPath.c_str(), options, &watch);
    if (request.explain) {
        std::fprintf(stderr, "%s\n", watch.Total(records).c_str());
    }
    const std::string writtenName =
        staged ? stagedOutput.Name() + " (records staged for " + request.output + ")"
               : request.output;
    if (CheckRecordsLanded(staged ? stagedOutput.Name() : request.output, writtenName, records,
                           watch) != 0 ||
        (staged && DeliverStaged(request, plan.outputKind, stagedOutput) != 0)) {
        return kExitFailure;
    }
    NoteNothingKept(request, records, watch);
    if (countOut != nullptr) {
        *countOut = records;
        return 0;
    }
    std::FILE* countStream = plan.outputKind == OutputKind::StandardOutput ? stderr : stdout;
    std::fprintf(countStream, "%d\n", records);
    if (std::fflush(countStream) != 0) {
        return Fail("standard output", "write failed", errno);
    }
    return 0;
}

int RunConvert(const ConvertRequest& request) {
    return Convert(request, nullptr);
}

int RunConvert(const ConvertRequest& request, int& records) {
    return Convert(request, &records);
}

} // namespace quendix_cli
