#include "convert/record.h"

// SSE2 is part of every x86-64 processor; elsewhere, or with QUENDIX_NO_SIMD,
// fields are copied and padded one character at a time.
#if defined(__SSE2__) && !defined(QUENDIX_NO_SIMD)
#define QUENDIX_RECORD_SSE2 1
#include <emmintrin.h>
#endif

namespace quendix {

namespace {
constexpr Literal kCharacterData = MakeLiteral(u"CDATA");

#if defined(QUENDIX_RECORD_SSE2)
constexpr std::size_t kVectorUnits = 8;

inline __m128i LoadUnits(const char16_t* from) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
}

inline void StoreUnits(char16_t* out, __m128i units) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), units);
}
#endif

// Copies count characters. Fields are short and their lengths vary from
// item to item, so eight at a time with the last eight overlapping the
// ones before, rather than a general copy with its set-up cost. Nothing
// outside out[0, count) is written.
inline void CopyUnits(char16_t* out, const char16_t* from, std::size_t count) {
#if defined(QUENDIX_RECORD_SSE2)
    if (count >= kVectorUnits) {
        for (std::size_t i = 0; i + kVectorUnits < count; i += kVectorUnits) {
            StoreUnits(out + i, LoadUnits(from + i));
        }
        StoreUnits(out + count - kVectorUnits, LoadUnits(from + count - kVectorUnits));
        return;
    }
#endif
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = from[i];
    }
}

// Fills out[0, count) with spaces, the same way; most of a record is
// padding, so four stores a step while there is room for them.
inline void PadWithSpaces(char16_t* out, std::size_t count) {
#if defined(QUENDIX_RECORD_SSE2)
    if (count >= kVectorUnits) {
        const __m128i spaces = _mm_set1_epi16(u' ');
        std::size_t i = 0;
        for (; count - i > 4 * kVectorUnits; i += 4 * kVectorUnits) {
            StoreUnits(out + i, spaces);
            StoreUnits(out + i + kVectorUnits, spaces);
            StoreUnits(out + i + 2 * kVectorUnits, spaces);
            StoreUnits(out + i + 3 * kVectorUnits, spaces);
        }
        for (; count - i > kVectorUnits; i += kVectorUnits) {
            StoreUnits(out + i, spaces);
        }
        StoreUnits(out + count - kVectorUnits, spaces);
        return;
    }
#endif
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = u' ';
    }
}
} // namespace

std::size_t FitField(char16_t* out, TextView piece, std::size_t width) {
    const std::size_t kept = piece.length < width ? piece.length : width;
    CopyUnits(out, piece.text, kept);
    MendCutEdges(out, kept);
    PadWithSpaces(out + kept, width - kept);
    return kept;
}

bool KeepRecord(const char16_t* fittedTitle, std::size_t titleKept, const char16_t* fittedSummary) {
    // "CDATA" holds no space, so the padding after the title's own
    // characters cannot hold it, and the title's cut edges, mended to
    // spaces, cannot either.
    return fittedSummary[0] != u' ' &&
           FindLiteral(fittedTitle, titleKept, 0, kCharacterData) == kNotFound;
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
    const std::size_t titleKept = FitField(title, fields.title, kTitleWidth);
    FitField(date, fields.date, kDateWidth);
    FitField(summary, fields.summary, kSummaryWidth);
    FitField(link, fields.link, kLinkWidth);
    if (!KeepRecord(title, titleKept, summary)) {
        return RecordFate::Dropped;
    }
    CommitUnits(output, kRecordWidth);
    return RecordFate::Written;
}

} // namespace quendix
