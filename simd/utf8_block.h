// UTF-8 sixteen bytes at a time: ASCII other than CR and well-formed two-
// and three-byte characters, which are nearly all the text of feeds in any
// script. Each block step takes the whole characters at the start of its
// sixteen bytes and stops before anything else (CR, a four-byte character,
// an ill-formed sequence, a character cut by the block's end), which the
// one-at-a-time decoder (utf8.h) then takes. A well-formed character decodes
// to the same value whatever follows it, so the two give the same text
// however the bytes are split between reads.
#ifndef QUENDIX_SIMD_UTF8_BLOCK_H
#define QUENDIX_SIMD_UTF8_BLOCK_H

#include "encoding/utf16.h"
#include "encoding/utf8.h"
#include "simd/processor.h"

#include <cstddef>
#include <cstdint>

#if defined(QUENDIX_SSE2_LOOPS)
#include <emmintrin.h>
#endif

namespace quendix {

constexpr std::size_t kUtf8BlockBytes = 16;

// Keeps a function out of its callers (the block runs, whose vector
// constants would otherwise be set up wherever they might be called).
#if defined(__GNUC__)
#define QUENDIX_APART __attribute__((noinline))
#else
#define QUENDIX_APART
#endif

// What one block step took: used bytes from the input, stored 16-bit
// characters to the output. Both are 0 when the first character is not one
// the step takes. Out needs room for kUtf8BlockBytes characters, which the
// step may all write. more: whether another block step is worth trying
// right after, which is when the step went up to the block's end (but for a
// character cut by it) and the block was not all ASCII; else the run has
// met something the block steps leave, or ASCII that the ASCII loop takes
// faster.
struct Utf8Block {
    unsigned used;
    unsigned stored;
    bool more;
};

// The widest block step's bytes: a run of block steps goes on while this
// many bytes are at hand and as many characters fit.
constexpr std::size_t kUtf8RunMargin = 32;

// Whether a step that used so many of a block's width bytes should be
// followed by another: it went to the block's end, or to a three-byte
// character cut by it, and the block was not all ASCII. A run goes on
// through the markup between words of another script (a closing and an
// opening tag, a link's start) while each block holds some of them.
inline bool GoesOn(unsigned used, unsigned width, bool nonAscii) {
    return used + 2 >= width && nonAscii;
}

// The plain form of a block step of width bytes (16 or 32): the vector
// forms must give exactly this, and builds without vectors run it.
inline Utf8Block ScalarUtf8Block(const unsigned char* bytes, char16_t* out,
                                 unsigned width = kUtf8BlockBytes) {
    unsigned at = 0;
    unsigned stored = 0;
    auto continues = [&](unsigned i) { return (bytes[i] & 0xC0) == 0x80; };
    while (at < width) {
        const unsigned lead = bytes[at];
        if (lead < 0x80 && lead != '\r') {
            out[stored++] = static_cast<char16_t>(lead);
            at += 1;
        } else if (lead >= 0xC2 && lead <= 0xDF && at + 1 < width && continues(at + 1)) {
            out[stored++] = static_cast<char16_t>((lead & 0x1F) << 6 | (bytes[at + 1] & 0x3F));
            at += 2;
        } else if (lead >= 0xE0 && lead <= 0xEF && at + 2 < width && continues(at + 1) &&
                   continues(at + 2) && !(lead == 0xE0 && bytes[at + 1] < 0xA0) &&
                   !(lead == 0xED && bytes[at + 1] > 0x9F)) {
            out[stored++] = static_cast<char16_t>(
                (lead & 0x0F) << 12 | (bytes[at + 1] & 0x3F) << 6 | (bytes[at + 2] & 0x3F));
            at += 3;
        } else {
            break;
        }
    }
    bool nonAscii = false;
    for (unsigned i = 0; i < width; ++i) {
        nonAscii = nonAscii || bytes[i] >= 0x80;
    }
    return {at, stored, GoesOn(at, width, nonAscii)};
}

namespace utf8_block_detail {

// The last byte of each whole character the step takes (ends), and how many
// bytes those characters cover (used), from one bit per byte of each kind.
struct Plan {
    std::uint64_t ends;
    unsigned used;
};

// The block's characters from one bit per byte of each kind: nonAscii (0x80
// and up), continuation (0x80 to 0xBF), pair and triple (leads of two- and
// three-byte characters, C2 to DF and E0 to EF), and stops: bytes the step
// never takes however they stand (CR, the second byte of an overlong form
// or a surrogate). Bits from width up stand for bytes past the block.
struct ByteKinds {
    std::uint64_t nonAscii;
    std::uint64_t continuation;
    std::uint64_t pair;
    std::uint64_t triple;
    std::uint64_t stops;
};

inline Plan PlanBlock(const ByteKinds& kinds, unsigned width) {
    const std::uint64_t expected = (kinds.pair | kinds.triple) << 1 | kinds.triple << 2;
    const std::uint64_t other = kinds.nonAscii & ~(kinds.continuation | kinds.pair | kinds.triple);
    // A byte that breaks the block: a continuation where none belongs or
    // none where one does (past the block, the character is cut), a byte
    // that never starts a character here, or a stop.
    const std::uint64_t breaks =
        (kinds.continuation ^ expected) | other | kinds.stops | std::uint64_t{1} << width;
    const std::uint64_t before = (breaks & (0 - breaks)) - 1;
    const std::uint64_t ends = (~kinds.nonAscii | kinds.pair << 1 | kinds.triple << 2) & before;
    if (ends == 0) {
        return {0, 0};
    }
    return {ends, 64u - static_cast<unsigned>(__builtin_clzll(ends))};
}

// The second bytes that would make a three-byte character an overlong form
// (below A0 after E0) or a surrogate (above 9F after ED), from the bits of
// the leads E0 and ED and of the bytes from 80 to 9F.
inline std::uint64_t OutOfRangeSeconds(std::uint64_t leadE0, std::uint64_t leadED,
                                       std::uint64_t lowSecond, std::uint64_t continuation) {
    return (leadE0 << 1 & lowSecond) | (leadED << 1 & continuation & ~lowSecond);
}

#if defined(QUENDIX_SSE2_LOOPS)
inline unsigned Sse2Mask(__m128i lanes) {
    return static_cast<unsigned>(_mm_movemask_epi8(lanes));
}

// Only text with E0 or ED leads has out-of-range second bytes to look for.
inline unsigned Sse2OutOfRangeSeconds(__m128i block, unsigned continuation) {
    const unsigned leadE0 = Sse2Mask(_mm_cmpeq_epi8(block, _mm_set1_epi8(static_cast<char>(0xE0))));
    const unsigned leadED = Sse2Mask(_mm_cmpeq_epi8(block, _mm_set1_epi8(static_cast<char>(0xED))));
    if ((leadE0 | leadED) == 0) {
        return 0;
    }
    const unsigned lowSecond = Sse2Mask(_mm_cmplt_epi8(block, _mm_set1_epi8(-96))); // 80 to 9F
    return static_cast<unsigned>(OutOfRangeSeconds(leadE0, leadED, lowSecond, continuation));
}

// Byte kinds by signed comparisons: continuation bytes are those below -64;
// adding 0xBE puts leads C2 to DF, and adding 0xA0 leads E0 to EF, at the
// bottom of the signed range, where no other byte lands.
inline ByteKinds Sse2ByteKinds(__m128i block) {
    auto below = [](__m128i lanes, int limit) {
        return Sse2Mask(_mm_cmplt_epi8(lanes, _mm_set1_epi8(static_cast<char>(limit))));
    };
    auto shifted = [&](int by) {
        return _mm_add_epi8(block, _mm_set1_epi8(static_cast<char>(by)));
    };
    ByteKinds kinds{};
    kinds.nonAscii = Sse2Mask(block);
    kinds.continuation = below(block, -64);
    kinds.pair = below(shifted(0xBE), -98);
    kinds.triple = below(shifted(0xA0), -112);
    kinds.stops = Sse2Mask(_mm_cmpeq_epi8(block, _mm_set1_epi8('\r')));
    if (kinds.triple != 0) {
        kinds.stops |= Sse2OutOfRangeSeconds(block, static_cast<unsigned>(kinds.continuation));
    }
    return kinds;
}

// Every byte's value if it ended a character: itself for ASCII, else its
// six bits with those of the one or two bytes before it, whose kinds the
// byte two back tells (a three-byte lead there or not).
struct Sse2Values {
    __m128i low;
    __m128i high;
};
inline __m128i Sse2EndValues(__m128i at, __m128i one, __m128i two) {
    const __m128i six = _mm_set1_epi16(0x3F);
    const __m128i tripleEnd =
        _mm_cmpeq_epi16(_mm_and_si128(two, _mm_set1_epi16(0xF0)), _mm_set1_epi16(0xE0));
    const __m128i leadBits = _mm_or_si128(_mm_set1_epi16(0x1F), _mm_and_si128(tripleEnd, six));
    const __m128i joined = _mm_or_si128(
        _mm_or_si128(_mm_and_si128(at, six), _mm_slli_epi16(_mm_and_si128(one, leadBits), 6)),
        _mm_and_si128(tripleEnd, _mm_slli_epi16(two, 12)));
    const __m128i ascii = _mm_cmplt_epi16(at, _mm_set1_epi16(0x80));
    return _mm_or_si128(_mm_and_si128(ascii, at), _mm_andnot_si128(ascii, joined));
}
#endif

} // namespace utf8_block_detail

#if defined(QUENDIX_SSE2_LOOPS)
// Without a byte shuffle, the values of the characters' last bytes are
// gathered one at a time from where the vector left them.
inline Utf8Block Sse2Utf8Block(const unsigned char* bytes, char16_t* out) {
    using namespace utf8_block_detail;
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
    const __m128i zero = _mm_setzero_si128();
    const ByteKinds kinds = Sse2ByteKinds(block);
    if ((kinds.nonAscii | kinds.stops) == 0) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(block, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(block, zero));
        return {kUtf8BlockBytes, kUtf8BlockBytes, false};
    }
    const Plan plan = PlanBlock(kinds, kUtf8BlockBytes);
    if (plan.used == 0) {
        return {0, 0, false};
    }
    const __m128i one = _mm_slli_si128(block, 1);
    const __m128i two = _mm_slli_si128(block, 2);
    alignas(16) char16_t values[kUtf8BlockBytes];
    _mm_store_si128(reinterpret_cast<__m128i*>(values),
                    Sse2EndValues(_mm_unpacklo_epi8(block, zero), _mm_unpacklo_epi8(one, zero),
                                  _mm_unpacklo_epi8(two, zero)));
    _mm_store_si128(reinterpret_cast<__m128i*>(values + 8),
                    Sse2EndValues(_mm_unpackhi_epi8(block, zero), _mm_unpackhi_epi8(one, zero),
                                  _mm_unpackhi_epi8(two, zero)));
    unsigned stored = 0;
    for (auto ends = static_cast<unsigned>(plan.ends); ends != 0; ends &= ends - 1) {
        out[stored++] = values[__builtin_ctz(ends)];
    }
    return {plan.used, stored, GoesOn(plan.used, kUtf8BlockBytes, kinds.nonAscii != 0)};
}
#endif

// What a run of block steps took: bytes used, characters stored.
struct Utf8Taken {
    std::size_t used;
    std::size_t stored;
};

// Takes a well-formed four-byte character at at (a rare ideograph in
// Chinese, an emoji) as its surrogate pair, so that a run of block steps
// goes on after it; whether it did.
inline bool TakeFourBytes(const unsigned char*& at, char16_t*& to) {
    char32_t character = 0;
    if (!DecodeUtf8FourBytes(at, &character)) {
        return false;
    }
    to[0] = static_cast<char16_t>(HighSurrogateOf(character));
    to[1] = static_cast<char16_t>(LowSurrogateOf(character));
    at += kMaxUtf8Bytes;
    to += 2;
    return true;
}

// Block steps (step, called with the bytes and where their characters go)
// one after another from bytes (size of them at hand) while each goes on to
// the next block, with out's room for room characters. A well-formed four-
// byte character where a step stopped is taken between steps, and the run
// goes on after it.
template <class Step>
Utf8Taken Utf8BlockRun(const unsigned char* bytes, std::size_t size, char16_t* out,
                       std::size_t room, const Step& step) {
    if (size < kUtf8RunMargin || room < kUtf8RunMargin) {
        return {0, 0};
    }
    const unsigned char* at = bytes;
    char16_t* to = out;
    const unsigned char* const lastBlock = bytes + (size - kUtf8RunMargin);
    char16_t* const lastRoom = out + (room - kUtf8RunMargin);
    // Every step, the first and one after a four-byte character too, starts
    // with a whole block of bytes and of room ahead.
    while (at <= lastBlock && to <= lastRoom) {
        const Utf8Block block = step(at, to);
        at += block.used;
        to += block.stored;
        if (!block.more &&
            (at > lastBlock || to > lastRoom || at[0] < 0xF0 || !TakeFourBytes(at, to))) {
            break;
        }
    }
    return {static_cast<std::size_t>(at - bytes), static_cast<std::size_t>(to - out)};
}

} // namespace quendix

#endif
