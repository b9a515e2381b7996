#include "convert/record.h"

#include "platform/processor.h"

#if defined(QUENDIX_SSE2_LOOPS)
#include <emmintrin.h>
#endif
#if defined(QUENDIX_AVX2_LOOPS)
#include <immintrin.h>
#endif

namespace quendix {

namespace {
constexpr Literal kCharacterData = MakeLiteral(u"CDATA");

#if defined(QUENDIX_SSE2_LOOPS)
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
#if defined(QUENDIX_SSE2_LOOPS)
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
#if defined(QUENDIX_SSE2_LOOPS)
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
// The loops FitField runs on: these, or the AVX2 ones below.
struct NarrowLoops {
    static void Copy(char16_t* out, const char16_t* from, std::size_t count) {
        CopyUnits(out, from, count);
    }
    static void Pad(char16_t* out, std::size_t count) { PadWithSpaces(out, count); }
};

#if defined(QUENDIX_AVX2_LOOPS)
// The same in steps of sixteen characters, for pieces that long.
struct WideLoops {
    static constexpr std::size_t kUnits = 16;

    // Where a copy's steps come from.
    struct FromText {
        const char16_t* from;
        QUENDIX_TARGET_AVX2 __m256i At(std::size_t i) const {
            return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + i));
        }
    };
    struct Spaces {
        QUENDIX_TARGET_AVX2 __m256i At(std::size_t) const { return _mm256_set1_epi16(u' '); }
    };

    // Stores out[0, count), count at least kUnits, from source: two steps
    // a turn, then the last step placed to end at count, overlapping the
    // one before.
    template <class Source>
    QUENDIX_TARGET_AVX2 static void Steps(char16_t* out, std::size_t count, Source source) {
        std::size_t i = 0;
        for (; i + 2 * kUnits < count; i += 2 * kUnits) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), source.At(i));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i + kUnits),
                                source.At(i + kUnits));
        }
        if (i + kUnits < count) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), source.At(i));
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + count - kUnits),
                            source.At(count - kUnits));
    }

    QUENDIX_TARGET_AVX2 static void Copy(char16_t* out, const char16_t* from, std::size_t count) {
        if (count < kUnits) {
            CopyUnits(out, from, count);
            return;
        }
        Steps(out, count, FromText{from});
    }
    QUENDIX_TARGET_AVX2 static void Pad(char16_t* out, std::size_t count) {
        if (count < kUnits) {
            PadWithSpaces(out, count);
            return;
        }
        Steps(out, count, Spaces{});
    }
};
#endif

template <class Loops> inline std::size_t Fit(char16_t* out, TextView piece, std::size_t width) {
    const std::size_t kept = piece.length < width ? piece.length : width;
    Loops::Copy(out, piece.text, kept);
    MendCopiedEdges(out, piece.text, kept);
    Loops::Pad(out + kept, width - kept);
    return kept;
}

// Fits the four fields in record order (title, date, summary, link) and
// returns how many of the title's own characters it took.
template <class Loops> inline std::size_t FitAll(char16_t* record, const ItemFields& fields) {
    const std::size_t titleKept = Fit<Loops>(record, fields.title, kTitleWidth);
    Fit<Loops>(record + kDateAt, fields.date, kDateWidth);
    Fit<Loops>(record + kSummaryAt, fields.summary, kSummaryWidth);
    Fit<Loops>(record + kLinkAt, fields.link, kLinkWidth);
    return titleKept;
}

#if defined(QUENDIX_AVX2_LOOPS)
// FitAll with the wide loops, everything inlined into this one function
// built for AVX2: a function built for AVX2 is not inlined into one that
// is not.
QUENDIX_TARGET_AVX2 __attribute__((flatten)) std::size_t FitAllWide(char16_t* record,
                                                                    const ItemFields& fields) {
    return FitAll<WideLoops>(record, fields);
}
#endif

std::size_t FitFields(char16_t* record, const ItemFields& fields) {
#if defined(QUENDIX_AVX2_LOOPS)
    if (UseAvx2Loops()) {
        return FitAllWide(record, fields);
    }
#endif
    return FitAll<NarrowLoops>(record, fields);
}
} // namespace

std::size_t FitField(char16_t* out, TextView piece, std::size_t width) {
    return Fit<NarrowLoops>(out, piece, width);
}

namespace {
// Whether the first two characters of "CDATA" stand anywhere in
// title[0, length): only then can the whole. Titles are short and nearly
// all lack the pair, so one pass of paired comparisons, without the set-up
// of a general search, settles most.
bool MayHoldCharacterData(const char16_t* title, std::size_t length) {
    const char16_t firstCharacter = kCharacterData.text[0];
    const char16_t secondCharacter = kCharacterData.text[1];
#if defined(QUENDIX_SSE2_LOOPS)
    if (length > kVectorUnits) {
        const __m128i first = _mm_set1_epi16(static_cast<short>(firstCharacter));
        const __m128i second = _mm_set1_epi16(static_cast<short>(secondCharacter));
        __m128i pairs = _mm_setzero_si128();
        // Starts 0 to length - 2, eight a step; the last step overlaps.
        const std::size_t lastStep = length - 1 - kVectorUnits;
        for (std::size_t i = 0;; i += kVectorUnits) {
            const std::size_t at = i < lastStep ? i : lastStep;
            pairs = _mm_or_si128(pairs,
                                 _mm_and_si128(_mm_cmpeq_epi16(LoadUnits(title + at), first),
                                               _mm_cmpeq_epi16(LoadUnits(title + at + 1), second)));
            if (at == lastStep) {
                break;
            }
        }
        return _mm_movemask_epi8(pairs) != 0;
    }
#endif
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

RecordFate WriteRecord(WideOutputStream& output, const ItemFields& fields) {
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
