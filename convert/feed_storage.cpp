#include "convert/feed_storage.h"

namespace quendix {

// On a 4 KiB boundary each: see FeedText in feed_window.cpp.
alignas(4096) unsigned char InputBytes[kInputBufferBytes];
alignas(4096) char16_t OutputUnits[kOutputBufferUnits];

} // namespace quendix
