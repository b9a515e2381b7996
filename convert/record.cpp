#include "convert/record.h"

#include "convert/markup.h"

#include "convert/record_edges.h"
#include "simd/text_loops.h"

namespace quendix {

using loops::Avx2Loops;
using loops::BaselineLoops;
using loops::kUnitsPerStep;
using loops::Units;

namespace {

template <class Loops> inline std::size_t Fit(char16_t* out, TextView piece, std::size_t width) {
    const std::size_t kept = piece.length < width ? piece.length : width;
    Loops::Copy(out, piece.text, kept);
    MendCopiedEdges(out, piece.text, kept);
    Loops::Pad(out + kept, width - kept);
    return kept;
}

// Copies the part of piece that fits width over padding already in place.
template <class Loops>
inline std::size_t FitOverSpaces(char16_t* out, TextView piece, std::size_t width) {
    const std::size_t kept = piece.length < width ? piece.length : width;
    Loops::Copy(out, piece.text, kept);
    MendCopiedEdges(out, piece.text, kept);
    return kept;
}

// Fits the four fields in record order (title, date, summary, link) and
// returns how many of the title's own characters it took. The whole record
// is padded first, in one run of stores, and the fields copied over it:
// four short pads of varying length cost more than the stores they save.
template <class Loops> inline std::size_t FitAll(char16_t* record, const ItemFields& fields) {
    Loops::template PadAll<kRecordWidth>(record);
    const std::size_t titleKept = FitOverSpaces<Loops>(record, fields.title, kTitleWidth);
    FitOverSpaces<Loops>(record + kDateAt, fields.date, kDateWidth);
    FitOverSpaces<Loops>(record + kSummaryAt, fields.description, kSummaryWidth);
    FitOverSpaces<Loops>(record + kLinkAt, fields.link, kLinkWidth);
    return titleKept;
}

// FitAll with the AVX2 loops, everything inlined into this one function.
QUENDIX_AVX2_LOOP std::size_t FitAllAvx2(char16_t* record, const ItemFields& fields) {
    return FitAll<Avx2Loops>(record, fields);
}

std::size_t FitFields(char16_t* record, const ItemFields& fields) {
    if constexpr (kAvx2Loops) {
        if (UseAvx2Loops()) {
            return FitAllAvx2(record, fields);
        }
    }
    return FitAll<BaselineLoops>(record, fields);
}
} // namespace

std::size_t FitField(char16_t* out, TextView piece, std::size_t width) {
    return Fit<BaselineLoops>(out, piece, width);
}

namespace {
// Whether the first two characters of "CDATA" stand anywhere in
// title[0, length): only then can the whole. Titles are short and nearly
// all lack the pair, so one pass of paired comparisons, without the set-up
// of a general search, settles most.
bool MayHoldCharacterData(const char16_t* title, std::size_t length) {
    const char16_t firstCharacter = kCharacterData.text[0];
    const char16_t secondCharacter = kCharacterData.text[1];
    if constexpr (kSse2Loops) {
        if (length > kUnitsPerStep) {
            const Units first = loops::EveryUnit(firstCharacter);
            const Units second = loops::EveryUnit(secondCharacter);
            Units pairs = loops::NoUnits();
            // Starts 0 to length - 2, eight a step; the last step overlaps.
            const std::size_t lastStep = length - 1 - kUnitsPerStep;
            for (std::size_t i = 0;; i += kUnitsPerStep) {
                const std::size_t at = i < lastStep ? i : lastStep;
                pairs = pairs | ((loops::LoadUnits(title + at) == first) &
                                 (loops::LoadUnits(title + at + 1) == second));
                if (at == lastStep) {
                    break;
                }
            }
            return loops::Mask(pairs) != 0;
        }
    }
    for (std::size_t i = 0; i + 1 < length; ++i) {
        if (title[i] == firstCharacter && title[i + 1] == secondCharacter) {
            return true;
        }
    }
    return false;
}
} // namespace

bool KeepRecord(const char16_t* fittedTitle, std::size_t titleKept, const char16_t* fittedSummary) {
    // "CDATA" holds no space, so the padding after the title's own
    // characters cannot hold it, and the title's cut edges, mended to
    // spaces, cannot either.
    return fittedSummary[0] != u' ' &&
           !(MayHoldCharacterData(fittedTitle, titleKept) &&
             FindLiteral(fittedTitle, titleKept, 0, kCharacterData) != kNotFound);
}

RecordFate WriteRecord(RecordOutput& output, const ItemFields& fields) {
    char16_t* record = ReserveUnits(output, kRecordWidth);
    if (record == nullptr) {
        return RecordFate::Refused;
    }
    const std::size_t titleKept = FitFields(record, fields);
    if (!KeepRecord(record, titleKept, record + kSummaryAt)) {
        return RecordFate::Dropped;
    }
    CommitUnits(output, kRecordWidth);
    return RecordFate::Written;
}

} // namespace quendix
