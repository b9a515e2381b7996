#include "convert/record.h"

#include <cstring>

namespace quendix {

namespace {
constexpr Literal kCharacterData = MakeLiteral(u"CDATA");

constexpr std::size_t kSpaceRun = kSummaryWidth;
struct SpaceRun {
    char16_t text[kSpaceRun];
};
constexpr SpaceRun MakeSpaceRun() {
    SpaceRun spaces{};
    for (char16_t& c : spaces.text) {
        c = u' ';
    }
    return spaces;
}
constexpr SpaceRun kSpaces = MakeSpaceRun();
static_assert(kSpaceRun >= kTitleWidth && kSpaceRun >= kDateWidth && kSpaceRun >= kLinkWidth,
              "one run of spaces pads any field");
} // namespace

void FitField(char16_t* out, TextView piece, std::size_t width) {
    const std::size_t kept = piece.length < width ? piece.length : width;
    std::memcpy(out, piece.text, kept * sizeof(char16_t));
    MendCutEdges(out, kept);
    std::memcpy(out + kept, kSpaces.text, (width - kept) * sizeof(char16_t));
}

bool KeepRecord(const char16_t* fittedTitle, const char16_t* fittedSummary) {
    return fittedSummary[0] != u' ' &&
           FindLiteral(fittedTitle, kTitleWidth, 0, kCharacterData) == kNotFound;
}

RecordFate WriteRecord(WideOutputStream& output, const ItemFields& fields) {
    char16_t* record = ReserveUnits(output, kRecordWidth);
    if (record == nullptr) {
        return RecordFate::Refused;
    }
    char16_t* const title = record;
    char16_t* const date = title + kTitleWidth;
    char16_t* const summary = date + kDateWidth;
    char16_t* const link = summary + kSummaryWidth;
    FitField(title, fields.title, kTitleWidth);
    FitField(date, fields.date, kDateWidth);
    FitField(summary, fields.summary, kSummaryWidth);
    FitField(link, fields.link, kLinkWidth);
    if (!KeepRecord(title, summary)) {
        return RecordFate::Dropped;
    }
    CommitUnits(output, kRecordWidth);
    return RecordFate::Written;
}

} // namespace quendix
