// Byte encodings of the feed file. The conversion itself sees only 16-bit
// characters; this is where bytes become characters.
#ifndef QUENDIX_PLATFORM_DECODE_H
#define QUENDIX_PLATFORM_DECODE_H

#include <cstddef>
#include <cstdint>

namespace quendix {

enum class Encoding { Utf8, Utf16LE, Utf16BE, Windows1252 };

// How the input's encoding was chosen.
enum class EncodingSource { ByteOrderMark, Declaration, Default, Chosen };

struct DetectedEncoding {
    Encoding encoding;
    std::size_t byteOrderMarkLength;
    EncodingSource source;
};

// Chooses the encoding from the first bytes of the file: a byte-order mark,
// else an XML declaration naming a windows-1252 label, else UTF-8.
DetectedEncoding DetectEncoding(const unsigned char* bytes, std::size_t size);

// True when label names windows-1252 in the web's Encoding Standard (ASCII
// case-insensitive, surrounding white space ignored).
bool IsWindows1252Label(const char* label, std::size_t length);

// The encoding a label names, as the standard's "get an encoding" finds it:
// ASCII white space trimmed, ASCII case-insensitive. False when no encoding
// has that label.
bool FindEncodingByLabel(const char* label, std::size_t length, Encoding* encoding);

// The standard's name of an encoding, such as "windows-1252".
const char* EncodingName(Encoding encoding);

struct EncodingLabel {
    const char* label;
    Encoding encoding;
};

// Every label the conversion knows, grouped by encoding; count is set to
// their number.
const EncodingLabel* EncodingLabels(std::size_t* count);

constexpr char32_t kReplacementCharacter = 0xFFFD;

// Decodes one character starting at bytes. Returns the number of bytes it
// used and stores the character. Ill-formed input gives U+FFFD: one for each
// maximal ill-formed UTF-8 subsequence, one for each unpaired UTF-16
// surrogate or odd last byte. Returns 0 when the bytes end inside a
// character and more may follow (atEnd false); with atEnd true and at least
// one byte it never returns 0.
std::size_t DecodeCharacter(Encoding encoding, const unsigned char* bytes, std::size_t size,
                            bool atEnd, char32_t* character);

// The longest byte sequence one call of DecodeCharacter may need.
constexpr std::size_t kMaxCharacterBytes = 4;

} // namespace quendix

#endif
