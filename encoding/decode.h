// Byte encodings of the feed file: every encoding of the WHATWG Encoding
// Standard, each decoded as its decoder there is written, with each error
// giving U+FFFD. The conversion itself sees only 16-bit characters; this is
// where bytes become characters.
#ifndef QUENDIX_PLATFORM_DECODE_H
#define QUENDIX_PLATFORM_DECODE_H

#include <cstddef>
#include <cstdint>

namespace quendix {

// In the standard's order (encodings.json), which EncodingLabels keeps.
enum class Encoding {
    Utf8,
    Ibm866,
    Iso8859_2,
    Iso8859_3,
    Iso8859_4,
    Iso8859_5,
    Iso8859_6,
    Iso8859_7,
    Iso8859_8,
    Iso8859_8I,
    Iso8859_10,
    Iso8859_13,
    Iso8859_14,
    Iso8859_15,
    Iso8859_16,
    Koi8R,
    Koi8U,
    Macintosh,
    Windows874,
    Windows1250,
    Windows1251,
    Windows1252,
    Windows1253,
    Windows1254,
    Windows1255,
    Windows1256,
    Windows1257,
    Windows1258,
    XMacCyrillic,
    Gbk,
    Gb18030,
    Big5,
    EucJp,
    Iso2022Jp,
    ShiftJis,
    EucKr,
    Replacement,
    Utf16BE,
    Utf16LE,
    XUserDefined,
};

constexpr int kEncodingCount = static_cast<int>(Encoding::XUserDefined) + 1;

// How the input's encoding was chosen.
enum class EncodingSource { ByteOrderMark, Declaration, Default, Chosen };

struct DetectedEncoding {
    Encoding encoding;
    std::size_t byteOrderMarkLength;
    EncodingSource source;
};

// Chooses the encoding from the first bytes of the file: a byte-order mark;
// else the encoding an XML declaration opening the file names (UTF-8 for a
// declared UTF-16 without a mark); else UTF-8.
DetectedEncoding DetectEncoding(const unsigned char* bytes, std::size_t size);

// The encoding a label names, as the standard's "get an encoding" finds it:
// ASCII white space trimmed, ASCII case-insensitive. False when no encoding
// has that label.
bool FindEncodingByLabel(const char* label, std::size_t length, Encoding* encoding);

// The standard's name of an encoding, such as "windows-1252" or "Shift_JIS".
const char* EncodingName(Encoding encoding);

struct EncodingLabel {
    const char* label;
    Encoding encoding;
};

// Every label of the standard, grouped by encoding in the standard's order;
// count is set to their number.
const EncodingLabel* EncodingLabels(std::size_t* count);

// True for the encodings in which every byte below 0x80 at the start of a
// step is that ASCII character, whatever came before.
bool IsAsciiCompatible(Encoding encoding);

constexpr char32_t kReplacementCharacter = 0xFFFD;

// What a decoder carries from one step to the next. Only ISO-2022-JP (the
// character set escape sequences switched to, and whether anything has been
// given since the last one) and replacement (whether its one U+FFFD has
// been given) need it.
struct DecoderState {
    unsigned char iso2022JpSet = 0;
    bool iso2022JpOutput = false;
    bool replacementGiven = false;
};

// One step's characters: none (an ISO-2022-JP escape sequence), one, or two
// (Big5's four pointers that stand for a letter and a combining mark).
struct DecodedStep {
    unsigned count;
    char32_t characters[2];
};

// Decodes one step starting at bytes: one character, or one error and
// U+FFFD, as the encoding's decoder gives them. Returns the number of bytes
// used and updates state. Bytes that the decoder puts back after an error
// are not used, so the next step decodes them again. Returns 0, leaving
// state alone, when the bytes end inside a step and more may follow (atEnd
// false); with atEnd true and at least one byte it never returns 0, and with
// kMaxStepBytes bytes at hand it never does either.
std::size_t DecodeStep(Encoding encoding, DecoderState& state, const unsigned char* bytes,
                       std::size_t size, bool atEnd, DecodedStep* decoded);

// The most bytes a step needs to see before it is decided (gb18030's four).
// A replacement decoder's step takes every byte it is given.
constexpr std::size_t kMaxStepBytes = 4;

} // namespace quendix

#endif
