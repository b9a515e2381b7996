#include "platform/wide_stream.h"

#include "platform/processor.h"

#include <cstring>

#if defined(QUENDIX_SSE2_LOOPS)
#include <emmintrin.h>
#endif
#if defined(QUENDIX_AVX2_LOOPS)
#include <immintrin.h>
#endif

namespace quendix {

namespace {

// Makes at least wanted undecoded bytes available, unless the file ends
// first. Undecoded bytes move to the front of the buffer to make room.
void EnsureBytes(WideInputStream& stream, std::size_t wanted) {
    if (stream.filled - stream.position >= wanted || stream.fileExhausted) {
        return;
    }
    const std::size_t kept = stream.filled - stream.position;
    std::memmove(stream.bytes, stream.bytes + stream.position, kept);
    stream.position = 0;
    stream.filled = kept;
    while (stream.filled < wanted && !stream.fileExhausted) {
        const std::size_t asked = kInputBufferBytes - stream.filled;
        const std::size_t got = std::fread(stream.bytes + stream.filled, 1, asked, stream.file);
        stream.filled += got;
        // fread stops short only at the end of the file or on an error, so
        // there is no need to ask again and be told so.
        if (got < asked) {
            stream.fileExhausted = true;
            stream.readFailed = std::ferror(stream.file) != 0;
        }
    }
}

bool IsSingleByteEncoding(Encoding encoding) {
    return encoding == Encoding::Utf8 || encoding == Encoding::Windows1252;
}

// Lines: ReadLine stops after each newline. Text: ReadText reads across
// them.
enum class Reading { Lines, Text };

// A byte that ends a run of characters copied as they are: the start of a
// character of more than one byte (or a windows-1252 mark), CR, and LF
// when reading lines.
template <Reading kReading> inline bool EndsAsciiRun(unsigned char byte) {
    return byte >= 0x80 || byte == '\r' || (kReading == Reading::Lines && byte == '\n');
}

#if defined(QUENDIX_SSE2_LOOPS)
// Reading text, thirty-two bytes are copied as characters a step; a step
// returns one bit for each byte that ends the run (a high byte or CR).
struct NarrowSteps {
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
};
#endif

#if defined(QUENDIX_AVX2_LOOPS)
// The same step with one load and two 32-byte widening stores.
struct WideSteps {
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
};
#endif

// Without SSE2 there are no steps: the scalar loop copies every run.
struct ScalarSteps {};

#if defined(QUENDIX_SSE2_LOOPS)
using BaselineSteps = NarrowSteps;
#else
using BaselineSteps = ScalarSteps;
#endif

// Copies the run of plain ASCII characters at the start of bytes[0, limit)
// as 16-bit characters, up to the first byte that EndsAsciiRun, and returns
// its length: the bulk of most feeds, and the same in both single-byte
// encodings. It may write past the run, up to out[limit - 1].
template <Reading kReading, class Steps>
std::size_t CopyAsciiRun(const unsigned char* bytes, std::size_t limit, char16_t* out) {
    std::size_t count = 0;
#if defined(QUENDIX_SSE2_LOOPS)
    // Sixteen bytes at a time; the sign bit of a byte marks 0x80 and up.
    // Reading lines, a signed comparison with 0x0E first flags every
    // control up to CR with those bytes in one step, and only then are CR
    // and LF told apart from a tab, say.
    const __m128i controlsUpToCr = _mm_set1_epi8(0x0E);
    const __m128i carriageReturn = _mm_set1_epi8('\r');
    const __m128i lineFeed = _mm_set1_epi8('\n');
    const __m128i zero = _mm_setzero_si128();
    if (kReading == Reading::Text) {
        // Across lines, thirty-two bytes a step: only CR and the high bytes
        // stop.
        for (; limit - count >= 32; count += 32) {
            const unsigned stops = Steps::CopyStep(bytes + count, out + count);
            if (stops != 0) {
                return count + static_cast<std::size_t>(__builtin_ctz(stops));
            }
        }
    }
    for (; limit - count >= 16; count += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + count));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + count), _mm_unpacklo_epi8(block, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + count + 8),
                         _mm_unpackhi_epi8(block, zero));
        __m128i ends = _mm_or_si128(block, _mm_cmpeq_epi8(block, carriageReturn));
        if (kReading == Reading::Lines) {
            if (_mm_movemask_epi8(_mm_cmplt_epi8(block, controlsUpToCr)) == 0) {
                continue;
            }
            ends = _mm_or_si128(ends, _mm_cmpeq_epi8(block, lineFeed));
        }
        const unsigned stops = static_cast<unsigned>(_mm_movemask_epi8(ends));
        if (stops != 0) {
            return count + static_cast<std::size_t>(__builtin_ctz(stops));
        }
    }
#endif
    for (; count < limit && !EndsAsciiRun<kReading>(bytes[count]); ++count) {
        out[count] = bytes[count];
    }
    return count;
}

// Decodes a well-formed UTF-8 sequence of two or three bytes lying wholly
// in bytes[0, size): it stores the character and returns the sequence's
// length. Returns 0 for anything else, which DecodeCharacter then takes.
inline std::size_t DecodeShortUtf8(const unsigned char* bytes, std::size_t size, char16_t* unit) {
    const unsigned lead = bytes[0];
    if (lead >= 0xC2 && lead <= 0xDF) {
        if (size < 2 || (bytes[1] & 0xC0) != 0x80) {
            return 0;
        }
        *unit = static_cast<char16_t>(((lead & 0x1F) << 6) | (bytes[1] & 0x3F));
        return 2;
    }
    if (lead < 0xE0 || lead > 0xEF || size < 3) {
        return 0;
    }
    // No overlong forms (E0 80..9F) and no surrogates (ED A0..BF).
    const unsigned lower = lead == 0xE0 ? 0xA0 : 0x80;
    const unsigned upper = lead == 0xED ? 0x9F : 0xBF;
    if (bytes[1] < lower || bytes[1] > upper || (bytes[2] & 0xC0) != 0x80) {
        return 0;
    }
    *unit =
        static_cast<char16_t>(((lead & 0x0F) << 12) | ((bytes[1] & 0x3F) << 6) | (bytes[2] & 0x3F));
    return 3;
}

// Decodes the well-formed two- and three-byte UTF-8 sequences that follow
// one another from the stream's position, as in a word of Greek or
// Japanese, without going back to the ASCII loop between them. False when
// the first byte does not start one.
inline bool DecodeShortUtf8Run(WideInputStream& stream, char16_t* out, std::size_t& count,
                               std::size_t capacity) {
    // Local copies, which stay in registers for the run.
    const unsigned char* const bytes = stream.bytes;
    const std::size_t filled = stream.filled;
    const std::size_t start = stream.position;
    std::size_t position = start;
    std::size_t stored = count;
    while (stored < capacity && bytes[position] >= 0x80) {
        const std::size_t used = DecodeShortUtf8(bytes + position, filled - position, out + stored);
        if (used == 0) {
            break;
        }
        ++stored;
        position += used;
        if (position == filled) {
            break;
        }
    }
    stream.position = position;
    count = stored;
    return position != start;
}

// Decodes the next character, turning CR LF into LF. Returns the bytes it
// used, 0 at the end of input.
std::size_t NextCharacter(WideInputStream& stream, char32_t* character) {
    EnsureBytes(stream, kMaxCharacterBytes);
    const std::size_t available = stream.filled - stream.position;
    if (available == 0) {
        return 0;
    }
    std::size_t used = DecodeCharacter(stream.encoding, stream.bytes + stream.position, available,
                                       stream.fileExhausted, character);
    if (*character != U'\r') {
        return used;
    }
    EnsureBytes(stream, used + kMaxCharacterBytes);
    char32_t following = 0;
    const std::size_t followingUsed =
        DecodeCharacter(stream.encoding, stream.bytes + stream.position + used,
                        stream.filled - stream.position - used, stream.fileExhausted, &following);
    if (followingUsed != 0 && following == U'\n') {
        *character = U'\n';
        used += followingUsed;
    }
    return used;
}

// What TakeCharacter gives when it stores nothing.
constexpr char32_t kNoCharacter = 0xFFFFFFFF;

// Decodes the next character into out[count], the general way, and returns
// it. Stores nothing and returns kNoCharacter at the end of input, or when
// a character above U+FFFF no longer fits (it is left for the next read).
#if defined(__GNUC__)
__attribute__((noinline))
#endif
char32_t
TakeCharacter(WideInputStream& stream, char16_t* out, std::size_t& count, std::size_t capacity) {
    char32_t character = 0;
    const std::size_t used = NextCharacter(stream, &character);
    if (used == 0) {
        stream.atEnd = true;
        return kNoCharacter;
    }
    if (character >= 0x10000) {
        if (capacity - count < 2) {
            return kNoCharacter;
        }
        out[count++] = static_cast<char16_t>(0xD800 + ((character - 0x10000) >> 10));
        out[count++] = static_cast<char16_t>(0xDC00 + ((character - 0x10000) & 0x3FF));
    } else {
        out[count++] = static_cast<char16_t>(character);
    }
    stream.position += used;
    return character;
}

// Whether reading goes on after character.
template <Reading kReading> inline bool GoesOnAfter(char32_t character) {
    return character != kNoCharacter && (kReading == Reading::Text || character != U'\n');
}

// UTF-8 and windows-1252: ASCII runs are copied straight from the buffer,
// a plain LF and the common UTF-8 sequences are decoded in place, and
// everything else (CR, four-byte and ill-formed sequences, a character cut
// by the buffer's end) goes through TakeCharacter.
template <Reading kReading, class Steps>
std::size_t ReadSingleByte(WideInputStream& stream, char16_t* out, std::size_t capacity) {
    const bool utf8 = stream.encoding == Encoding::Utf8;
    std::size_t count = 0;
    while (count < capacity) {
        const unsigned char* bytes = stream.bytes + stream.position;
        const std::size_t available = stream.filled - stream.position;
        const std::size_t room = capacity - count;
        const std::size_t run =
            CopyAsciiRun<kReading, Steps>(bytes, available < room ? available : room, out + count);
        count += run;
        stream.position += run;
        if (count == capacity) {
            break;
        }
        if (run < available) {
            if (kReading == Reading::Lines && bytes[run] == '\n') {
                out[count++] = u'\n';
                ++stream.position;
                break;
            }
            if (utf8 && DecodeShortUtf8Run(stream, out, count, capacity)) {
                continue;
            }
        }
        if (!GoesOnAfter<kReading>(TakeCharacter(stream, out, count, capacity))) {
            break;
        }
    }
    return count;
}

#if defined(QUENDIX_AVX2_LOOPS)
// Text read with the wide steps, everything inlined into this one function
// built for AVX2.
QUENDIX_TARGET_AVX2 __attribute__((flatten)) std::size_t
ReadSingleByteTextWide(WideInputStream& stream, char16_t* out, std::size_t capacity) {
    return ReadSingleByte<Reading::Text, WideSteps>(stream, out, capacity);
}
#endif

template <Reading kReading>
std::size_t Read(WideInputStream& stream, char16_t* out, std::size_t capacity) {
    if (IsSingleByteEncoding(stream.encoding)) {
#if defined(QUENDIX_AVX2_LOOPS)
        if (kReading == Reading::Text && UseAvx2Loops()) {
            return ReadSingleByteTextWide(stream, out, capacity);
        }
#endif
        return ReadSingleByte<kReading, BaselineSteps>(stream, out, capacity);
    }
    std::size_t count = 0;
    while (count < capacity && GoesOnAfter<kReading>(TakeCharacter(stream, out, count, capacity))) {
    }
    return count;
}

} // namespace

bool OpenInput(WideInputStream& stream, const wchar_t* path, unsigned char* buffer) {
    stream = WideInputStream{};
    stream.bytes = buffer;
    stream.file = OpenWidePath(path, OpenMode::Read);
    if (stream.file == nullptr) {
        return false;
    }
    // The bytes go straight into the stream's own buffer; the runtime's
    // buffer would be one more allocation and copy per call.
    std::setvbuf(stream.file, nullptr, _IONBF, 0);
    return true;
}

void ChooseEncoding(WideInputStream& stream, const Encoding* chosen) {
    // The encoding is chosen from the first buffer's worth of bytes, which
    // holds any byte-order mark and the XML declaration of a real feed.
    EnsureBytes(stream, kInputBufferBytes);
    const DetectedEncoding detected = DetectEncoding(stream.bytes, stream.filled);
    stream.encoding = detected.encoding;
    stream.encodingSource = detected.source;
    stream.position = detected.byteOrderMarkLength;
    if (chosen != nullptr && detected.source != EncodingSource::ByteOrderMark) {
        stream.encoding = *chosen;
        stream.encodingSource = EncodingSource::Chosen;
    }
}

std::size_t ReadLine(WideInputStream& stream, char16_t* line, std::size_t limit) {
    if (limit == 0) {
        return 0;
    }
    const std::size_t count = Read<Reading::Lines>(stream, line, limit - 1);
    line[count] = 0;
    return count;
}

std::size_t ReadText(WideInputStream& stream, char16_t* text, std::size_t capacity) {
    return Read<Reading::Text>(stream, text, capacity);
}

void CloseInput(WideInputStream& stream) {
    if (stream.file != nullptr) {
        std::fclose(stream.file);
    }
    stream.file = nullptr;
}

} // namespace quendix
