#include "convert/feed_storage.h"

namespace quendix {

char16_t LineBuffer[kLineBufferCapacity];

namespace {
char16_t RawDescriptionText[kRawDescriptionCapacity];
char16_t TitleText[kTitleCapacity];
char16_t DateText[kDateCapacity];
char16_t LinkText[kLinkCapacity];
char16_t SummaryText[kSummaryCapacity];
} // namespace

// Constant-initialised: the library runs no code at load.
FieldText RawDescription = {RawDescriptionText, kRawDescriptionCapacity, 0};
FieldText TitleField = {TitleText, kTitleCapacity, 0};
FieldText DateField = {DateText, kDateCapacity, 0};
FieldText LinkField = {LinkText, kLinkCapacity, 0};
FieldText SummaryField = {SummaryText, kSummaryCapacity, 0};

unsigned char InputBytes[kInputBufferBytes];
char16_t OutputUnits[kOutputBufferUnits];

} // namespace quendix
