// ConvertFile: open both files, convert the feed window by window, close
// both, and return how many records reached the file.
#include "convert/conversion.h"
#include "convert/feed_storage.h"
#include "convert/feed_window.h"
#include "convert/item_watch.h"
#include "platform/file_identity.h"
#include "platform/wide_path.h"
#include "quendix.h"

#include <algorithm>
#include <mutex>

namespace quendix {

namespace {

constexpr unsigned long long kRecordBytes = QUENDIX_RECORD_BYTES;

// Opens the output without emptying it, and empties it only once it is
// known not to be the input: a feed given as its own output is left as it
// is. Both opens still come before the first read.
bool OpenOutputBesides(RecordOutput& output, std::FILE* outputFile, const DecodingInput& input) {
    if (!AdoptOutput(output, outputFile, OutputUnits)) {
        return false;
    }
    FileIdentity identity;
    const bool keep =
        !IdentifyFile(output.file, &identity) || IsSameRegularFile(input.identity, identity);
    // An empty file needs no cut, which spares a call to the system.
    if (keep || (identity.size != 0 && !CutFile(output.file, 0))) {
        CloseOutput(output);
        return false;
    }
    return true;
}

// A feed that could not be read whole gives no records: the file is
// emptied, so it never holds records that the result does not count.
int DiscardRecords(RecordOutput& output) {
    output.pending = 0;
    CutFile(output.file, 0);
    CloseOutput(output);
    return 0;
}

template <class Watch>
int ConvertOpenFiles(DecodingInput& input, RecordOutput& output, const ConversionOptions& options,
                     Watch& watch) {
    ChooseEncoding(input, options.encodingChosen ? &options.encoding : nullptr);
    if constexpr (Watch::kWatching) {
        watch.observer().FeedBegins(input.bytes, input.filled);
        watch.observer().EncodingChosen(input.encoding, input.encodingSource);
    }
    // A window never holds more than FeedText does, nor too little for the
    // window rule's "<item>" near its end.
    const std::size_t windowLimit =
        std::min(std::max(options.windowLimit, kSmallestWindow), kWindowLimit);
    const FeedOutcome outcome = ConvertFeed(input, output, windowLimit, watch);
    const int readError = input.readError;
    CloseInput(input);
    if constexpr (Watch::kWatching) {
        watch.observer().Finished(outcome.windows);
    }
    if (outcome.readFailed) {
        if constexpr (Watch::kWatching) {
            watch.observer().InputFailed(readError);
        }
        return DiscardRecords(output);
    }
    if (!outcome.refused) {
        FlushOutput(output);
    }
    if (output.failed) {
        if constexpr (Watch::kWatching) {
            watch.observer().OutputFailed();
        }
        // Only the records that reached the file whole count, and the file
        // is cut back to them: it never ends in part of a record.
        const unsigned long long whole = output.bytesWritten / kRecordBytes * kRecordBytes;
        CutFile(output.file, whole);
        CloseOutput(output);
        return static_cast<int>(whole / kRecordBytes);
    }
    // A failed close leaves nothing we can vouch for.
    return CloseOutput(output) ? outcome.records : 0;
}

template <class Watch>
int ConvertFromInput(DecodingInput& input, std::FILE* outputFile, const ConversionOptions& options,
                     Watch& watch) {
    RecordOutput output;
    if (!OpenOutputBesides(output, outputFile, input)) {
        CloseInput(input);
        return 0;
    }
    return ConvertOpenFiles(input, output, options, watch);
}

template <class Watch>
int ConvertStreamsAlone(std::FILE* inputFile, std::FILE* outputFile,
                        const ConversionOptions& options, Watch& watch) {
    DecodingInput input;
    if (!AdoptInput(input, inputFile, InputBytes)) {
        if (outputFile != nullptr) {
            std::fclose(outputFile);
        }
        return 0;
    }
    return ConvertFromInput(input, outputFile, options, watch);
}

template <class Watch>
int ConvertFileAlone(const wchar_t* inputPath, const wchar_t* outputPath,
                     const ConversionOptions& options, Watch& watch) {
    DecodingInput input;
    if (inputPath == nullptr || outputPath == nullptr || !OpenInput(input, inputPath, InputBytes)) {
        return 0;
    }
    // Opened only once the input is, so an input that cannot be opened
    // leaves the output untouched.
    return ConvertFromInput(input, OpenWidePath(outputPath, OpenMode::Write), options, watch);
}

template <class Convert> int ConvertWatched(ConversionObserver* observer, Convert convert) {
    if (observer == nullptr) {
        Unwatched unwatched;
        return convert(unwatched);
    }
    ItemWatch watch(*observer);
    return convert(watch);
}

// The storage is shared by every call, so overlapping calls take turns.
std::mutex ConversionLock;

} // namespace

int ConvertFileWith(const wchar_t* inputPath, const wchar_t* outputPath,
                    const ConversionOptions& options, ConversionObserver* observer) {
    std::lock_guard<std::mutex> turn(ConversionLock);
    return ConvertWatched(observer, [&](auto& watch) {
        return ConvertFileAlone(inputPath, outputPath, options, watch);
    });
}

int ConvertStreamsWith(std::FILE* input, std::FILE* output, const ConversionOptions& options,
                       ConversionObserver* observer) {
    std::lock_guard<std::mutex> turn(ConversionLock);
    return ConvertWatched(
        observer, [&](auto& watch) { return ConvertStreamsAlone(input, output, options, watch); });
}

} // namespace quendix

extern "C" int ConvertFile(const wchar_t* inputPath, const wchar_t* outputPath) {
    std::lock_guard<std::mutex> turn(quendix::ConversionLock);
    quendix::Unwatched unwatched;
    return quendix::ConvertFileAlone(inputPath, outputPath, quendix::ConversionOptions{},
                                     unwatched);
}
