// The conversion's internal steps, for the library and its tests.
#ifndef QUENDIX_CONVERT_CONVERT_FILE_H
#define QUENDIX_CONVERT_CONVERT_FILE_H

#include "platform/record_output.h"
#include "platform/wide_stream.h"

namespace quendix {

// Chooses the input's encoding, then reads the whole input into FeedText:
// the lines joined as read, keeping the first 127999 characters. False when
// a read failed.
bool LoadFeedText(WideInputStream& input, const Encoding* chosen = nullptr);

// Walks FeedText item by item, writing a record for each kept item.
// Returns the number of records handed to the output.
int ConvertFeedText(WideOutputStream& output);

} // namespace quendix

#endif
