#include "convert/record.h"

#include "convert/markup.h"

#include "convert/record_edges.h"
#include "simd/search_steps.h"
#include "simd/text_loops.h"

namespace quendix {

using loops::Avx2Loops;
using loops::Avx2SearchSteps;
using loops::BaselineLoops;
using loops::Sse2SearchSteps;

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

} // namespace

std::size_t FitField(char16_t* out, TextView piece, std::size_t width) {
    return Fit<BaselineLoops>(out, piece, width);
}

namespace {
// Whether the first two characters of "CDATA" stand anywhere in
// title[0, length): only then can the whole. Titles are short and nearly
// all lack the pair, so one pass of paired comparisons, without the set-up
// of a general search, settles most.
template <class Searches> bool MayHoldCharacterData(const char16_t* title, std::size_t length) {
    const char16_t firstCharacter = kCharacterData.text[0];
    const char16_t secondCharacter = kCharacterData.text[1];
    if constexpr (kSse2Loops) {
        if (length > Searches::kPairStarts) {
            return Searches::HoldsPair(title, length, firstCharacter, secondCharacter);
        }
    }
    for (std::size_t i = 0; i + 1 < length; ++i) {
        if (title[i] == firstCharacter && title[i + 1] == secondCharacter) {
            return true;
        }
    }
    return false;
}

template <class Searches>
inline bool KeepFitted(const char16_t* fittedTitle, std::size_t titleKept,
                       const char16_t* fittedSummary) {
    // "CDATA" holds no space, so the padding after the title's own
    // characters cannot hold it, and the title's cut edges, mended to
    // spaces, cannot either.
    return fittedSummary[0] != u' ' &&
           !(MayHoldCharacterData<Searches>(fittedTitle, titleKept) &&
             FindLiteral(fittedTitle, titleKept, 0, kCharacterData) != kNotFound);
}

// Fits the fields into record and says whether the filter keeps it.
template <class Loops, class Searches>
inline bool FitAndKeep(char16_t* record, const ItemFields& fields) {
    const std::size_t titleKept = FitAll<Loops>(record, fields);
    return KeepFitted<Searches>(record, titleKept, record + kSummaryAt);
}

// The same with the AVX2 loops, everything inlined into this one function.
QUENDIX_AVX2_LOOP bool FitAndKeepAvx2(char16_t* record, const ItemFields& fields) {
    return FitAndKeep<Avx2Loops, Avx2SearchSteps>(record, fields);
}

bool FitAndKeepRecord(char16_t* record, const ItemFields& fields) {
    if constexpr (kAvx2Loops) {
        if (UseAvx2Loops()) {
            return FitAndKeepAvx2(record, fields);
        }
    }
    return FitAndKeep<BaselineLoops, Sse2SearchSteps>(record, fields);
}

QUENDIX_AVX2_LOOP bool KeepFittedAvx2(const char16_t* fittedTitle, std::size_t titleKept,
                                      const char16_t* fittedSummary) {
    return KeepFitted<Avx2SearchSteps>(fittedTitle, titleKept, fittedSummary);
}
} // namespace

bool KeepRecord(const char16_t* fittedTitle, std::size_t titleKept, const char16_t* fittedSummary) {
    if constexpr (kAvx2Loops) {
        if (UseAvx2Loops()) {
            return KeepFittedAvx2(fittedTitle, titleKept, fittedSummary);
        }
    }
    return KeepFitted<Sse2SearchSteps>(fittedTitle, titleKept, fittedSummary);
}

RecordFate WriteRecord(RecordOutput& output, const ItemFields& fields) {
    char16_t* record = ReserveUnits(output, kRecordWidth);
    if (record == nullptr) {
        return RecordFate::Refused;
    }
    if (!FitAndKeepRecord(record, fields)) {
        return RecordFate::Dropped;
    }
    CommitUnits(output, kRecordWidth);
    return RecordFate::Written;
}

} // namespace quendix
