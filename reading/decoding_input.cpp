#include "reading/decoding_input.h"

#include "encoding/single_byte.h"
#include "reading/text_runs.h"
#include "simd/loop_primitives.h"

namespace quendix {

namespace {

// The next step's characters, CR LF joined into LF, and the decoder state
// after them. Returns the bytes used, 0 at the end of input.
std::size_t NextStep(DecodingInput& stream, DecoderState& state, DecodedStep* step) {
    EnsureBytes(stream, kMaxStepBytes);
    std::size_t used = DecodeStep(stream.encoding, state, stream.bytes + stream.position,
                                  stream.filled - stream.position, stream.fileExhausted, step);
    if (used == 0 || step->count != 1 || step->characters[0] != U'\r') {
        return used;
    }
    // Look past the CR on a copy of the state, which counts only if an LF
    // follows. An ISO-2022-JP escape sequence between them gives nothing,
    // and after a CR only one can (a second gives an error).
    EnsureBytes(stream, used + 2 * kMaxStepBytes);
    DecoderState ahead = state;
    std::size_t extra = 0;
    for (int look = 0; look < 2; ++look) {
        const std::size_t at = stream.position + used + extra;
        DecodedStep next;
        const std::size_t nextUsed = DecodeStep(stream.encoding, ahead, stream.bytes + at,
                                                stream.filled - at, stream.fileExhausted, &next);
        extra += nextUsed;
        if (nextUsed == 0 || next.count != 0) {
            if (nextUsed != 0 && next.count == 1 && next.characters[0] == U'\n') {
                step->characters[0] = U'\n';
                state = ahead;
                used += extra;
            }
            break;
        }
    }
    return used;
}

// Decodes the next step the general way and stores its characters at
// out[count]. False, storing nothing, at the end of input or when the
// characters would not fit whole (they are left for the next read).
__attribute__((noinline)) bool TakeStep(DecodingInput& stream, char16_t* out, std::size_t& count,
                                        std::size_t capacity) {
    DecoderState state = stream.decoder;
    DecodedStep step;
    const std::size_t used = NextStep(stream, state, &step);
    if (used == 0) {
        stream.atEnd = true;
        return false;
    }
    std::size_t units = step.count;
    if (step.count == 1 && step.characters[0] >= kFirstPairedCharacter) {
        units = 2;
    }
    if (capacity - count < units) {
        return false;
    }
    for (unsigned i = 0; i < step.count; ++i) {
        count += StoreCharacter(out + count, step.characters[i]);
    }
    stream.position += used;
    stream.decoder = state;
    return true;
}

// Encodings in which ASCII stands for itself: ASCII runs are copied
// straight from the buffer, Runs decodes the rest in place, and whatever
// neither takes (CR, a step across the buffer's end, one that does not fit)
// goes through TakeStep.
template <class Steps, class Runs>
std::size_t ReadAsciiCompatible(DecodingInput& stream, char16_t* out, std::size_t capacity) {
    std::size_t count = 0;
    while (count < capacity) {
        const unsigned char* bytes = stream.bytes + stream.position;
        const std::size_t available = stream.filled - stream.position;
        const std::size_t room = capacity - count;
        const std::size_t run =
            CopyAsciiRun<Steps>(bytes, available < room ? available : room, out + count);
        count += run;
        stream.position += run;
        if (count == capacity) {
            break;
        }
        if (run < available && bytes[run] >= 0x80 &&
            Runs::template Decode<Steps>(stream, out, count, capacity)) {
            continue;
        }
        if (!TakeStep(stream, out, count, capacity)) {
            break;
        }
    }
    return count;
}

template <class Runs>
QUENDIX_AVX2_LOOP std::size_t ReadAsciiCompatibleAvx2(DecodingInput& stream, char16_t* out,
                                                      std::size_t capacity) {
    return ReadAsciiCompatible<Avx2Steps, Runs>(stream, out, capacity);
}

template <class Runs>
std::size_t ReadWithRuns(DecodingInput& stream, char16_t* out, std::size_t capacity) {
    if constexpr (kAvx2Loops) {
        if (UseAvx2Loops()) {
            return ReadAsciiCompatibleAvx2<Runs>(stream, out, capacity);
        }
    }
    return ReadAsciiCompatible<BaselineSteps, Runs>(stream, out, capacity);
}

// UTF-16, ISO-2022-JP and replacement: a step at a time.
std::size_t ReadStepByStep(DecodingInput& stream, char16_t* out, std::size_t capacity) {
    std::size_t count = 0;
    while (count < capacity && TakeStep(stream, out, count, capacity)) {
    }
    return count;
}

// A single-byte encoding's character for every byte.
void FillByteTable(DecodingInput& stream) {
    const bool userDefined = stream.encoding == Encoding::XUserDefined;
    const std::uint16_t* row = userDefined ? nullptr : SingleByteRow(stream.encoding);
    for (unsigned byte = 0; byte < 256; ++byte) {
        const char32_t character = byte < 0x80   ? byte
                                   : userDefined ? 0xF780 + byte - 0x80
                                                 : SingleByteCodePoint(row, byte);
        stream.byteTable[byte] = static_cast<char16_t>(character);
    }
}

} // namespace

void ChooseEncoding(DecodingInput& stream, const Encoding* chosen) {
    // The encoding is chosen from the first buffer's worth of bytes, which
    // holds any byte-order mark and the XML declaration.
    EnsureBytes(stream, kInputBufferBytes);
    const DetectedEncoding detected = DetectEncoding(stream.bytes, stream.filled);
    stream.encoding = detected.encoding;
    stream.encodingSource = detected.source;
    stream.position = detected.byteOrderMarkLength;
    if (chosen != nullptr && detected.source != EncodingSource::ByteOrderMark) {
        stream.encoding = *chosen;
        stream.encodingSource = EncodingSource::Chosen;
    }
    stream.decoder = DecoderState{};
    if (IsSingleByte(stream.encoding) || stream.encoding == Encoding::XUserDefined) {
        FillByteTable(stream);
    }
}

std::size_t ReadText(DecodingInput& stream, char16_t* text, std::size_t capacity) {
    switch (stream.encoding) {
    case Encoding::Utf8:
        return ReadWithRuns<Utf8Runs>(stream, text, capacity);
    case Encoding::Gbk:
    case Encoding::Gb18030:
        return ReadWithRuns<MultiByteRuns<DecodeGb18030, Gb18030Pairs>>(stream, text, capacity);
    case Encoding::Big5:
        return ReadWithRuns<MultiByteRuns<DecodeBig5>>(stream, text, capacity);
    case Encoding::EucJp:
        return ReadWithRuns<MultiByteRuns<DecodeEucJp, EucJpPairs>>(stream, text, capacity);
    case Encoding::ShiftJis:
        return ReadWithRuns<MultiByteRuns<DecodeShiftJis, ShiftJisPairs>>(stream, text, capacity);
    case Encoding::EucKr:
        return ReadWithRuns<MultiByteRuns<DecodeEucKr, EucKrPairs>>(stream, text, capacity);
    case Encoding::Utf16BE:
    case Encoding::Utf16LE:
    case Encoding::Iso2022Jp:
    case Encoding::Replacement:
        return ReadStepByStep(stream, text, capacity);
    default:
        return ReadWithRuns<SingleByteRuns>(stream, text, capacity);
    }
}

} // namespace quendix
