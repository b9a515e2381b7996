// The decoders of the legacy Chinese, Japanese and Korean encodings whose
// steps are self-contained (all but ISO-2022-JP), inline so the read loop's
// run of non-ASCII text calls them directly. Each follows its decoder in the
// Encoding Standard: a step is one lead byte and its trail bytes; after an
// error, a trail byte the standard restores (an ASCII byte, mostly) is not
// used, so the next step decodes it again; bytes cut off by the end of the
// input give one error together.
//
// Each takes bytes[0, size), size at least 1, and returns the bytes used, or
// 0 when more may follow (atEnd false) and the step needs them.
#ifndef QUENDIX_ENCODING_MULTI_BYTE_DECODERS_H
#define QUENDIX_ENCODING_MULTI_BYTE_DECODERS_H

#include "encoding/encoding.h"
#include "encoding/encoding_tables.h"
#include "encoding/step.h"

#include <cstddef>

namespace quendix {

namespace decoder_detail {

inline std::size_t Give(DecodedStep* decoded, char32_t character, std::size_t used) {
    decoded->count = 1;
    decoded->characters[0] = character;
    return used;
}

inline std::size_t GiveError(DecodedStep* decoded, std::size_t used) {
    return Give(decoded, kReplacementCharacter, used);
}

// A step cut short: wait for more, or at the end of the input, one error
// for every byte left.
inline std::size_t CutShort(std::size_t size, bool atEnd, DecodedStep* decoded) {
    return atEnd ? GiveError(decoded, size) : 0;
}

inline bool InRange(unsigned byte, unsigned low, unsigned high) {
    return byte - low <= high - low;
}

// A two-byte step that found no code point: an ASCII trail byte is
// restored (decoded again), any other is used up with the lead.
inline std::size_t TrailError(unsigned trail, DecodedStep* decoded) {
    return GiveError(decoded, trail < 0x80 ? 1 : 2);
}

// A step of Big5 or EUC-KR: an ASCII byte is itself, a byte outside the
// leads (0x81 to 0xFE) is an error, a lead at the end of the bytes is cut
// short, and a lead with its trail byte is the encoding's own Pair's.
template <std::size_t (*Pair)(unsigned lead, unsigned trail, DecodedStep* decoded)>
inline std::size_t DecodeLeadAndTrail(const unsigned char* bytes, std::size_t size, bool atEnd,
                                      DecodedStep* decoded) {
    const unsigned lead = bytes[0];
    if (lead < 0x80) {
        return Give(decoded, lead, 1);
    }
    if (!InRange(lead, 0x81, 0xFE)) {
        return GiveError(decoded, 1);
    }
    if (size < 2) {
        return CutShort(size, atEnd, decoded);
    }
    return Pair(lead, bytes[1], decoded);
}

// The two-byte steps of Big5 and EUC-KR, once lead and trail are there.
inline std::size_t DecodeBig5Pair(unsigned lead, unsigned trail, DecodedStep* decoded) {
    if (!InRange(trail, 0x40, 0x7E) && !InRange(trail, 0xA1, 0xFE)) {
        return TrailError(trail, decoded);
    }
    const unsigned pointer = (lead - 0x81) * 157 + (trail - (trail < 0x7F ? 0x40 : 0x62));
    // Four pointers stand for a letter with a combining mark: two code
    // points, as the index holds one at most.
    if (pointer == 1133 || pointer == 1135 || pointer == 1164 || pointer == 1166) {
        decoded->count = 2;
        decoded->characters[0] = pointer < 1164 ? 0x00CA : 0x00EA;
        decoded->characters[1] = (pointer == 1133 || pointer == 1164) ? 0x0304 : 0x030C;
        return 2;
    }
    const char32_t codePoint = Big5CodePoint(pointer);
    return codePoint != 0 ? Give(decoded, codePoint, 2) : TrailError(trail, decoded);
}

inline std::size_t DecodeEucKrPair(unsigned lead, unsigned trail, DecodedStep* decoded) {
    char32_t codePoint = 0;
    if (InRange(trail, 0x41, 0xFE)) {
        codePoint = IndexCodePoint(quendix_index_euc_kr, quendix_index_euc_kr_size,
                                   (lead - 0x81) * 190 + trail - 0x41);
    }
    return codePoint != 0 ? Give(decoded, codePoint, 2) : TrailError(trail, decoded);
}

} // namespace decoder_detail

// gb18030, and GBK, whose decoder is gb18030's.
inline std::size_t DecodeGb18030(const unsigned char* bytes, std::size_t size, bool atEnd,
                                 DecodedStep* decoded) {
    using namespace decoder_detail;
    const unsigned first = bytes[0];
    if (first < 0x80) {
        return Give(decoded, first, 1);
    }
    if (first == 0x80) {
        return Give(decoded, 0x20AC, 1);
    }
    if (first == 0xFF) {
        return GiveError(decoded, 1);
    }
    if (size < 2) {
        return CutShort(size, atEnd, decoded);
    }
    const unsigned second = bytes[1];
    if (!InRange(second, 0x30, 0x39)) {
        unsigned pointer = 0xFFFFFFFF;
        if (InRange(second, 0x40, 0x7E) || InRange(second, 0x80, 0xFE)) {
            pointer = (first - 0x81) * 190 + (second - (second < 0x7F ? 0x40 : 0x41));
        }
        const char32_t codePoint =
            IndexCodePoint(quendix_index_gb18030, quendix_index_gb18030_size, pointer);
        return codePoint != 0 ? Give(decoded, codePoint, 2) : TrailError(second, decoded);
    }
    // Four bytes: the second and third are restored when the sequence breaks.
    if (size < 3) {
        return CutShort(size, atEnd, decoded);
    }
    const unsigned third = bytes[2];
    if (!InRange(third, 0x81, 0xFE)) {
        return GiveError(decoded, 1);
    }
    if (size < 4) {
        return CutShort(size, atEnd, decoded);
    }
    const unsigned fourth = bytes[3];
    if (!InRange(fourth, 0x30, 0x39)) {
        return GiveError(decoded, 1);
    }
    const unsigned pointer = (first - 0x81) * (10 * 126 * 10) + (second - 0x30) * (10 * 126) +
                             (third - 0x81) * 10 + (fourth - 0x30);
    const char32_t codePoint = Gb18030RangesCodePoint(pointer);
    return codePoint != 0 ? Give(decoded, codePoint, 4) : GiveError(decoded, 4);
}

inline std::size_t DecodeBig5(const unsigned char* bytes, std::size_t size, bool atEnd,
                              DecodedStep* decoded) {
    using namespace decoder_detail;
    return DecodeLeadAndTrail<DecodeBig5Pair>(bytes, size, atEnd, decoded);
}

inline std::size_t DecodeEucJp(const unsigned char* bytes, std::size_t size, bool atEnd,
                               DecodedStep* decoded) {
    using namespace decoder_detail;
    const unsigned lead = bytes[0];
    if (lead < 0x80) {
        return Give(decoded, lead, 1);
    }
    if (lead != 0x8E && lead != 0x8F && !InRange(lead, 0xA1, 0xFE)) {
        return GiveError(decoded, 1);
    }
    if (size < 2) {
        return CutShort(size, atEnd, decoded);
    }
    const unsigned trail = bytes[1];
    if (lead == 0x8E && InRange(trail, 0xA1, 0xDF)) {
        return Give(decoded, 0xFF61 - 0xA1 + trail, 2); // half-width katakana
    }
    if (lead == 0x8F && InRange(trail, 0xA1, 0xFE)) {
        // JIS X 0212: 0x8F, then a lead and a trail of its own.
        if (size < 3) {
            return CutShort(size, atEnd, decoded);
        }
        const unsigned last = bytes[2];
        char32_t codePoint = 0;
        if (InRange(last, 0xA1, 0xFE)) {
            codePoint = IndexCodePoint(quendix_index_jis0212, quendix_index_jis0212_size,
                                       (trail - 0xA1) * 94 + last - 0xA1);
        }
        if (codePoint != 0) {
            return Give(decoded, codePoint, 3);
        }
        return GiveError(decoded, last < 0x80 ? 2 : 3);
    }
    char32_t codePoint = 0;
    if (InRange(lead, 0xA1, 0xFE) && InRange(trail, 0xA1, 0xFE)) {
        codePoint = IndexCodePoint(quendix_index_jis0208, quendix_index_jis0208_size,
                                   (lead - 0xA1) * 94 + trail - 0xA1);
    }
    return codePoint != 0 ? Give(decoded, codePoint, 2) : TrailError(trail, decoded);
}

inline std::size_t DecodeShiftJis(const unsigned char* bytes, std::size_t size, bool atEnd,
                                  DecodedStep* decoded) {
    using namespace decoder_detail;
    const unsigned lead = bytes[0];
    if (lead <= 0x80) {
        return Give(decoded, lead, 1);
    }
    if (InRange(lead, 0xA1, 0xDF)) {
        return Give(decoded, 0xFF61 - 0xA1 + lead, 1); // half-width katakana
    }
    if (!InRange(lead, 0x81, 0x9F) && !InRange(lead, 0xE0, 0xFC)) {
        return GiveError(decoded, 1);
    }
    if (size < 2) {
        return CutShort(size, atEnd, decoded);
    }
    const unsigned trail = bytes[1];
    if (!InRange(trail, 0x40, 0x7E) && !InRange(trail, 0x80, 0xFC)) {
        return TrailError(trail, decoded);
    }
    const unsigned pointer =
        (lead - (lead < 0xA0 ? 0x81 : 0xC1)) * 188 + trail - (trail < 0x7F ? 0x40 : 0x41);
    if (InRange(pointer, 8836, 10715)) {
        return Give(decoded, 0xE000 - 8836 + pointer, 2); // the user-defined area
    }
    const char32_t codePoint =
        IndexCodePoint(quendix_index_jis0208, quendix_index_jis0208_size, pointer);
    return codePoint != 0 ? Give(decoded, codePoint, 2) : TrailError(trail, decoded);
}

inline std::size_t DecodeEucKr(const unsigned char* bytes, std::size_t size, bool atEnd,
                               DecodedStep* decoded) {
    using namespace decoder_detail;
    return DecodeLeadAndTrail<DecodeEucKrPair>(bytes, size, atEnd, decoded);
}

} // namespace quendix

#endif
