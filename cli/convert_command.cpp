// The library reports only a count, so the command checks what it cannot:
// that the input can be read, that the output may be replaced and is not
// the input, and that every record reached the file; and when a write
// fails, it finds out why. The input is opened once, and the records go
// into a new file that replaces the old one only when they are whole.
#include "cli/convert_command.h"

#include "cli/arguments.h"
#include "cli/explain.h"
#include "cli/record_file.h"
#include "cli/stream_copy.h"
#include "cli/system.h"
#include "quendix.h"

#include <cerrno>
#include <cstring>

namespace quendix_cli {

namespace {

constexpr int kExitFailure = 1;

int Fail(const std::string& path, const std::string& what) {
    std::fprintf(stderr, "quendix: %s: %s\n", EscapeName(path).c_str(), what.c_str());
    return kExitFailure;
}

int Fail(const std::string& path, const char* what, int error) {
    return Fail(path, std::string(what) + ": " + std::strerror(error));
}

// The feed, open once: the checks and the conversion read the same file,
// so a pipe or a FIFO is never opened a second time.
struct FeedInput {
    StagingFile staging; // standard input the system cannot describe, copied
    std::FILE* file = nullptr;
    bool standard = false;
    FileFacts facts;
    std::string name;

    FeedInput() = default;
    FeedInput(const FeedInput&) = delete;
    FeedInput& operator=(const FeedInput&) = delete;
    ~FeedInput() {
        if (file != nullptr && !standard) {
            std::fclose(file);
        }
    }
};

enum class OutputKind {
    File,           // a regular file or none yet: replaced by a new file
    StandardOutput, // '-', or the very file standard output goes to
    Device,         // anything else (a device, a pipe): filled through a copy
};

// Where the records go first: the new file that replaces a regular file;
// the output itself when its directory takes no new file; or a staging
// file for standard output and devices.
struct Destination {
    OutputKind kind = OutputKind::File;
    FileFacts facts;
    ReplacementFile replacement;
    StagingFile staging;
    std::FILE* direct = nullptr;
    std::FILE* stream = nullptr;

    Destination() = default;
    Destination(const Destination&) = delete;
    Destination& operator=(const Destination&) = delete;
    ~Destination() {
        if (direct != nullptr) {
            std::fclose(direct);
        }
    }
};

// Standard input that the system cannot describe (as Wine's for a file
// it was handed) is copied whole into a staging file, which the
// conversion can read like any file.
int StageStandardInput(FeedInput& input) {
    std::string failure;
    if (!input.staging.Create(failure)) {
        return Fail(input.name, "cannot stage standard input: " + failure);
    }
    bool readFailed = false;
    errno = 0;
    const int error = CopyStream(stdin, input.staging.Stream(), readFailed);
    if (error != 0) {
        return readFailed ? Fail(input.name, "cannot read input", error)
                          : Fail(input.staging.Name(), "cannot stage standard input", error);
    }
    std::rewind(input.staging.Stream());
    input.file = input.staging.Stream();
    input.facts = ExamineStream(input.file);
    return 0;
}

int OpenFeed(const ConvertRequest& request, FeedInput& input) {
    input.standard = request.input == "-";
    input.name = input.standard ? "standard input" : request.input;
    if (input.standard && StandardStreamClosed(StandardStream::Input)) {
        return Fail(input.name, "cannot read input", EBADF);
    }
    input.file = input.standard ? stdin : OpenFile(request.input, "rb");
    if (input.file == nullptr) {
        return Fail(request.input, "cannot open input", errno);
    }
    input.facts = ExamineStream(input.file);
    if (input.standard && !input.facts.exists) {
        return StageStandardInput(input);
    }
    return input.facts.directory ? Fail(request.input, "cannot read input", EISDIR) : 0;
}

// Why an existing file is not a record file; empty when it is.
std::string NotRecordFile(const std::string& path, const FileFacts& facts) {
    std::FILE* file = OpenFile(path, "rb");
    if (file == nullptr) {
        return std::string("it cannot be read: ") + std::strerror(errno);
    }
    const std::string reason =
        NotRecordFileReason(file, static_cast<unsigned long long>(facts.size));
    std::fclose(file);
    return reason;
}

int CheckOutput(const ConvertRequest& request, const FeedInput& input, Destination& output) {
    const bool toStandard = request.output == "-";
    if (toStandard && StandardStreamClosed(StandardStream::Output)) {
        return Fail("standard output", "cannot write output", EBADF);
    }
    const FileFacts standardOutput = ExamineStandardStream(StandardStream::Output);
    output.facts = toStandard ? standardOutput : ExamineFile(request.output);
    if (toStandard || IsSameDescribedFile(output.facts, standardOutput)) {
        output.kind = OutputKind::StandardOutput;
    } else if (output.facts.exists && !output.facts.regular) {
        output.kind = OutputKind::Device;
    }
    if (input.facts.regular && IsSameDescribedFile(input.facts, output.facts)) {
        return Fail(request.output,
                    "not written: it is the same file as the input, " + EscapeName(request.input));
    }
    if (output.kind != OutputKind::File || !output.facts.exists || request.force) {
        return 0;
    }
    const std::string reason = NotRecordFile(request.output, output.facts);
    if (!reason.empty()) {
        return Fail(request.output, "not replaced: it is not a record file (" + reason +
                                        "); use --force to replace it");
    }
    return 0;
}

int OpenDestination(const ConvertRequest& request, Destination& output) {
    std::string failure;
    if (output.kind != OutputKind::File) {
        output.stream = output.staging.Create(failure) ? output.staging.Stream() : nullptr;
        return output.stream != nullptr
                   ? 0
                   : Fail(request.output, "cannot stage the records: " + failure);
    }
    if (output.replacement.Create(request.output)) {
        output.stream = output.replacement.Stream();
        return 0;
    }
    const int error = errno;
    // A directory that takes no new file may still hold a file that can be
    // written: it is written in place, as nothing else can be done.
    if (output.facts.exists && (error == EACCES || error == EPERM || error == EROFS)) {
        output.direct = OpenFile(request.output, "r+b");
        output.stream = output.direct;
    }
    return output.stream != nullptr ? 0 : Fail(request.output, "cannot create output", error);
}

// The finished records go from the staging file to standard output or to
// a device, every write checked.
int DeliverStaged(const ConvertRequest& request, Destination& output) {
    const bool toStandard = output.kind == OutputKind::StandardOutput;
    const std::string name = request.output == "-" ? "standard output" : request.output;
    std::FILE* target = toStandard ? stdout : OpenFile(request.output, "wb");
    if (target == nullptr) {
        return Fail(name, "cannot create output", errno);
    }
    bool readFailed = false;
    errno = 0;
    std::rewind(output.stream);
    const long long start = StreamPosition(target);
    int error = CopyStream(output.stream, target, readFailed);
    if (error != 0 && !readFailed) {
        KeepWholeRecords(target, start);
    }
    if (!toStandard && std::fclose(target) != 0 && error == 0) {
        error = errno != 0 ? errno : EIO;
    }
    if (error != 0) {
        return readFailed ? Fail(output.staging.Name(), "cannot read staged records", error)
                          : Fail(name, "write failed", error);
    }
    return 0;
}

// The file the library wrote must hold every record it counted, and no
// record may have been refused. When it falls short, the cause is found by
// writing there again.
int CheckRecordsLanded(std::FILE* written, const std::string& name, int records,
                       const ConversionWatch& watch) {
    const long long size = ExamineStream(written).size;
    if (size == records * static_cast<long long>(kRecordBytes) && !watch.WriteRefused()) {
        return 0;
    }
    const int cause = ProbeWriteFailure(written, size);
    const std::string landed = "; the file holds " +
                               std::to_string(size / static_cast<long long>(kRecordBytes)) +
                               " complete records";
    return Fail(name, std::string("write failed: ") +
                          (cause != 0 ? std::strerror(cause) : "the file ended short") + landed);
}

// Puts the records where the user asked for them.
int Deliver(const ConvertRequest& request, Destination& output) {
    if (output.kind != OutputKind::File) {
        return DeliverStaged(request, output);
    }
    if (output.direct != nullptr) {
        const bool closed = std::fclose(output.direct) == 0;
        output.direct = nullptr;
        return closed ? 0 : Fail(request.output, "write failed", errno);
    }
    return output.replacement.PutInPlace(request.syncBeforeReplacing)
               ? 0
               : Fail(request.output, "cannot replace output", errno);
}

int Convert(const ConvertRequest& request, FeedInput& input, Destination& output, int& records) {
    std::FILE* libraryInput = ShareStream(input.file, "rb");
    std::FILE* libraryOutput = ShareStream(output.stream, "wb");
    if (libraryInput == nullptr || libraryOutput == nullptr) {
        const int error = errno;
        for (std::FILE* file : {libraryInput, libraryOutput}) {
            if (file != nullptr) {
                std::fclose(file);
            }
        }
        return Fail(input.name, "cannot convert", error);
    }
    ConversionWatch watch(request.explain);
    quendix::ConversionOptions options;
    options.encodingChosen = request.encodingChosen;
    options.encoding = request.encoding;
    records = quendix::ConvertStreamsWith(libraryInput, libraryOutput, options, &watch);
    if (request.explain) {
        std::fprintf(stderr, "%s\n", watch.Total(records).c_str());
    }
    if (!watch.Converted()) {
        return Fail(input.name, "not converted: the files could not be taken as input and output");
    }
    if (watch.ReadError() != 0) {
        std::fprintf(stderr, "quendix: cannot read %s: %s\n", EscapeName(input.name).c_str(),
                     std::strerror(watch.ReadError()));
        return kExitFailure;
    }
    const std::string name =
        output.kind != OutputKind::File
            ? output.staging.Name() + " (records staged for " + EscapeName(request.output) + ")"
            : request.output;
    if (CheckRecordsLanded(output.stream, name, records, watch) != 0 ||
        Deliver(request, output) != 0) {
        return kExitFailure;
    }
    NoteEmptyResult(input.name, records, watch, request.explain);
    return 0;
}

int ConvertOne(const ConvertRequest& request, Destination& output, int& records) {
    FeedInput input;
    records = 0;
    if (OpenFeed(request, input) != 0 || CheckOutput(request, input, output) != 0 ||
        OpenDestination(request, output) != 0 || Convert(request, input, output, records) != 0) {
        return kExitFailure;
    }
    return 0;
}

} // namespace

// One feed among many: the batch form prints one summary for all its feeds,
// so the count is handed back instead of printed.
int RunConvert(const ConvertRequest& request, int& records) {
    Destination output;
    return ConvertOne(request, output, records);
}

int RunConvert(const ConvertRequest& request) {
    Destination output;
    int records = 0;
    if (ConvertOne(request, output, records) != 0) {
        return kExitFailure;
    }
    std::FILE* countStream = output.kind == OutputKind::StandardOutput ? stderr : stdout;
    std::fprintf(countStream, "%d\n", records);
    if (std::fflush(countStream) != 0 || std::ferror(countStream) != 0) {
        return Fail(countStream == stdout ? "standard output" : "standard error", "write failed",
                    errno);
    }
    return 0;
}

} // namespace quendix_cli
