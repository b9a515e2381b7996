#include "convert/feed_storage.h"

namespace quendix {

unsigned char InputBytes[kInputBufferBytes];
char16_t OutputUnits[kOutputBufferUnits];

} // namespace quendix
