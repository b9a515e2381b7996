#include "convert/feed_storage.h"

namespace quendix {

char16_t FeedText[kFeedTextCapacity];
std::size_t FeedLength;

TagPlace TagPlaces[kTagPlaceCapacity];

unsigned char InputBytes[kInputBufferBytes];
char16_t OutputUnits[kOutputBufferUnits];

} // namespace quendix
