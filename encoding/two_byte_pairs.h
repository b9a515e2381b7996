// The ordinary two-byte characters of the legacy encodings whose two-byte
// steps are a lookup in one index (pair_shape.h). Japanese or Chinese text
// is long runs of them, so the read loop takes them here: sixteen at a time
// with the vector step where there is one, else each with two small lookups
// and the index's, and no branch on the bytes' kind. Whatever is not an
// ordinary pair (a single byte, an error, an index gap, Shift_JIS's
// user-defined area, gb18030's four bytes, EUC-JP's 0x8E and 0x8F) is left
// to the encoding's decoder, which gives the same answer for these.
//
// Big5 is not here: four of its pointers give two code points, and those
// beyond the BMP are listed apart from its index.
#ifndef QUENDIX_ENCODING_TWO_BYTE_PAIRS_H
#define QUENDIX_ENCODING_TWO_BYTE_PAIRS_H

#include "encoding/encoding_tables.h"
#include "encoding/pair_shape.h"

#include <cstddef>
#include <cstdint>

namespace quendix {

// A shape as two tables: the pointer is lead[lead byte] + trail[trail
// byte], negative when either byte cannot stand there.
struct PairParts {
    std::int16_t lead[256];
    std::int16_t trail[256];
};

namespace pair_detail {

// Below 0 even with the largest part of the other byte added; two of them
// add up below 0 too, as the sum is an int.
constexpr std::int16_t kNoPart = -0x8000;

constexpr void SetParts(std::int16_t* parts, const ByteRange& range, int scale) {
    for (int byte = range.low; byte <= range.high; ++byte) {
        parts[byte] = static_cast<std::int16_t>((byte - range.base) * scale);
    }
}

constexpr PairParts PartsOf(const PairShape& shape) {
    PairParts parts{};
    for (int byte = 0; byte < 256; ++byte) {
        parts.lead[byte] = kNoPart;
        parts.trail[byte] = kNoPart;
    }
    for (const ByteRange& range : shape.leads) {
        SetParts(parts.lead, range, shape.rowLength);
    }
    for (const ByteRange& range : shape.trails) {
        SetParts(parts.trail, range, 1);
    }
    return parts;
}

} // namespace pair_detail

// Takes the ordinary pairs from bytes[position] on while two bytes are at
// hand and there is room; returns whether it took any.
template <const PairShape& Shape, const std::uint16_t* Index, const std::uint32_t& Size>
struct IndexPairs {
    static constexpr PairParts kParts = pair_detail::PartsOf(Shape);

    template <class Steps>
    static bool Take(const unsigned char* bytes, std::size_t& position, std::size_t filled,
                     char16_t* out, std::size_t& stored, std::size_t capacity) {
        const std::size_t pairs = (filled - position) / 2;
        const std::size_t room = capacity - stored;
        const unsigned char* const start = bytes + position;
        const unsigned char* const end = start + 2 * (pairs < room ? pairs : room);
        const unsigned char* in = start;
        char16_t* next = out + stored;
        const std::uint32_t size = Size;
        // A step of many pairs while the run goes on; the run's end, and
        // all of it without such a step, one pair at a time.
        constexpr unsigned kStep = Steps::kPairsAStep;
        if constexpr (kStep != 0) {
            while (static_cast<std::size_t>(end - in) >= 2 * kStep &&
                   Steps::PairStep(in, Shape, Index, size, next)) {
                in += 2 * kStep;
                next += kStep;
            }
        }
        while (in != end) {
            const int pointer = kParts.lead[in[0]] + kParts.trail[in[1]];
            if (static_cast<std::uint32_t>(pointer) >= size) {
                break;
            }
            const std::uint16_t codePoint = Index[pointer];
            if (codePoint == 0) {
                break;
            }
            *next++ = static_cast<char16_t>(codePoint);
            in += 2;
        }
        const std::size_t taken = static_cast<std::size_t>(in - start) / 2;
        position += 2 * taken;
        stored += taken;
        return taken != 0;
    }
};

// For the decoders that take no pairs this way.
struct NoPairs {
    template <class Steps>
    static bool Take(const unsigned char*, std::size_t&, std::size_t, char16_t*, std::size_t&,
                     std::size_t) {
        return false;
    }
};

using ShiftJisPairs = IndexPairs<kShiftJisShape, quendix_index_jis0208, quendix_index_jis0208_size>;
using Gb18030Pairs = IndexPairs<kGb18030Shape, quendix_index_gb18030, quendix_index_gb18030_size>;
using EucJpPairs = IndexPairs<kEucJpShape, quendix_index_jis0208, quendix_index_jis0208_size>;
using EucKrPairs = IndexPairs<kEucKrShape, quendix_index_euc_kr, quendix_index_euc_kr_size>;

} // namespace quendix

#endif
