#include "convert/record.h"

#include "platform/processor.h"

// SSE2 is part of every x86-64 processor; elsewhere, or with QUENDIX_NO_SIMD,
// fields are copied and padded one character at a time.
#if defined(__SSE2__) && !defined(QUENDIX_NO_SIMD)
#define QUENDIX_RECORD_SSE2 1
#include <emmintrin.h>
#endif
#if defined(QUENDIX_AVX2_LOOPS)
#include <immintrin.h>
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
#if defined(QUENDIX_AVX2_LOOPS)
constexpr std::size_t kWideVectorUnits = 16;

// CopyUnits in steps of sixteen characters, for pieces that long.
QUENDIX_TARGET_AVX2 inline void CopyUnitsAvx2(char16_t* out, const char16_t* from,
                                              std::size_t count) {
    if (count < kWideVectorUnits) {
        CopyUnits(out, from, count);
        return;
    }
    for (std::size_t i = 0; i + kWideVectorUnits < count; i += kWideVectorUnits) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i),
                            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + i)));
    }
    const std::size_t last = count - kWideVectorUnits;
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + last),
                        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + last)));
}

// PadWithSpaces in steps of sixteen characters.
QUENDIX_TARGET_AVX2 inline void PadWithSpacesAvx2(char16_t* out, std::size_t count) {
    if (count < kWideVectorUnits) {
        PadWithSpaces(out, count);
        return;
    }
    const __m256i spaces = _mm256_set1_epi16(u' ');
    for (std::size_t i = 0; i + kWideVectorUnits < count; i += kWideVectorUnits) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), spaces);
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + count - kWideVectorUnits), spaces);
}

QUENDIX_TARGET_AVX2 inline std::size_t FitFieldAvx2(char16_t* out, TextView piece,
                                                    std::size_t width) {
    const std::size_t kept = piece.length < width ? piece.length : width;
    CopyUnitsAvx2(out, piece.text, kept);
    MendCutEdges(out, kept);
    PadWithSpacesAvx2(out + kept, width - kept);
    return kept;
}

// FitFields with the wide loops, all of them inlined here: a call to a
// function built for AVX2 from one that is not is not inlined.
QUENDIX_TARGET_AVX2 std::size_t FitFieldsAvx2(char16_t* record, const ItemFields& fields) {
    const std::size_t titleKept = FitFieldAvx2(record, fields.title, kTitleWidth);
    FitFieldAvx2(record + kTitleWidth, fields.date, kDateWidth);
    FitFieldAvx2(record + kTitleWidth + kDateWidth, fields.summary, kSummaryWidth);
    FitFieldAvx2(record + kRecordWidth - kLinkWidth, fields.link, kLinkWidth);
    return titleKept;
}
#endif

// Fits the four fields in record order (title, date, summary, link) and
// returns how many of the title's own characters it took.
std::size_t FitFields(char16_t* record, const ItemFields& fields) {
#if defined(QUENDIX_AVX2_LOOPS)
    if (UseAvx2Loops()) {
        return FitFieldsAvx2(record, fields);
    }
#endif
    const std::size_t titleKept = FitField(record, fields.title, kTitleWidth);
    FitField(record + kTitleWidth, fields.date, kDateWidth);
    FitField(record + kTitleWidth + kDateWidth, fields.summary, kSummaryWidth);
    FitField(record + kRecordWidth - kLinkWidth, fields.link, kLinkWidth);
    return titleKept;
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
    const std::size_t titleKept = FitFields(record, fields);
    if (!KeepRecord(record, titleKept, record + kTitleWidth + kDateWidth)) {
        return RecordFate::Dropped;
    }
    CommitUnits(output, kRecordWidth);
    return RecordFate::Written;
}

} // namespace quendix
