// The vector steps of the text reading loops, written once for each width:
// SSE2 (every x86-64 processor), AVX2 (chosen at run time), and none (the
// scalar loops every other processor runs). The loops take a Steps class
// and never test the build themselves.
#ifndef QUENDIX_SIMD_LOOP_PRIMITIVES_H
#define QUENDIX_SIMD_LOOP_PRIMITIVES_H

#include "encoding/pair_shape.h"
#include "simd/processor.h"
#include "simd/utf8_block_avx2.h"

#include <cstddef>
#include <cstdint>

namespace quendix {

// CopyStep copies kWidth bytes as 16-bit characters to out (it may write
// all of them whatever it finds) and returns one bit per byte that ends an
// ASCII run: a byte of 0x80 and up, or CR, which may start CR LF. The
// other steps take sixteen bytes at a time, and stop at CR too.
#if defined(QUENDIX_SSE2_LOOPS)
struct Sse2Steps {
    static constexpr std::size_t kWidth = 32;
    static unsigned CopyStep(const unsigned char* bytes, char16_t* out) {
        const __m128i zero = _mm_setzero_si128();
        const __m128i carriageReturn = _mm_set1_epi8('\r');
        const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
        const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 16));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(first, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(first, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), _mm_unpacklo_epi8(second, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 24), _mm_unpackhi_epi8(second, zero));
        const __m128i firstEnds = _mm_or_si128(first, _mm_cmpeq_epi8(first, carriageReturn));
        const __m128i secondEnds = _mm_or_si128(second, _mm_cmpeq_epi8(second, carriageReturn));
        if (_mm_movemask_epi8(_mm_or_si128(firstEnds, secondEnds)) == 0) {
            return 0;
        }
        return static_cast<unsigned>(_mm_movemask_epi8(firstEnds)) |
               static_cast<unsigned>(_mm_movemask_epi8(secondEnds)) << 16;
    }
    // Sixteen bytes of a single-byte encoding through its table; false,
    // storing nothing, when one is CR.
    static bool SingleByteStep(const unsigned char* bytes, const char16_t* table, char16_t* out) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(block, _mm_set1_epi8('\r'))) != 0) {
            return false;
        }
        if (_mm_movemask_epi8(block) == 0) {
            const __m128i zero = _mm_setzero_si128();
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(block, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(block, zero));
            return true;
        }
        for (unsigned i = 0; i < 16; ++i) {
            out[i] = table[bytes[i]];
        }
        return true;
    }
    // UTF-8 after an error, sixteen bytes of it: the bytes up to the first
    // that is CR or continues a sequence, or that the next byte continues,
    // are each one character, themselves if ASCII and U+FFFD if not (a lead
    // with nothing to follow it, or a byte that never leads). Returns how
    // many such bytes there are; it may store all sixteen.
    static constexpr std::size_t kIllFormedBytes = 16;
    static unsigned IllFormedUtf8Step(const unsigned char* bytes, char16_t* out) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 1));
        // Continuation bytes, 0x80 to 0xBF, are the signed bytes below -64.
        const __m128i lowest = _mm_set1_epi8(-64);
        const __m128i stops =
            _mm_or_si128(_mm_or_si128(_mm_cmplt_epi8(block, lowest), _mm_cmplt_epi8(next, lowest)),
                         _mm_cmpeq_epi8(block, _mm_set1_epi8('\r')));
        const __m128i zero = _mm_setzero_si128();
        const __m128i high = _mm_cmplt_epi8(block, zero);
        const __m128i replacement = _mm_set1_epi16(static_cast<short>(0xFFFD));
        const __m128i lowHalf = _mm_unpacklo_epi8(high, high);
        const __m128i highHalf = _mm_unpackhi_epi8(high, high);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                         _mm_or_si128(_mm_andnot_si128(lowHalf, _mm_unpacklo_epi8(block, zero)),
                                      _mm_and_si128(lowHalf, replacement)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8),
                         _mm_or_si128(_mm_andnot_si128(highHalf, _mm_unpackhi_epi8(block, zero)),
                                      _mm_and_si128(highHalf, replacement)));
        return static_cast<unsigned>(
            __builtin_ctz(static_cast<unsigned>(_mm_movemask_epi8(stops)) | 1u << 16));
    }
    static Utf8Block Utf8BlockStep(const unsigned char* bytes, char16_t* out) {
        return Sse2Utf8Block(bytes, out);
    }
    // Apart from the read loop, which would otherwise set up the block
    // steps' constants on every run of characters, blocks taken or not.
    QUENDIX_APART static Utf8Taken Utf8Blocks(const unsigned char* bytes, std::size_t size,
                                              char16_t* out, std::size_t room) {
        return Utf8BlockRun(bytes, size, out, room, Sse2Steps::Utf8BlockStep);
    }
    // Before AVX2 the pairs go one at a time: no PairStep.
    static constexpr unsigned kPairsAStep = 0;
};
#endif

#if defined(QUENDIX_AVX2_LOOPS)
// The same step with one load and two 32-byte widening stores.
struct Avx2Steps {
    static constexpr std::size_t kWidth = 32;
    QUENDIX_TARGET_AVX2 static unsigned CopyStep(const unsigned char* bytes, char16_t* out) {
        const __m256i block = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out),
                            _mm256_cvtepu8_epi16(_mm256_castsi256_si128(block)));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 16),
                            _mm256_cvtepu8_epi16(_mm256_extracti128_si256(block, 1)));
        const __m256i ends =
            _mm256_or_si256(block, _mm256_cmpeq_epi8(block, _mm256_set1_epi8('\r')));
        return static_cast<unsigned>(_mm256_movemask_epi8(ends));
    }
    static bool SingleByteStep(const unsigned char* bytes, const char16_t* table, char16_t* out) {
        return Sse2Steps::SingleByteStep(bytes, table, out);
    }
    // Thirty-two bytes at a time, with the same rule as Sse2Steps'.
    static constexpr std::size_t kIllFormedBytes = 32;
    QUENDIX_TARGET_AVX2 static unsigned IllFormedUtf8Step(const unsigned char* bytes,
                                                          char16_t* out) {
        const __m256i block = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes));
        const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + 1));
        const __m256i lowest = _mm256_set1_epi8(-64);
        const __m256i stops = _mm256_or_si256(
            _mm256_or_si256(_mm256_cmpgt_epi8(lowest, block), _mm256_cmpgt_epi8(lowest, next)),
            _mm256_cmpeq_epi8(block, _mm256_set1_epi8('\r')));
        const __m256i replacement = _mm256_set1_epi16(static_cast<short>(0xFFFD));
        const __m256i first = _mm256_cvtepu8_epi16(_mm256_castsi256_si128(block));
        const __m256i second = _mm256_cvtepu8_epi16(_mm256_extracti128_si256(block, 1));
        const __m256i ascii = _mm256_set1_epi16(0x7F);
        _mm256_storeu_si256(
            reinterpret_cast<__m256i*>(out),
            _mm256_blendv_epi8(first, replacement, _mm256_cmpgt_epi16(first, ascii)));
        _mm256_storeu_si256(
            reinterpret_cast<__m256i*>(out + 16),
            _mm256_blendv_epi8(second, replacement, _mm256_cmpgt_epi16(second, ascii)));
        const auto mask =
            static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(stops)));
        return static_cast<unsigned>(__builtin_ctzll(mask | std::uint64_t{1} << 32));
    }
    QUENDIX_TARGET_AVX2 static Utf8Block Utf8BlockStep(const unsigned char* bytes, char16_t* out) {
        return Avx2Utf8Block(bytes, out);
    }
    QUENDIX_TARGET_AVX2 __attribute__((noinline, flatten)) static Utf8Taken
    Utf8Blocks(const unsigned char* bytes, std::size_t size, char16_t* out, std::size_t room) {
        return Utf8BlockRun(bytes, size, out, room,
                            Avx2Utf8Steps{utf8_block_detail::Avx2MakeBlockConstants()});
    }
    // Whether 32 bytes whose first is a lead are sixteen ordinary pairs of
    // shape (pair_shape.h), and if so their code points from index (of
    // size entries and one more) in out. It may write to out[0, 16) either
    // way. A run of pairs ends inside a step, which the pairs one at a time
    // finish: the step's lookups wait for the bytes' check, so that a
    // wrong guess at the run's end costs the check's time, not theirs.
    static constexpr unsigned kPairsAStep = 16;
    QUENDIX_TARGET_AVX2 static bool PairStep(const unsigned char* bytes, const PairShape& shape,
                                             const std::uint16_t* index, std::uint32_t size,
                                             char16_t* out) {
        const __m256i block = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes));
        __m256i leadPart;
        __m256i trailPart;
        const __m256i leads =
            PlaceBytes(_mm256_and_si256(block, _mm256_set1_epi16(0xFF)), shape.leads, &leadPart);
        const __m256i trails = PlaceBytes(_mm256_srli_epi16(block, 8), shape.trails, &trailPart);
        const __m256i pointers = _mm256_add_epi16(
            _mm256_mullo_epi16(leadPart, _mm256_set1_epi16(static_cast<short>(shape.rowLength))),
            trailPart);
        const __m256i usable = _mm256_and_si256(
            _mm256_and_si256(leads, trails),
            _mm256_cmpgt_epi16(_mm256_set1_epi16(static_cast<short>(size)), pointers));
        if (_mm256_movemask_epi8(usable) != -1) {
            return false;
        }
        // Each lane reads its entry and the next; the extra entry at the
        // index's end keeps the last one inside it.
        const int* const entries = reinterpret_cast<const int*>(index);
        const __m256i low = _mm256_i32gather_epi32(
            entries, _mm256_cvtepu16_epi32(_mm256_castsi256_si128(pointers)), 2);
        const __m256i high = _mm256_i32gather_epi32(
            entries, _mm256_cvtepu16_epi32(_mm256_extracti128_si256(pointers, 1)), 2);
        const __m256i entry = _mm256_set1_epi32(0xFFFF);
        const __m256i codePoints = _mm256_permute4x64_epi64(
            _mm256_packus_epi32(_mm256_and_si256(low, entry), _mm256_and_si256(high, entry)), 0xD8);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), codePoints);
        return _mm256_movemask_epi8(_mm256_cmpeq_epi16(codePoints, _mm256_setzero_si256())) == 0;
    }

  private:
    // Lanes of bytes in either range, all ones, and each byte's part
    // (byte - base) in *part; other lanes' parts are of no use.
    QUENDIX_TARGET_AVX2 static __m256i PlaceBytes(__m256i bytes, const ByteRange (&ranges)[2],
                                                  __m256i* part) {
        const __m256i first = InRange(bytes, ranges[0]);
        const __m256i second = InRange(bytes, ranges[1]);
        *part = _mm256_blendv_epi8(
            _mm256_sub_epi16(bytes, _mm256_set1_epi16(static_cast<short>(ranges[1].base))),
            _mm256_sub_epi16(bytes, _mm256_set1_epi16(static_cast<short>(ranges[0].base))), first);
        return _mm256_or_si256(first, second);
    }
    QUENDIX_TARGET_AVX2 static __m256i InRange(__m256i bytes, const ByteRange& range) {
        return _mm256_and_si256(
            _mm256_cmpgt_epi16(bytes, _mm256_set1_epi16(static_cast<short>(range.low - 1))),
            _mm256_cmpgt_epi16(_mm256_set1_epi16(static_cast<short>(range.high + 1)), bytes));
    }
};
#endif

// Without SSE2 there are no steps: the scalar loops do all the work.
struct ScalarSteps {
    static constexpr std::size_t kWidth = 0;
    static unsigned CopyStep(const unsigned char*, char16_t*) { return ~0u; }
    static bool SingleByteStep(const unsigned char* bytes, const char16_t* table, char16_t* out) {
        for (unsigned i = 0; i < 16; ++i) {
            if (bytes[i] == '\r') {
                return false;
            }
        }
        for (unsigned i = 0; i < 16; ++i) {
            out[i] = table[bytes[i]];
        }
        return true;
    }
    static constexpr std::size_t kIllFormedBytes = 16;
    static unsigned IllFormedUtf8Step(const unsigned char* bytes, char16_t* out) {
        auto continues = [&](unsigned i) { return (bytes[i] & 0xC0) == 0x80; };
        unsigned taken = 0;
        for (; taken < 16; ++taken) {
            if (continues(taken) || continues(taken + 1) || bytes[taken] == '\r') {
                break;
            }
            out[taken] = bytes[taken] < 0x80 ? bytes[taken] : 0xFFFD;
        }
        return taken;
    }
    static Utf8Block Utf8BlockStep(const unsigned char* bytes, char16_t* out) {
        return ScalarUtf8Block(bytes, out);
    }
    static Utf8Taken Utf8Blocks(const unsigned char* bytes, std::size_t size, char16_t* out,
                                std::size_t room) {
        return Utf8BlockRun(bytes, size, out, room, ScalarSteps::Utf8BlockStep);
    }
    static constexpr unsigned kPairsAStep = 0;
};

#if defined(QUENDIX_SSE2_LOOPS)
using BaselineSteps = Sse2Steps;
#else
using BaselineSteps = ScalarSteps;
#endif
#if !defined(QUENDIX_AVX2_LOOPS)
using Avx2Steps = BaselineSteps;
#endif

// Copies the run of ASCII characters other than CR at the start of
// bytes[0, limit) as 16-bit characters and returns its length. It may write
// past the run, up to out[limit - 1].
template <class Steps>
inline std::size_t CopyAsciiRun(const unsigned char* bytes, std::size_t limit, char16_t* out) {
    std::size_t count = 0;
    if (Steps::kWidth != 0) {
        for (; limit - count >= Steps::kWidth; count += Steps::kWidth) {
            const unsigned stops = Steps::CopyStep(bytes + count, out + count);
            if (stops != 0) {
                return count + static_cast<std::size_t>(__builtin_ctz(stops));
            }
        }
    }
    for (; count < limit && bytes[count] < 0x80 && bytes[count] != '\r'; ++count) {
        out[count] = bytes[count];
    }
    return count;
}

} // namespace quendix

#endif
