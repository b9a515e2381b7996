// The byte encodings a feed file may be in: every encoding of the WHATWG
// Encoding Standard, and their names there.
#ifndef QUENDIX_ENCODING_ENCODING_H
#define QUENDIX_ENCODING_ENCODING_H

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

// The standard's name of an encoding, such as "windows-1252" or "Shift_JIS".
const char* EncodingName(Encoding encoding);

} // namespace quendix

#endif
