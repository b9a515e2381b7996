// The vector steps the conversion's searches and records are built from:
// SSE2 on every x86-64 build, AVX2 beside it for the store-bound copies,
// and nothing on other processors. simd/processor.h decides which there
// are; the callers test kSse2Loops and kAvx2Loops with `if constexpr`
// rather than with the preprocessor, so every path is compiled in every
// build.
#ifndef QUENDIX_SIMD_TEXT_LOOPS_H
#define QUENDIX_SIMD_TEXT_LOOPS_H

#include "simd/processor.h"

#include <cstddef>
#include <cstdint>

namespace quendix {
namespace loops {

#if defined(QUENDIX_SSE2_LOOPS)

// A vector of lanes of one width: sixteen bytes (Bytes) or eight 16-bit
// characters (Units). What does not depend on the width is written once
// for both.
template <class Lane> struct Vector { __m128i v; };
using Bytes = Vector<unsigned char>;
using Units = Vector<char16_t>;

template <class Lane> inline Vector<Lane> operator&(Vector<Lane> a, Vector<Lane> b) {
    return Vector<Lane>{_mm_and_si128(a.v, b.v)};
}
template <class Lane> inline Vector<Lane> operator|(Vector<Lane> a, Vector<Lane> b) {
    return Vector<Lane>{_mm_or_si128(a.v, b.v)};
}
// One bit per byte whose top bit is set: per lane a comparison matched,
// two bits per character.
template <class Lane> inline unsigned Mask(Vector<Lane> vector) {
    return static_cast<unsigned>(_mm_movemask_epi8(vector.v));
}

// Sixteen characters narrowed to bytes. A character up to U+00FF keeps its
// value; any other becomes 0x00 or 0xFF, so a byte comparison with a
// character up to U+00FF finds every match and at worst a few that a whole
// comparison then rejects.
inline Bytes NarrowedUnits(const char16_t* text) {
    const __m128i* const from = reinterpret_cast<const __m128i*>(text);
    return Bytes{_mm_packus_epi16(_mm_loadu_si128(from), _mm_loadu_si128(from + 1))};
}
inline Bytes EveryByte(char c) {
    return Bytes{_mm_set1_epi8(c)};
}
inline Bytes operator==(Bytes a, Bytes b) {
    return Bytes{_mm_cmpeq_epi8(a.v, b.v)};
}
// Each byte taken as signed.
inline Bytes operator>(Bytes a, Bytes b) {
    return Bytes{_mm_cmpgt_epi8(a.v, b.v)};
}

inline Units LoadUnits(const char16_t* from) {
    return Units{_mm_loadu_si128(reinterpret_cast<const __m128i*>(from))};
}
inline void StoreUnits(char16_t* out, Units units) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), units.v);
}
inline Units EveryUnit(char16_t c) {
    return Units{_mm_set1_epi16(static_cast<short>(c))};
}
inline Units NoUnits() {
    return Units{_mm_setzero_si128()};
}
inline Units operator==(Units a, Units b) {
    return Units{_mm_cmpeq_epi16(a.v, b.v)};
}
#else

// The same steps lane by lane. The loops do not take them here
// (kSse2Loops is false), but every path still compiles and links in
// every build, unoptimised ones included. A lane that compares true is all
// ones, as in a vector.
template <class Lane, std::size_t kLanes> struct Lanes { Lane lane[kLanes]; };
using Bytes = Lanes<unsigned char, 16>;
using Units = Lanes<char16_t, 8>;

template <class Lane, std::size_t kLanes, class Step>
inline Lanes<Lane, kLanes> EachLane(Step step) {
    Lanes<Lane, kLanes> out{};
    for (std::size_t i = 0; i < kLanes; ++i) {
        out.lane[i] = static_cast<Lane>(step(i));
    }
    return out;
}
template <class Lane, std::size_t kLanes>
inline Lanes<Lane, kLanes> operator==(Lanes<Lane, kLanes> a, Lanes<Lane, kLanes> b) {
    return EachLane<Lane, kLanes>([&](std::size_t i) { return a.lane[i] == b.lane[i] ? ~0 : 0; });
}
template <class Lane, std::size_t kLanes>
inline Lanes<Lane, kLanes> operator&(Lanes<Lane, kLanes> a, Lanes<Lane, kLanes> b) {
    return EachLane<Lane, kLanes>([&](std::size_t i) { return a.lane[i] & b.lane[i]; });
}
template <class Lane, std::size_t kLanes>
inline Lanes<Lane, kLanes> operator|(Lanes<Lane, kLanes> a, Lanes<Lane, kLanes> b) {
    return EachLane<Lane, kLanes>([&](std::size_t i) { return a.lane[i] | b.lane[i]; });
}
// One bit per byte whose top bit is set, as a vector's byte mask gives.
template <class Lane, std::size_t kLanes> inline unsigned Mask(Lanes<Lane, kLanes> lanes) {
    constexpr unsigned kBytesPerLane = sizeof(Lane);
    constexpr unsigned kLaneBits = (1u << kBytesPerLane) - 1;
    unsigned mask = 0;
    for (std::size_t i = 0; i < kLanes; ++i) {
        const bool top = (lanes.lane[i] >> (8 * kBytesPerLane - 1)) != 0;
        mask |= (top ? kLaneBits : 0u) << (kBytesPerLane * i);
    }
    return mask;
}

// Narrowed as a vector narrows, saturating each character taken as a signed
// 16-bit value: U+8000 and above become 0x00, U+0100 to U+7FFF 0xFF.
inline Bytes NarrowedUnits(const char16_t* text) {
    return EachLane<unsigned char, 16>([&](std::size_t i) {
        return text[i] >= 0x8000 ? 0 : text[i] > 0xFF ? 0xFF : text[i];
    });
}
inline Bytes EveryByte(char c) {
    return EachLane<unsigned char, 16>([&](std::size_t) { return static_cast<unsigned char>(c); });
}
inline Bytes operator>(Bytes a, Bytes b) {
    return EachLane<unsigned char, 16>([&](std::size_t i) {
        return static_cast<signed char>(a.lane[i]) > static_cast<signed char>(b.lane[i]) ? 0xFF : 0;
    });
}
inline Units LoadUnits(const char16_t* from) {
    return EachLane<char16_t, 8>([&](std::size_t i) { return from[i]; });
}
inline void StoreUnits(char16_t* out, Units units) {
    for (std::size_t i = 0; i < 8; ++i) {
        out[i] = units.lane[i];
    }
}
inline Units EveryUnit(char16_t c) {
    return EachLane<char16_t, 8>([&](std::size_t) { return c; });
}
inline Units NoUnits() {
    return Units{};
}
#endif

// Characters in a step of Units; characters narrowed into a step of Bytes.
constexpr std::size_t kUnitsPerStep = 8;
constexpr std::size_t kBytesPerStep = 16;

inline unsigned LowestBit(unsigned mask) {
    return static_cast<unsigned>(__builtin_ctz(mask));
}

// The characters of a literal compared in one step when a search checks a
// possible match.
constexpr std::size_t kHeadLength = 16;

// Whether the head (kHeadLength characters) starts at text, where at least
// that many characters remain; mask holds two bits for each character of
// head compared.
inline bool HeadMatches(const char16_t* text, const char16_t* head, std::uint32_t mask) {
    if constexpr (kSse2Loops) {
        const unsigned low = Mask(LoadUnits(text) == LoadUnits(head));
        const unsigned high = Mask(LoadUnits(text + 8) == LoadUnits(head + 8));
        return ((low | high << 16) & mask) == mask;
    } else {
        for (std::size_t i = 0; i < kHeadLength; ++i) {
            if ((mask >> (2 * i) & 3) != 0 && text[i] != head[i]) {
                return false;
            }
        }
        return true;
    }
}

// Copies count characters. Fields are short and their lengths vary from
// item to item, so eight at a time with the last eight overlapping the
// ones before, rather than a general copy with its set-up cost. Nothing
// outside out[0, count) is written.
inline void CopyUnits(char16_t* out, const char16_t* from, std::size_t count) {
    if constexpr (kSse2Loops) {
        if (count >= kUnitsPerStep) {
            for (std::size_t i = 0; i + kUnitsPerStep < count; i += kUnitsPerStep) {
                StoreUnits(out + i, LoadUnits(from + i));
            }
            StoreUnits(out + count - kUnitsPerStep, LoadUnits(from + count - kUnitsPerStep));
            return;
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = from[i];
    }
}

// Fills out[0, count) with spaces, the same way; most of a record is
// padding, so four stores a step while there is room for them.
inline void PadWithSpaces(char16_t* out, std::size_t count) {
    if constexpr (kSse2Loops) {
        if (count >= kUnitsPerStep) {
            const Units spaces = EveryUnit(u' ');
            std::size_t i = 0;
            for (; count - i > 4 * kUnitsPerStep; i += 4 * kUnitsPerStep) {
                StoreUnits(out + i, spaces);
                StoreUnits(out + i + kUnitsPerStep, spaces);
                StoreUnits(out + i + 2 * kUnitsPerStep, spaces);
                StoreUnits(out + i + 3 * kUnitsPerStep, spaces);
            }
            for (; count - i > kUnitsPerStep; i += kUnitsPerStep) {
                StoreUnits(out + i, spaces);
            }
            StoreUnits(out + count - kUnitsPerStep, spaces);
            return;
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = u' ';
    }
}

// The copy and padding loops as one type, so that a caller can be built
// for either these or the AVX2 ones below.
struct BaselineLoops {
    static void Copy(char16_t* out, const char16_t* from, std::size_t count) {
        CopyUnits(out, from, count);
    }
    static void Pad(char16_t* out, std::size_t count) { PadWithSpaces(out, count); }
    template <std::size_t kCount> static void PadAll(char16_t* out) { PadWithSpaces(out, kCount); }
};

#if defined(QUENDIX_AVX2_LOOPS)

// The same in steps of sixteen characters, for pieces that long. Only a
// function built for AVX2 (QUENDIX_TARGET_AVX2) may inline them, and it is
// taken only when UseAvx2Loops() says so.
struct Avx2Loops {
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

    // Fills out[0, kCount) with spaces. The count is known when built, so
    // the stores are laid out in full, with no loop to test.
    template <std::size_t kCount> QUENDIX_TARGET_AVX2 static void PadAll(char16_t* out) {
        static_assert(kCount >= kUnits, "at least one whole step");
        const __m256i spaces = _mm256_set1_epi16(u' ');
#pragma GCC unroll 64
        for (std::size_t i = 0; i + kUnits < kCount; i += kUnits) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), spaces);
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + kCount - kUnits), spaces);
    }
};
#else
using Avx2Loops = BaselineLoops;
#endif

} // namespace loops
} // namespace quendix

#endif
