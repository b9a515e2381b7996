#include "platform/decode.h"

#include <cstring>

namespace quendix {

namespace {

bool IsXmlSpace(unsigned char byte) {
    return byte == ' ' || byte == '\t' || byte == '\r' || byte == '\n';
}

bool IsAsciiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Finds needle in [from, to); returns to when absent.
const unsigned char* FindBytes(const unsigned char* from, const unsigned char* to,
                               const char* needle) {
    const std::size_t length = std::strlen(needle);
    for (const unsigned char* p = from; p + length <= to; ++p) {
        if (std::memcmp(p, needle, length) == 0) {
            return p;
        }
    }
    return to;
}

// Reads the encoding named by an XML declaration that opens the bytes, if
// any. Returns false when there is no complete declaration or no encoding.
bool FindDeclaredEncoding(const unsigned char* bytes, std::size_t size, const char** label,
                          std::size_t* labelLength) {
    const unsigned char* end = bytes + size;
    const unsigned char* p = bytes;
    while (p < end && IsXmlSpace(*p)) {
        ++p;
    }
    if (end - p < 6 || std::memcmp(p, "<?xml", 5) != 0 || !IsXmlSpace(p[5])) {
        return false;
    }
    const unsigned char* declarationEnd = FindBytes(p + 5, end, "?>");
    if (declarationEnd == end) {
        return false;
    }
    const unsigned char* name = p + 5;
    for (;;) {
        name = FindBytes(name, declarationEnd, "encoding");
        if (name == declarationEnd) {
            return false;
        }
        if (IsXmlSpace(name[-1])) {
            break;
        }
        name += 8;
    }
    const unsigned char* q = name + 8;
    while (q < declarationEnd && IsXmlSpace(*q)) {
        ++q;
    }
    if (q == declarationEnd || *q != '=') {
        return false;
    }
    ++q;
    while (q < declarationEnd && IsXmlSpace(*q)) {
        ++q;
    }
    if (q == declarationEnd || (*q != '"' && *q != '\'')) {
        return false;
    }
    const unsigned char quote = *q++;
    const unsigned char* closing = q;
    while (closing < declarationEnd && *closing != quote) {
        ++closing;
    }
    if (closing == declarationEnd) {
        return false;
    }
    *label = reinterpret_cast<const char*>(q);
    *labelLength = static_cast<std::size_t>(closing - q);
    return true;
}

// windows-1252 as browsers decode it: 0x80 to 0x9F hold typographic marks,
// the five unassigned bytes map to the C1 controls of the same value.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsContinuation(unsigned char byte, unsigned char lower, unsigned char upper) {
    return byte >= lower && byte <= upper;
}

// The Unicode Standard's maximal-subpart rule: a lead byte fixes how many
// continuation bytes follow and the range of the first one; the first byte
// outside the expected range ends the ill-formed sequence and is decoded anew.
std::size_t DecodeUtf8(const unsigned char* bytes, std::size_t size, bool atEnd,
                       char32_t* character) {
    const unsigned char lead = bytes[0];
    if (lead < 0x80) {
        *character = lead;
        return 1;
    }
    std::size_t needed = 0;
    unsigned char lower = 0x80;
    unsigned char upper = 0xBF;
    char32_t value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        needed = 1;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        needed = 2;
        value = lead & 0x0F;
        lower = lead == 0xE0 ? 0xA0 : 0x80;
        upper = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        needed = 3;
        value = lead & 0x07;
        lower = lead == 0xF0 ? 0x90 : 0x80;
        upper = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        *character = kReplacementCharacter;
        return 1;
    }
    for (std::size_t i = 1; i <= needed; ++i) {
        if (i >= size) {
            if (!atEnd) {
                return 0;
            }
            *character = kReplacementCharacter;
            return i;
        }
        if (!IsContinuation(bytes[i], lower, upper)) {
            *character = kReplacementCharacter;
            return i;
        }
        lower = 0x80;
        upper = 0xBF;
        value = (value << 6) | (bytes[i] & 0x3F);
    }
    *character = value;
    return needed + 1;
}

std::size_t DecodeUtf16(const unsigned char* bytes, std::size_t size, bool atEnd, bool bigEndian,
                        char32_t* character) {
    if (size < 2) {
        if (!atEnd) {
            return 0;
        }
        *character = kReplacementCharacter;
        return size;
    }
    auto unitAt = [&](std::size_t offset) -> char32_t {
        return bigEndian ? (char32_t{bytes[offset]} << 8) | bytes[offset + 1]
                         : (char32_t{bytes[offset + 1]} << 8) | bytes[offset];
    };
    const char32_t first = unitAt(0);
    if (first < 0xD800 || first > 0xDFFF) {
        *character = first;
        return 2;
    }
    if (first >= 0xDC00) {
        *character = kReplacementCharacter;
        return 2;
    }
    if (size < 4) {
        if (!atEnd) {
            return 0;
        }
        *character = kReplacementCharacter;
        return 2;
    }
    const char32_t second = unitAt(2);
    if (second < 0xDC00 || second > 0xDFFF) {
        *character = kReplacementCharacter;
        return 2;
    }
    *character = 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00);
    return 4;
}

} // namespace

namespace {

// Labels of the encodings read so far, as the web's Encoding Standard lists
// them.
constexpr EncodingLabel kLabels[] = {{"unicode-1-1-utf-8", Encoding::Utf8},
                                     {"unicode11utf8", Encoding::Utf8},
                                     {"unicode20utf8", Encoding::Utf8},
                                     {"utf-8", Encoding::Utf8},
                                     {"utf8", Encoding::Utf8},
                                     {"x-unicode20utf8", Encoding::Utf8},
                                     {"ansi_x3.4-1968", Encoding::Windows1252},
                                     {"ascii", Encoding::Windows1252},
                                     {"cp1252", Encoding::Windows1252},
                                     {"cp819", Encoding::Windows1252},
                                     {"csisolatin1", Encoding::Windows1252},
                                     {"ibm819", Encoding::Windows1252},
                                     {"iso-8859-1", Encoding::Windows1252},
                                     {"iso-ir-100", Encoding::Windows1252},
                                     {"iso8859-1", Encoding::Windows1252},
                                     {"iso88591", Encoding::Windows1252},
                                     {"iso_8859-1", Encoding::Windows1252},
                                     {"iso_8859-1:1987", Encoding::Windows1252},
                                     {"l1", Encoding::Windows1252},
                                     {"latin1", Encoding::Windows1252},
                                     {"us-ascii", Encoding::Windows1252},
                                     {"windows-1252", Encoding::Windows1252},
                                     {"x-cp1252", Encoding::Windows1252},
                                     {"unicodefffe", Encoding::Utf16BE},
                                     {"utf-16be", Encoding::Utf16BE},
                                     {"csunicode", Encoding::Utf16LE},
                                     {"iso-10646-ucs-2", Encoding::Utf16LE},
                                     {"ucs-2", Encoding::Utf16LE},
                                     {"unicode", Encoding::Utf16LE},
                                     {"unicodefeff", Encoding::Utf16LE},
                                     {"utf-16", Encoding::Utf16LE},
                                     {"utf-16le", Encoding::Utf16LE}};

} // namespace

bool FindEncodingByLabel(const char* label, std::size_t length, Encoding* encoding) {
    while (length > 0 && IsAsciiSpace(label[0])) {
        ++label;
        --length;
    }
    while (length > 0 && IsAsciiSpace(label[length - 1])) {
        --length;
    }
    for (const EncodingLabel& known : kLabels) {
        if (std::strlen(known.label) != length) {
            continue;
        }
        std::size_t i = 0;
        while (i < length && AsciiLower(label[i]) == known.label[i]) {
            ++i;
        }
        if (i == length) {
            *encoding = known.encoding;
            return true;
        }
    }
    return false;
}

bool IsWindows1252Label(const char* label, std::size_t length) {
    Encoding encoding = Encoding::Utf8;
    return FindEncodingByLabel(label, length, &encoding) && encoding == Encoding::Windows1252;
}

const char* EncodingName(Encoding encoding) {
    switch (encoding) {
    case Encoding::Utf8:
        return "UTF-8";
    case Encoding::Utf16LE:
        return "UTF-16LE";
    case Encoding::Utf16BE:
        return "UTF-16BE";
    case Encoding::Windows1252:
        return "windows-1252";
    }
    return "UTF-8";
}

const EncodingLabel* EncodingLabels(std::size_t* count) {
    *count = sizeof kLabels / sizeof kLabels[0];
    return kLabels;
}

DetectedEncoding DetectEncoding(const unsigned char* bytes, std::size_t size) {
    if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        return {Encoding::Utf8, 3, EncodingSource::ByteOrderMark};
    }
    if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        return {Encoding::Utf16LE, 2, EncodingSource::ByteOrderMark};
    }
    if (size >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
        return {Encoding::Utf16BE, 2, EncodingSource::ByteOrderMark};
    }
    const char* label = nullptr;
    std::size_t labelLength = 0;
    if (FindDeclaredEncoding(bytes, size, &label, &labelLength) &&
        IsWindows1252Label(label, labelLength)) {
        return {Encoding::Windows1252, 0, EncodingSource::Declaration};
    }
    return {Encoding::Utf8, 0, EncodingSource::Default};
}

std::size_t DecodeCharacter(Encoding encoding, const unsigned char* bytes, std::size_t size,
                            bool atEnd, char32_t* character) {
    if (size == 0) {
        return 0;
    }
    switch (encoding) {
    case Encoding::Utf8:
        return DecodeUtf8(bytes, size, atEnd, character);
    case Encoding::Utf16LE:
        return DecodeUtf16(bytes, size, atEnd, false, character);
    case Encoding::Utf16BE:
        return DecodeUtf16(bytes, size, atEnd, true, character);
    case Encoding::Windows1252:
        *character = (bytes[0] >= 0x80 && bytes[0] <= 0x9F) ? kWindows1252High[bytes[0] - 0x80]
                                                            : char32_t{bytes[0]};
        return 1;
    }
    return 0;
}

} // namespace quendix
