// The labels that name each encoding, as an XML declaration or the
// command's --encoding gives them.
#ifndef QUENDIX_ENCODING_LABELS_H
#define QUENDIX_ENCODING_LABELS_H

#include "encoding/encoding.h"

#include <cstddef>

namespace quendix {

// The encoding a label names, as the standard's "get an encoding" finds it:
// ASCII white space trimmed, ASCII case-insensitive. False when no encoding
// has that label.
bool FindEncodingByLabel(const char* label, std::size_t length, Encoding* encoding);

struct EncodingLabel {
    const char* label;
    Encoding encoding;
};

// Every label of the standard, grouped by encoding in the standard's order;
// count is set to their number.
const EncodingLabel* EncodingLabels(std::size_t* count);

} // namespace quendix

#endif
