// The single-byte encodings: a byte below 0x80 is itself, any other is
// looked up in the encoding's row of 128 code points.
#ifndef QUENDIX_ENCODING_SINGLE_BYTE_H
#define QUENDIX_ENCODING_SINGLE_BYTE_H

#include "encoding/encoding.h"
#include "encoding/encoding_tables.h"
#include "encoding/step.h"

namespace quendix {

inline bool IsSingleByte(Encoding encoding) {
    return encoding >= Encoding::Ibm866 && encoding <= Encoding::XMacCyrillic;
}

// The encoding's row of quendix_single_byte_indexes: they follow the order
// of Encoding, ISO-8859-8-I reading ISO-8859-8's.
inline const std::uint16_t* SingleByteRow(Encoding encoding) {
    int row = static_cast<int>(encoding) - static_cast<int>(Encoding::Ibm866);
    if (encoding >= Encoding::Iso8859_8I) {
        --row;
    }
    return quendix_single_byte_indexes[row];
}

// A byte the index leaves out is an error.
inline char32_t SingleByteCodePoint(const std::uint16_t* row, unsigned byte) {
    if (byte < 0x80) {
        return byte;
    }
    const char32_t codePoint = row[byte - 0x80];
    return codePoint != 0 ? codePoint : kReplacementCharacter;
}

} // namespace quendix

#endif
