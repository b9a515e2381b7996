// Which encoding a feed file is in, from its first bytes.
#ifndef QUENDIX_ENCODING_DETECTION_H
#define QUENDIX_ENCODING_DETECTION_H

#include "encoding/encoding.h"

#include <cstddef>

namespace quendix {

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

// The label an XML declaration opening bytes names, known or not, so a
// caller can say which label went unrecognised. False when there is none.
bool FindDeclaredEncodingLabel(const unsigned char* bytes, std::size_t size, const char** label,
                               std::size_t* length);

} // namespace quendix

#endif
