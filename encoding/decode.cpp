#include "encoding/decode.h"

#include "encoding/encoding_tables.h"
#include "encoding/multi_byte_decoders.h"
#include "encoding/single_byte.h"
#include "encoding/utf16.h"
#include "encoding/utf8.h"

namespace quendix {

namespace {

using decoder_detail::CutShort;
using decoder_detail::Give;
using decoder_detail::GiveError;
using decoder_detail::InRange;

// The standard's shared UTF-16 decoder. A leading surrogate followed by
// anything but a trailing one is an error, and the unit after it is decoded
// again; bytes left at the end of the input give one error together.
std::size_t DecodeUtf16(const unsigned char* bytes, std::size_t size, bool atEnd, bool bigEndian,
                        DecodedStep* decoded) {
    if (size < 2) {
        return CutShort(size, atEnd, decoded);
    }
    auto unitAt = [&](std::size_t offset) -> char32_t {
        return bigEndian ? (char32_t{bytes[offset]} << 8) | bytes[offset + 1]
                         : (char32_t{bytes[offset + 1]} << 8) | bytes[offset];
    };
    const char32_t first = unitAt(0);
    if (!IsSurrogate(first)) {
        return Give(decoded, first, 2);
    }
    if (IsLowSurrogate(first)) {
        return GiveError(decoded, 2);
    }
    if (size < 4) {
        return CutShort(size, atEnd, decoded);
    }
    const char32_t second = unitAt(2);
    if (!IsLowSurrogate(second)) {
        return GiveError(decoded, 2);
    }
    return Give(decoded, JoinSurrogates(first, second), 4);
}

// ISO-2022-JP's character sets, switched by escape sequences.
enum Iso2022JpSet : unsigned char { kAscii, kRoman, kKatakana, kJis0208 };

// The set an escape sequence ESC leading final switches to, or -1.
int EscapedSet(unsigned leading, unsigned final) {
    if (leading == 0x28) {
        return final == 0x42 ? kAscii : final == 0x4A ? kRoman : final == 0x49 ? kKatakana : -1;
    }
    return (final == 0x40 || final == 0x42) ? kJis0208 : -1;
}

// ESC at bytes[0]. A whole escape sequence switches the set and gives
// nothing, or an error when nothing came since the last one; anything else
// is an error for the ESC alone, and what follows it is decoded again.
std::size_t DecodeIso2022JpEscape(DecoderState& state, const unsigned char* bytes, std::size_t size,
                                  bool atEnd, DecodedStep* decoded) {
    const bool opens = size >= 2 && (bytes[1] == 0x24 || bytes[1] == 0x28);
    if ((size < 2 || (opens && size < 3)) && !atEnd) {
        return 0;
    }
    const int set = opens && size >= 3 ? EscapedSet(bytes[1], bytes[2]) : -1;
    if (set < 0) {
        state.iso2022JpOutput = false;
        return GiveError(decoded, 1);
    }
    state.iso2022JpSet = static_cast<unsigned char>(set);
    const bool gaveNothing = !state.iso2022JpOutput;
    state.iso2022JpOutput = true;
    if (gaveNothing) {
        decoded->count = 0;
        return 3;
    }
    return GiveError(decoded, 3);
}

std::size_t DecodeIso2022Jp(DecoderState& state, const unsigned char* bytes, std::size_t size,
                            bool atEnd, DecodedStep* decoded) {
    const unsigned byte = bytes[0];
    if (byte == 0x1B) {
        return DecodeIso2022JpEscape(state, bytes, size, atEnd, decoded);
    }
    DecoderState next = state;
    next.iso2022JpOutput = false;
    std::size_t used = 0;
    switch (state.iso2022JpSet) {
    case kAscii:
    case kRoman:
        if (byte > 0x7F || byte == 0x0E || byte == 0x0F) {
            used = GiveError(decoded, 1);
        } else if (state.iso2022JpSet == kRoman && (byte == 0x5C || byte == 0x7E)) {
            used = Give(decoded, byte == 0x5C ? 0x00A5 : 0x203E, 1);
        } else {
            used = Give(decoded, byte, 1);
        }
        break;
    case kKatakana:
        used = InRange(byte, 0x21, 0x5F) ? Give(decoded, 0xFF61 - 0x21 + byte, 1)
                                         : GiveError(decoded, 1);
        break;
    default:
        if (!InRange(byte, 0x21, 0x7E)) {
            used = GiveError(decoded, 1);
        } else if (size < 2) {
            used = CutShort(size, atEnd, decoded);
        } else if (bytes[1] == 0x1B) {
            used = GiveError(decoded, 1); // the ESC starts the next step
        } else if (!InRange(bytes[1], 0x21, 0x7E)) {
            used = GiveError(decoded, 2);
        } else {
            const char32_t codePoint =
                IndexCodePoint(quendix_index_jis0208, quendix_index_jis0208_size,
                               (byte - 0x21) * 94 + bytes[1] - 0x21);
            used = codePoint != 0 ? Give(decoded, codePoint, 2) : GiveError(decoded, 2);
        }
        break;
    }
    if (used != 0) {
        state = next;
    }
    return used;
}

// The replacement encoding: one U+FFFD for the whole input, whatever it
// holds.
std::size_t DecodeReplacement(DecoderState& state, std::size_t size, DecodedStep* decoded) {
    decoded->count = state.replacementGiven ? 0 : 1;
    decoded->characters[0] = kReplacementCharacter;
    state.replacementGiven = true;
    return size;
}

} // namespace

std::size_t DecodeStep(Encoding encoding, DecoderState& state, const unsigned char* bytes,
                       std::size_t size, bool atEnd, DecodedStep* decoded) {
    if (size == 0) {
        return 0;
    }
    switch (encoding) {
    case Encoding::Utf8: {
        decoded->count = 1;
        return DecodeUtf8(bytes, size, atEnd, &decoded->characters[0]);
    }
    case Encoding::Utf16LE:
        return DecodeUtf16(bytes, size, atEnd, false, decoded);
    case Encoding::Utf16BE:
        return DecodeUtf16(bytes, size, atEnd, true, decoded);
    case Encoding::Gbk:
    case Encoding::Gb18030:
        return DecodeGb18030(bytes, size, atEnd, decoded);
    case Encoding::Big5:
        return DecodeBig5(bytes, size, atEnd, decoded);
    case Encoding::EucJp:
        return DecodeEucJp(bytes, size, atEnd, decoded);
    case Encoding::Iso2022Jp:
        return DecodeIso2022Jp(state, bytes, size, atEnd, decoded);
    case Encoding::ShiftJis:
        return DecodeShiftJis(bytes, size, atEnd, decoded);
    case Encoding::EucKr:
        return DecodeEucKr(bytes, size, atEnd, decoded);
    case Encoding::Replacement:
        return DecodeReplacement(state, size, decoded);
    case Encoding::XUserDefined:
        return Give(decoded, bytes[0] < 0x80 ? bytes[0] : 0xF780 + bytes[0] - 0x80, 1);
    default:
        return Give(decoded, SingleByteCodePoint(SingleByteRow(encoding), bytes[0]), 1);
    }
}

} // namespace quendix
